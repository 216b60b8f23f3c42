#pragma once

#include <QColor>
#include <QImage>

// Per-pixel work on 24-bit images (QImage::Format_RGB888, read and written through scan lines): shading grey-scale
// glyphs onto any background and a smoothing 2:1 reduction for anti-aliased drawings.

constexpr QImage::Format PixelFormat = QImage::Format_RGB888;

// One 24-bit pixel in the memory order of PixelFormat.
struct TNEPixel
{
    quint8 Red;
    quint8 Green;
    quint8 Blue;

    friend bool operator==(const TNEPixel&, const TNEPixel&) = default;
};

// Each channel above 255 becomes 255, below 0 becomes 0, otherwise the nearest integer (halves to even).
TNEPixel ClampPixel(double Red, double Green, double Blue);

// Shades Glyph onto Target with its top-left corner at (X, Y), clipped to Target. Per channel a glyph value below
// 128 darkens the target in proportion (0 gives black), above 127 lightens it (255 gives white), and 127 or 128
// leaves it unchanged. Nothing happens when either image is smaller than 2 by 2. Target becomes 24-bit.
void BlendGlyph(const QImage& Glyph, QImage& Target, int X, int Y);

// Fills every pixel of Target from the 6 by 6 block of Source around the matching 2 by 2 block, weighted by
// DownsampleWeight; pixels outside Source count as BackColor. Target keeps its size and becomes 24-bit.
void Downsample(const QImage& Source, QImage& Target, const QColor& BackColor);

// The weight of the four samples at distance (I, J), 0 <= I, J <= 2, from the centre block.
double DownsampleWeight(int I, int J);
