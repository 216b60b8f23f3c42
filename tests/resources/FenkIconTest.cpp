#include "resources/FenkIcon.h"

#include <QFile>

#include <algorithm>
#include <gtest/gtest.h>

namespace {

// The share of the picture, in percent, that is more opaque than clear.
int OpaqueShare(const QImage& Image)
{
    int opaque = 0;
    for (int y = 0; y < Image.height(); ++y)
        for (int x = 0; x < Image.width(); ++x)
            opaque += qAlpha(Image.pixel(x, y)) >= 128;
    return 100 * opaque / (Image.width() * Image.height());
}

} // namespace

TEST(FenkIcon, DrawsTheVaultDoorAtEverySizeOfTheTheme)
{
    ASSERT_TRUE(QFile::exists(QString::fromLatin1(FenkIconResource)));
    for (int size : FenkIconSizes) {
        const QImage image = RenderFenkIcon(size);
        ASSERT_EQ(image.size(), QSize(size, size)) << size;
        // A rounded square: clear in the very corner, filling most of the picture.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
        EXPECT_GE(OpaqueShare(image), 80) << size;
        // The brass keyhole in the middle, inside the light ring of the door, on the blue body.
        const QRgb keyhole = image.pixel(size / 2, size * 7 / 16);
        EXPECT_GT(qRed(keyhole), qBlue(keyhole) + 100) << size;
        int ring = 0;
        for (int y = size * 8 / 64; y <= size * 16 / 64; ++y)
            ring = std::max(ring, qGray(image.pixel(size / 2, y)));
        EXPECT_GT(ring, 200) << size;
        const QRgb body = image.pixel(size / 2, size * 6 / 64);
        EXPECT_GT(qBlue(body), qRed(body) + 60) << size;
    }
}

TEST(FenkIcon, CarriesOnePictureForEachSizeAndNoneForNonsense)
{
    QList<QSize> expected;
    for (int size : FenkIconSizes)
        expected += QSize(size, size);
    EXPECT_EQ(FenkIcon().availableSizes(), expected);
    EXPECT_TRUE(RenderFenkIcon(0).isNull());
    EXPECT_TRUE(RenderFenkIcon(-16).isNull());
}
