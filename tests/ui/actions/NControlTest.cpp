#include "ui/actions/NControl.h"

#include "tests/support/ErrorMessage.h"
#include "tests/support/ui/ApplicationFixture.h"
#include "tests/support/ui/FakeScreen.h"
#include "tests/ui/actions/WidgetProbe.h"
#include "ui/actions/NPixel.h"

#include <QDir>
#include <QPixmap>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using NControl = TApplicationFixture;

// The test glyphs: glyph 5 has a 4-pixel square at (4, 4), glyph 64 an 8-pixel one; black in the enabled half,
// white in the disabled half, neutral grey elsewhere.
const QColor Grey(127, 127, 127);

QColor PixelAt(const QImage& Image, int X, int Y)
{
    return Image.pixelColor(X, Y);
}

} // namespace

TEST_F(NControl, LoadGlyphResourceLoadsByNumberAndNamesAMissingResource)
{
    const QImage five = ControlBroker().LoadGlyphResource(5);
    ASSERT_EQ(five.size(), QSize(32, 16));
    EXPECT_EQ(five.format(), PixelFormat);
    EXPECT_EQ(PixelAt(five, 4, 4), QColor(Qt::black));
    EXPECT_EQ(PixelAt(five, 20, 4), QColor(Qt::white));
    EXPECT_EQ(PixelAt(five, 8, 8), Grey);

    const QImage sixtyFour = ControlBroker().LoadGlyphResource(64);
    EXPECT_EQ(PixelAt(sixtyFour, 11, 11), QColor(Qt::black)) << "glyph 64 is its own resource";

    const QImage blank = ControlBroker().LoadGlyphResource(-1);
    QImage expectedBlank(32, 16, PixelFormat);
    expectedBlank.fill(Grey);
    EXPECT_EQ(blank, expectedBlank);

    EXPECT_EQ(MessageOf([] { ControlBroker().LoadGlyphResource(6); }), "Resource NGLYPHS16_006 not found");
    EXPECT_EQ(MessageOf([] { ControlBroker().LoadGlyphResource(1234); }), "Resource NGLYPHS16_1234 not found");
    EXPECT_EQ(MessageOf([] { ControlBroker().LoadGlyphResource(900); }),
              "Resource NGLYPHS16_900 is not a 32 by 16 glyph");
    EXPECT_THROW(LoadGlyph(7, true), ENEResourceNotFoundErr);
}

TEST_F(NControl, LoadGlyphTakesTheHalfOfTheState)
{
    const QImage enabled = LoadGlyph(5, true);
    const QImage disabled = LoadGlyph(5, false);
    ASSERT_EQ(enabled.size(), QSize(16, 16));
    EXPECT_EQ(enabled.format(), PixelFormat);
    EXPECT_EQ(PixelAt(enabled, 4, 4), QColor(Qt::black));
    EXPECT_EQ(PixelAt(disabled, 4, 4), QColor(Qt::white));
    EXPECT_EQ(PixelAt(disabled, 3, 3), Grey);
}

TEST_F(NControl, ImageListsAddReplaceAndMask)
{
    TNEImageList images(16, 16);
    AddGlyph(images, 5, true);
    AddGlyph(images, -1, false);
    ASSERT_EQ(images.Count(), 2);
    EXPECT_EQ(PixelAt(images.Image(0), 4, 4), QColor(Qt::black));

    const QImage before = images.Image(0);
    ReplaceGlyph(images, -1, 64, false);
    ReplaceGlyph(images, 2, 64, false);
    EXPECT_EQ(images.Count(), 2);
    EXPECT_EQ(images.Image(0), before) << "an index outside the list changes nothing";
    ReplaceGlyph(images, 0, 64, false);
    EXPECT_EQ(PixelAt(images.Image(0), 11, 11), QColor(Qt::white));

    QImage masked(16, 16, PixelFormat);
    masked.fill(QColor(128, 128, 0));
    masked.setPixelColor(1, 1, Qt::red);
    images.Add(masked, QColor(128, 128, 0));
    EXPECT_EQ(qAlpha(images.Image(2).pixel(0, 0)), 0);
    EXPECT_EQ(images.Image(2).pixel(1, 1), qRgb(255, 0, 0));

    EXPECT_THROW(images.Add(QImage(16, 17, PixelFormat), Qt::black), ENEImageListErr);
    EXPECT_EQ(images.Count(), 3);
}

