#pragma once

#include "foundation/NException.h"

#include <QImage>
#include <QString>

#include <array>

NE_DECLARE_ERROR(ENEGlyphSourceErr, ENEException, "Invalid glyph source");

// One glyph drawn as text: the 16 by 16 enabled picture, a character per pixel. The disabled picture is derived
// from it, and both are written side by side into the 32 by 16 bitmap the program loads.
//
// Palette (grey values; 127 is neutral and leaves the background unchanged when the glyph is shaded):
//   '.'       127, neutral background
//   '#'       0, black: the shape
//   '1'..'9'  partial black for anti-aliased edges: '5' is half way between neutral and black
//   '-'       191, lightens the background half way to white
//   '+'       255, white
// Lines starting with ';' are comments. Every other line is a row of exactly 16 palette characters.
//
// The disabled picture is derived rather than drawn so that both halves always show the same shape: it is the
// light outline of the enabled picture's dark shape. Every dark pixel turns as light as it was dark, except the
// inside of the shape: pixels that are, like all eight of their neighbours, more than half dark stay neutral.
// Strokes two pixels wide (straight or diagonal) come out whole, filled areas come out hollow, and the light parts
// of the enabled picture stay neutral.
class TGlyphPicture
{
public:
    static constexpr int Size = 16;
    static constexpr int Neutral = 127;

    // Reads the text of one glyph; SourceName only names the source in errors.
    static TGlyphPicture Parse(const QString& Text, const QString& SourceName);

    int Enabled(int X, int Y) const { return Enabled_[Y * Size + X]; }
    int Disabled(int X, int Y) const;

    // The 32 by 16 grey-scale bitmap: enabled picture on the left, disabled on the right.
    QImage ToImage() const;

private:
    // How dark a pixel of the enabled picture is: 0 for neutral or light, 1 for black; outside the picture 0.
    double Darkness(int X, int Y) const;
    bool IsInsideShape(int X, int Y) const;

    std::array<int, Size * Size> Enabled_{};
};
