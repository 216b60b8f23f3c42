#pragma once

#include <QString>
#include <QUrl>

// The user guide F1 opens. A program run from its build tree opens the README of the source tree; an installed
// program opens the guide installed with it, PREFIX/share/doc/fenk/README.md for PREFIX/bin/fenk.
QString UserGuidePathFor(const QString& ProgramFolder);

// The guide of the running program, as a file:// address.
QUrl UserGuideUrl();
