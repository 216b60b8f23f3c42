#include "ui/actions/NPixel.h"

#include <gtest/gtest.h>

namespace {

QImage Filled(int Width, int Height, const QColor& Colour)
{
    QImage image(Width, Height, PixelFormat);
    image.fill(Colour);
    return image;
}

QColor PixelAt(const QImage& Image, int X, int Y)
{
    return Image.pixelColor(X, Y);
}

} // namespace

TEST(NPixel, ClampPixelLimitsAndRoundsHalvesToEven)
{
    struct Case
    {
        double In;
        quint8 Out;
    };
    const Case cases[] = {{-0.4, 0},   {-300, 0},   {0.5, 0},     {1.5, 2},     {12.5, 12},   {13.5, 14},
                          {12.49, 12}, {12.51, 13}, {254.5, 254}, {255.4, 255}, {255.6, 255}, {1e9, 255}};
    for (const Case& c : cases) {
        const TNEPixel pixel = ClampPixel(c.In, c.In, c.In);
        EXPECT_EQ(pixel, (TNEPixel{c.Out, c.Out, c.Out})) << c.In;
    }
    EXPECT_EQ(ClampPixel(300, -5, 77.5), (TNEPixel{255, 0, 78}));
}

TEST(NPixel, BlendGlyphShadesEachChannelInProportion)
{
    struct Case
    {
        int Glyph;
        int Target;
        int Result;
    };
    const Case cases[] = {
        {127, 0, 0},    {127, 77, 77}, {127, 255, 255}, {128, 0, 0},     {128, 200, 200}, // neutral greys
        {0, 255, 0},    {0, 100, 0},   {255, 0, 255},   {255, 100, 255},                  // black and white
        {64, 200, 101}, {1, 255, 2},   {100, 50, 39},   {191, 100, 177}, {254, 0, 253},   // in between
    };
    for (const Case& c : cases) {
        const QImage glyph = Filled(2, 2, QColor(c.Glyph, 127, 127));
        QImage target = Filled(2, 2, QColor(c.Target, 10, c.Target));
        BlendGlyph(glyph, target, 0, 0);
        EXPECT_EQ(PixelAt(target, 0, 0), QColor(c.Result, 10, c.Target)) << "grey 127 channels keep the target";
    }
}

TEST(NPixel, BlendGlyphClipsToTheTarget)
{
    // A 4 by 2 glyph of black columns at x 2 and 3 only, placed at x -2: just those columns land, on x 0 and 1.
    QImage glyph = Filled(4, 2, QColor(127, 127, 127));
    for (int y = 0; y < 2; ++y) {
        glyph.setPixelColor(2, y, Qt::black);
        glyph.setPixelColor(3, y, Qt::black);
    }
    QImage target = Filled(4, 3, Qt::white);
    BlendGlyph(glyph, target, -2, 1);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            const bool shaded = x < 2 && y >= 1;
            EXPECT_EQ(PixelAt(target, x, y), shaded ? QColor(Qt::black) : QColor(Qt::white)) << x << "," << y;
        }
    }

    QImage untouched = Filled(4, 4, Qt::white);
    BlendGlyph(Filled(8, 8, Qt::black), untouched, 4, 0); // entirely outside
    BlendGlyph(Filled(1, 8, Qt::black), untouched, 0, 0); // too narrow
    BlendGlyph(QImage(), untouched, 0, 0);                // missing
    EXPECT_EQ(untouched, Filled(4, 4, Qt::white));
}

TEST(NPixel, DownsampleWeightsSumToOneAndKeepAFlatImageFlat)
{
    double sum = 0;
    for (int i = 0; i <= 2; ++i) {
        for (int j = 0; j <= 2; ++j)
            sum += 4 * DownsampleWeight(i, j);
    }
    EXPECT_NEAR(sum, 1.0, 1e-12);

    const QColor colour(10, 200, 77);
    QImage target(5, 4, PixelFormat);
    Downsample(Filled(10, 8, colour), target, colour);
    EXPECT_EQ(target, Filled(5, 4, colour));
}

TEST(NPixel, DownsampleCountsPixelsOutsideTheSourceAsTheBackColour)
{
    // Each target pixel of a 2 by 2 reduction of a white 4 by 4 image is a corner: the black border pulls it to
    // 232.86 of 255. A 12 by 12 source keeps its inner target pixels white.
    QImage corners(2, 2, PixelFormat);
    Downsample(Filled(4, 4, Qt::white), corners, Qt::black);
    EXPECT_EQ(corners, Filled(2, 2, QColor(233, 233, 233)));

    QImage large(6, 6, PixelFormat);
    Downsample(Filled(12, 12, Qt::white), large, Qt::black);
    EXPECT_EQ(PixelAt(large, 3, 3), QColor(Qt::white));
    EXPECT_EQ(PixelAt(large, 0, 3).red(), 244) << "one side against the border";
}