TEST_F(NControl, AddShadedGlyphCentresTheGlyphWithSparePixelsFirst)
{
    struct Case
    {
        QSize List;
        QPoint GlyphAt;
    };
    const Case cases[] = {{{16, 16}, {0, 0}}, {{16, 17}, {0, 1}}, {{20, 20}, {2, 2}}, {{19, 18}, {2, 1}}};
    const QColor back(200, 100, 50);
    for (const Case& c : cases) {
        TNEImageList images(c.List.width(), c.List.height());
        AddShadedGlyph(images, 5, back, true);
        const QImage& image = images.Image(0);
        const QPoint square = c.GlyphAt + QPoint(4, 4);
        EXPECT_EQ(image.pixel(square), qRgb(0, 0, 0)) << c.List.width() << "x" << c.List.height();
        EXPECT_EQ(image.pixel(square + QPoint(3, 3)), qRgb(0, 0, 0));
        EXPECT_EQ(qAlpha(image.pixel(square - QPoint(1, 1))), 0) << "the back colour is the mask";
        EXPECT_EQ(qAlpha(image.pixel(square + QPoint(4, 4))), 0);
    }
}

TEST_F(NControl, OutlinePanelFramesItsClientOnTheOutlinedSides)
{
    struct Case
    {
        TNEOutlineSides Sides;
        QRect Client;
        int InnerWidth;
        int InnerHeight;
    };
    const Case cases[] = {
        {osLeft | osTop | osRight | osBottom, {1, 1, 98, 48}, 98, 48},
        {osLeft | osTop, {1, 1, 99, 49}, 99, 49},
        {osRight | osBottom, {0, 0, 99, 49}, 99, 49},
        {osLeft, {1, 0, 99, 50}, 99, 50},
        {osBottom, {0, 0, 100, 49}, 100, 49},
        {{}, {0, 0, 100, 50}, 100, 50},
    };
    for (const Case& c : cases) {
        QWidget window;
        auto* panel = new TNEOutlinePanel(&window);
        panel->SetOutline(c.Sides);
        panel->resize(100, 50);
        auto* client = new QWidget(&window);
        panel->SetClient(client);
        EXPECT_EQ(client->parentWidget(), panel);
        EXPECT_EQ(client->geometry(), c.Client) << int(c.Sides);
        EXPECT_EQ(panel->InnerWidth(), c.InnerWidth);
        EXPECT_EQ(panel->InnerHeight(), c.InnerHeight);

        window.show(); // a hidden widget hears of its resizes when it is shown
        panel->SetInnerWidth(60);
        EXPECT_EQ(panel->InnerWidth(), 60);
        EXPECT_EQ(client->width(), 60) << "resizing aligns the client";
    }
}

TEST_F(NControl, OutlinePanelPlacesItsClientOnceItHasAParent)
{
    auto* panel = new TNEOutlinePanel;
    QWidget window;
    auto* client = new QWidget(&window);
    client->setGeometry(5, 5, 10, 10);
    panel->resize(40, 30);
    panel->SetClient(client);
    EXPECT_EQ(client->parentWidget(), &window) << "no parent yet: the client stays where it is";

    panel->setParent(&window);
    EXPECT_EQ(client->parentWidget(), panel);
    EXPECT_EQ(client->geometry(), QRect(1, 1, 38, 28));

    delete client; // borrowed: the panel must forget it
    EXPECT_EQ(panel->Client(), nullptr);
    panel->resize(50, 50);
}

TEST_F(NControl, OutlinePanelPaintsTheOutlineOnItsSides)
{
    TNEOutlinePanel panel;
    panel.SetOutline(osLeft | osBottom);
    panel.resize(10, 6);
    const QImage image = panel.grab().toImage();
    const QColor outline(113, 124, 136), face(208, 216, 224);
    EXPECT_EQ(panel.Color(), face);
    EXPECT_EQ(image.pixelColor(0, 0), outline);
    EXPECT_EQ(image.pixelColor(0, 5), outline);
    EXPECT_EQ(image.pixelColor(9, 5), outline);
    EXPECT_EQ(image.pixelColor(9, 0), face);
    EXPECT_EQ(image.pixelColor(5, 2), face);
}

TEST_F(NControl, DrawGlyphShadesOntoWhatThePaintBufferHolds)
{
    TGlyphWidget widget(LoadGlyph(5, true), QPoint(10, 0));
    const QImage image = widget.grab().toImage();
    const QColor back(200, 100, 50);
    EXPECT_EQ(image.pixelColor(12 + 4, 3 + 4), QColor(Qt::black)) << "at (2, 3) shifted by the translation";
    EXPECT_EQ(image.pixelColor(12 + 3, 3 + 4), back) << "neutral grey leaves the background";
    EXPECT_EQ(image.pixelColor(2 + 4, 3 + 4), back);

    QPixmap pixmap(4, 4);
    QPainter onPixmap(&pixmap);
    EXPECT_THROW(DrawGlyph(onPixmap, 0, 0, LoadGlyph(5, true)), ENECanvasErr);
}

