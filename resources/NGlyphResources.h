#pragma once

#include <QString>

// The Qt resource path of a glyph bitmap: ":/glyphs/NGLYPHS16_" + the number with at least three digits, e.g.
// ":/glyphs/NGLYPHS16_005.bmp" for glyph 5.
QString GlyphResourcePath(int Glyph);
