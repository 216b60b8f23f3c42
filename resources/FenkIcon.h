#pragma once

#include <QIcon>
#include <QImage>

// The program's icon, drawn once as resources/icons/fenk.svg and compiled in under this name.
inline constexpr char FenkIconResource[] = ":/icons/fenk.svg";
// The sizes the icon theme gets a picture in; the window icon carries the same.
inline constexpr int FenkIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// The icon drawn Size by Size pixels on a transparent background; a null image when the drawing cannot be read.
QImage RenderFenkIcon(int Size);

// The icon of the program's windows: the drawing at each of FenkIconSizes.
QIcon FenkIcon();
