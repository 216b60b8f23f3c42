#include "resources/NGlyphResources.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QtEndian>

#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Every glyph number the program shows.
const std::vector<int> ProgramGlyphs = {1,  2,  3,  4,  5,  6,  7,  10, 11, 14, 15, 16, 20, 21,
                                        23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 45, 64};

constexpr int Neutral = 127;

int Grey(const QImage& Image, int X, int Y)
{
    return qRed(Image.pixel(X, Y));
}

double AverageGrey(const QImage& Image, int Left)
{
    double sum = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = Left; x < Left + 16; ++x)
            sum += Grey(Image, x, y);
    return sum / 256;
}

QImage LoadGlyph(int Glyph)
{
    return QImage(GlyphResourcePath(Glyph));
}

} // namespace

TEST(GlyphResources, PathsCarryTheNumberWithAtLeastThreeDigits)
{
    EXPECT_EQ(GlyphResourcePath(5), QStringLiteral(":/glyphs/NGLYPHS16_005.bmp"));
    EXPECT_EQ(GlyphResourcePath(64), QStringLiteral(":/glyphs/NGLYPHS16_064.bmp"));
    EXPECT_EQ(GlyphResourcePath(120), QStringLiteral(":/glyphs/NGLYPHS16_120.bmp"));
    EXPECT_EQ(GlyphResourcePath(1234), QStringLiteral(":/glyphs/NGLYPHS16_1234.bmp"));
}

TEST(GlyphResources, HoldExactlyTheProgramsGlyphs)
{
    QStringList expected;
    for (int glyph : ProgramGlyphs)
        expected << QDir(":/glyphs").relativeFilePath(GlyphResourcePath(glyph));
    QStringList present = QDir(":/glyphs").entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(present, expected);
}

TEST(GlyphResources, AMissingNumberLoadsNothing)
{
    for (int glyph : {0, 8, 9, 12, 22, 65, 999}) {
        EXPECT_FALSE(QFile::exists(GlyphResourcePath(glyph))) << glyph;
        EXPECT_TRUE(LoadGlyph(glyph).isNull()) << glyph;
    }
}

TEST(GlyphResources, EveryGlyphIsA32By16TwentyFourBitGreyBitmap)
{
    for (int glyph : ProgramGlyphs) {
        QFile file(GlyphResourcePath(glyph));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << glyph;
        const QByteArray bytes = file.readAll();
        ASSERT_GE(bytes.size(), 54) << glyph;
        EXPECT_TRUE(bytes.startsWith("BM")) << glyph;
        EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 18), 32) << glyph;
        EXPECT_EQ(std::abs(qFromLittleEndian<qint32>(bytes.constData() + 22)), 16) << glyph;
        EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 28), 24) << glyph;

        const QImage image = LoadGlyph(glyph);
        ASSERT_FALSE(image.isNull()) << glyph;
        EXPECT_EQ(image.size(), QSize(32, 16)) << glyph;
        EXPECT_FALSE(image.hasAlphaChannel()) << glyph;
        EXPECT_EQ(image.depth(), 32) << glyph; // a 24-bit bitmap loads as 32-bit RGB without alpha
        EXPECT_TRUE(image.allGray()) << glyph;
    }
}

// Each half keeps a one pixel neutral margin and its background is exactly neutral: a grey just off 127 would
// tint every background the glyph is shaded onto.
TEST(GlyphResources, BackgroundIsExactlyNeutralGrey)
{
    for (int glyph : ProgramGlyphs) {
        const QImage image = LoadGlyph(glyph);
        ASSERT_FALSE(image.isNull()) << glyph;
        int neutralPixels = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 32; ++x) {
                const int grey = Grey(image, x, y);
                const int column = x % 16;
                if (y == 0 || y == 15 || column == 0 || column == 15) {
                    EXPECT_EQ(grey, Neutral) << "glyph " << glyph << " at " << x << "," << y;
                }
                EXPECT_FALSE(grey != Neutral && std::abs(grey - Neutral) <= 4)
                    << "glyph " << glyph << " at " << x << "," << y << " is " << grey;
                neutralPixels += grey == Neutral;
            }
        }
        EXPECT_GE(neutralPixels, 2 * 256 / 4) << glyph;
    }
}

TEST(GlyphResources, EnabledHalfIsADarkShapeAndDisabledHalfItsLightOutline)
{
    for (int glyph : ProgramGlyphs) {
        const QImage image = LoadGlyph(glyph);
        ASSERT_FALSE(image.isNull()) << glyph;
        int blackPixels = 0;
        int lightPixels = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const int enabled = Grey(image, x, y);
                const int disabled = Grey(image, 16 + x, y);
                blackPixels += enabled == 0;
                lightPixels += disabled >= 200;
                EXPECT_GE(disabled, Neutral) << "glyph " << glyph << " darkens its disabled half at " << x << "," << y;
                if (disabled > Neutral) {
                    EXPECT_LT(enabled, Neutral)
                        << "glyph " << glyph << " outline outside the shape at " << x << "," << y;
                }
            }
        }
        EXPECT_GE(blackPixels, 12) << glyph;
        EXPECT_GE(lightPixels, 12) << glyph;
        EXPECT_GT(AverageGrey(image, 16), AverageGrey(image, 0)) << glyph;
    }
}