TEST_F(NControl, GlyphButtonsShowTheEnabledAndDisabledHalves)
{
    QWidget parent;
    QPushButton* button = CreateGlyphButton(5, QStringLiteral("OK"), &parent);
    EXPECT_EQ(button->parentWidget(), &parent);
    EXPECT_EQ(button->geometry(), QRect(8, 8, 94, 26));
    EXPECT_EQ(button->text(), QStringLiteral("OK"));
    EXPECT_EQ(button->iconSize(), QSize(16, 16));

    const QColor face = button->palette().color(QPalette::Button);
    const QImage normal = button->icon().pixmap(16, 16, QIcon::Normal).toImage();
    const QImage disabled = button->icon().pixmap(16, 16, QIcon::Disabled).toImage();
    EXPECT_EQ(normal.pixelColor(4, 4), QColor(Qt::black));
    EXPECT_EQ(normal.pixelColor(0, 0), face);
    EXPECT_EQ(disabled.pixelColor(4, 4), QColor(Qt::white));

    EXPECT_THROW(CreateGlyphButton(8, QStringLiteral("Missing"), &parent), ENEResourceNotFoundErr);
    EXPECT_EQ(parent.findChildren<QPushButton*>().size(), 1) << "a button whose glyph failed is not left behind";
}

TEST_F(NControl, CenterVerticallyUsesTheReferenceMiddle)
{
    struct Case
    {
        int ControlHeight;
        int Top;
    };
    const Case cases[] = {{20, 15}, {30, 10}, {21, 14}, {31, 10}, {50, 0}};
    QWidget parent;
    QWidget reference(&parent);
    reference.setGeometry(0, 10, 50, 30);
    for (const Case& c : cases) {
        QWidget control(&parent);
        control.setGeometry(7, 99, 5, c.ControlHeight);
        CenterVertically(reference, control);
        EXPECT_EQ(control.pos(), QPoint(7, c.Top)) << c.ControlHeight;
    }
}

TEST(NControlGeometry, DefaultFormGeometryFollowsTheScreenSize)
{
    struct Case
    {
        QSize Screen;
        TNEFormGeometry Geometry;
    };
    const Case cases[] = {
        {{800, 600}, {0, 0, 800, 600}}, {{1024, 768}, {102, 77, 819, 614}}, {{1920, 1080}, {192, 108, 1536, 864}},
        {{640, 480}, {0, 0, 800, 600}}, {{1000, 700}, {100, 50, 800, 600}}, {{1001, 751}, {100, 75, 801, 601}},
        {{}, {0, 0, 800, 600}},
    };
    for (const Case& c : cases) {
        const TNEFormGeometry g = DefaultFormGeometryFor(c.Screen);
        EXPECT_EQ(g, c.Geometry) << c.Screen.width() << "x" << c.Screen.height() << ": " << g.Left << "," << g.Top
                                 << " " << g.Width << "x" << g.Height;
    }
}

TEST_F(NControl, DefaultFormGeometryIsFixedOnceAScreenExists)
{
    TFakeScreen screen{QSize()};
    EXPECT_EQ(DefaultFormWidth(), 800) << "no screen yet";
    screen.Screen = QSize(1024, 768);
    EXPECT_EQ(DefaultFormWidth(), 819);
    screen.Screen = QSize(1920, 1080);
    EXPECT_EQ(DefaultFormGeometry(), (TNEFormGeometry{102, 77, 819, 614}));
    EXPECT_EQ(DefaultFormLeft(), 102);
    EXPECT_EQ(DefaultFormTop(), 77);
    EXPECT_EQ(DefaultFormHeight(), 614);
}

TEST_F(NControl, RendersAPanelWithGlyphButtonsForAPersonToCheck)
{
    QWidget window;
    window.resize(220, 90);
    auto* panel = new TNEOutlinePanel(&window);
    panel->setGeometry(4, 4, 212, 82);
    auto* inner = new TNEBasePanel;
    inner->SetColor(QColor(160, 176, 192));
    panel->SetClient(inner);
    QPushButton* ok = CreateGlyphButton(5, QStringLiteral("&OK"), inner);
    QPushButton* cancel = CreateGlyphButton(64, QStringLiteral("Cancel"), inner);
    cancel->move(106, 8);
    cancel->setEnabled(false);
    auto* edit = new TNEOpaqueEdit(inner);
    edit->setGeometry(8, 42, 192, 24);
    edit->setText(QStringLiteral("Opaque edit"));
    CenterVertically(*ok, *cancel);

    const QImage image = window.grab().toImage();
    EXPECT_EQ(image.pixelColor(4, 4), QColor(113, 124, 136));
    EXPECT_EQ(image.pixelColor(6, 6), QColor(160, 176, 192));
    const QByteArray folder = qgetenv("FENK_RENDER_DIR");
    if (!folder.isEmpty()) {
        EXPECT_TRUE(image.save(QDir(QString::fromLocal8Bit(folder)).filePath(QStringLiteral("NControl.png"))));
    }
}
