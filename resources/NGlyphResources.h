#pragma once

#include <QString>

// The one place glyph resources are named: glyph N is the resource "NGLYPHS16_" + N with at least three digits,
// compiled into ":/glyphs/" as a bitmap. Inline, so that the glyph loader of the windows shares these names without
// linking the pictures: a program links the program's pictures, or pictures of its own under the same names.

// The resource's name, e.g. "NGLYPHS16_005" for glyph 5.
inline QString GlyphResourceName(int Glyph)
{
    return QString::asprintf("NGLYPHS16_%.3d", Glyph);
}

// The Qt resource path of a glyph bitmap, e.g. ":/glyphs/NGLYPHS16_005.bmp" for glyph 5.
inline QString GlyphResourcePath(int Glyph)
{
    return QStringLiteral(":/glyphs/%1.bmp").arg(GlyphResourceName(Glyph));
}
