#include "ui/actions/NPixel.h"

#include <cmath>

namespace {

constexpr double DownsampleWeights[3][3] = {
    {0.208190948543499, 0.0191472924517837, 0.000152526009337031},
    {0.0191472924517837, 0.00313062010982595, 0.0000389660993604285},
    {0.000152526009337031, 0.0000389660993604285, 0.000000862225712394059},
};

quint8 ClampChannel(double Value)
{
    if (Value > 255)
        return 255;
    if (Value < 0)
        return 0;
    return static_cast<quint8>(std::nearbyint(Value)); // the default rounding mode takes halves to even
}

double ShadeChannel(quint8 GlyphValue, quint8 TargetValue)
{
    if (GlyphValue < 128)
        return TargetValue * (GlyphValue / 127.0);
    const double factor = (255 - GlyphValue) / 127.0;
    return TargetValue * factor + (1 - factor) * 255;
}

QImage ToPixelFormat(const QImage& Image)
{
    return Image.format() == PixelFormat ? Image : Image.convertToFormat(PixelFormat);
}

const TNEPixel* ConstPixels(const QImage& Image, int Y)
{
    return reinterpret_cast<const TNEPixel*>(Image.constScanLine(Y));
}

TNEPixel* Pixels(QImage& Image, int Y)
{
    return reinterpret_cast<TNEPixel*>(Image.scanLine(Y));
}

} // namespace

static_assert(sizeof(TNEPixel) == 3, "a pixel is three bytes of a 24-bit scan line");

TNEPixel ClampPixel(double Red, double Green, double Blue)
{
    return {ClampChannel(Red), ClampChannel(Green), ClampChannel(Blue)};
}

void BlendGlyph(const QImage& Glyph, QImage& Target, int X, int Y)
{
    if (Glyph.width() < 2 || Glyph.height() < 2 || Target.width() < 2 || Target.height() < 2)
        return;
    const QImage glyph = ToPixelFormat(Glyph);
    if (Target.format() != PixelFormat)
        Target.convertTo(PixelFormat);
    const QRect area = QRect(X, Y, glyph.width(), glyph.height()) & Target.rect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const TNEPixel* source = ConstPixels(glyph, y - Y);
        TNEPixel* target = Pixels(Target, y);
        for (int x = area.left(); x <= area.right(); ++x) {
            const TNEPixel& g = source[x - X];
            TNEPixel& t = target[x];
            t = ClampPixel(ShadeChannel(g.Red, t.Red), ShadeChannel(g.Green, t.Green), ShadeChannel(g.Blue, t.Blue));
        }
    }
}

double DownsampleWeight(int I, int J)
{
    return DownsampleWeights[I][J];
}

void Downsample(const QImage& Source, QImage& Target, const QColor& BackColor)
{
    const QImage source = ToPixelFormat(Source);
    if (Target.format() != PixelFormat)
        Target.convertTo(PixelFormat);
    const TNEPixel back{static_cast<quint8>(BackColor.red()), static_cast<quint8>(BackColor.green()),
                        static_cast<quint8>(BackColor.blue())};
    const auto sample = [&](int x, int y) -> const TNEPixel& {
        return source.rect().contains(x, y) ? ConstPixels(source, y)[x] : back;
    };
    for (int y = 0; y < Target.height(); ++y) {
        TNEPixel* target = Pixels(Target, y);
        for (int x = 0; x < Target.width(); ++x) {
            double red = 0, green = 0, blue = 0;
            for (int i = 0; i <= 2; ++i) {
                for (int j = 0; j <= 2; ++j) {
                    const double weight = DownsampleWeights[i][j];
                    for (const TNEPixel* pixel :
                         {&sample(2 * x - i, 2 * y - j), &sample(2 * x + 1 + i, 2 * y - j),
                          &sample(2 * x - i, 2 * y + 1 + j), &sample(2 * x + 1 + i, 2 * y + 1 + j)}) {
                        red += weight * pixel->Red;
                        green += weight * pixel->Green;
                        blue += weight * pixel->Blue;
                    }
                }
            }
            target[x] = ClampPixel(red, green, blue);
        }
    }
}
