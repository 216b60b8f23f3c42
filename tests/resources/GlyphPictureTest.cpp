#include "resources/compiler/GlyphPicture.h"

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

namespace {

// A 16 by 16 source with the given rows on top and neutral rows below.
QString Source(const QStringList& TopRows)
{
    QStringList rows = TopRows;
    while (rows.size() < TGlyphPicture::Size)
        rows << QString(TGlyphPicture::Size, u'.');
    return QStringLiteral("; a comment\n\n") + rows.join(u'\n') + u'\n';
}

} // namespace

TEST(GlyphPicture, ReadsEveryPaletteCharacter)
{
    const TGlyphPicture picture = TGlyphPicture::Parse(Source({"#.159-+........."}), "test");
    const int expected[] = {0, 127, 114, 64, 13, 191, 255};
    for (int x = 0; x < 7; ++x)
        EXPECT_EQ(picture.Enabled(x, 0), expected[x]) << x;
    EXPECT_EQ(picture.Enabled(15, 15), 127);
}

TEST(GlyphPicture, RejectsMalformedSourcesNamingFileAndLine)
{
    const struct
    {
        QString Text;
        const char* Expected;
    } cases[] = {
        {Source({"#..............."}).replace("#", "x"), "test:3: 'x' is not a palette character"},
        {Source({"#.............."}), "test:3: a row must have 16 characters"},
        {Source({}) + QString(16, u'.'), "test:19: more than 16 rows"},
        {QStringLiteral("................\n"), "test: 1 rows instead of 16"},
    };
    for (const auto& testCase : cases) {
        try {
            TGlyphPicture::Parse(testCase.Text, "test");
            ADD_FAILURE() << testCase.Expected;
        } catch (const ENEGlyphSourceErr& error) {
            EXPECT_EQ(error.Message(), QString::fromUtf8(testCase.Expected));
        }
    }
}

TEST(GlyphPicture, DisabledPictureIsTheLightOutlineOfTheShape)
{
    // A two pixel stroke, a filled four by four block and a diagonal stroke with half dark edges.
    const TGlyphPicture picture = TGlyphPicture::Parse(Source({
                                                           "................",
                                                           ".##......####...",
                                                           ".##......####...",
                                                           ".##......####...",
                                                           ".##......####...",
                                                           "................",
                                                           ".5##5...........",
                                                           "..5##5..........",
                                                           "...5##5.........",
                                                       }),
                                                       "test");
    const struct
    {
        int X, Y, Expected;
    } cases[] = {
        {1, 2, 239},               // a straight stroke turns light as a whole
        {9, 1, 239},               // the block's edge turns light
        {10, 2, 127},              // its inside stays neutral: the block comes out hollow
        {11, 3, 127}, {3, 7, 239}, // the diagonal stroke turns light as a whole,
        {2, 7, 183},               // its half dark edges half as light
        {0, 0, 127},               // the background stays neutral
        {5, 2, 127},
    };
    for (const auto& testCase : cases)
        EXPECT_EQ(picture.Disabled(testCase.X, testCase.Y), testCase.Expected) << testCase.X << "," << testCase.Y;
}

TEST(GlyphPicture, ImagePutsTheEnabledPictureLeftAndTheDisabledRight)
{
    const QImage image = TGlyphPicture::Parse(Source({"##.............."}), "test").ToImage();
    ASSERT_EQ(image.size(), QSize(32, 16));
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(2, 0), qRgb(127, 127, 127));
    EXPECT_EQ(image.pixel(16, 0), qRgb(239, 239, 239));
    EXPECT_EQ(image.pixel(18, 0), qRgb(127, 127, 127));
}
