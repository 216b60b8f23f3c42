#include "resources/NGlyphResources.h"

QString GlyphResourcePath(int Glyph)
{
    return QString::asprintf(":/glyphs/NGLYPHS16_%.3d.bmp", Glyph);
}
