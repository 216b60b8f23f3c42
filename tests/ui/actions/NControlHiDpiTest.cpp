#include "tests/support/ui/ApplicationFixture.h"
#include "tests/support/ui/FakeScreen.h"
#include "tests/ui/actions/WidgetProbe.h"
#include "ui/actions/NActionButton.h"
#include "ui/actions/NControl.h"
#include "ui/actions/NToolStrip.h"
#include "ui/platform/NDesktop.h"

#include <QPushButton>

namespace {

// This program runs at QT_SCALE_FACTOR=2 (see CMakeLists.txt): every pixel of a widget is 2 by 2 device pixels.
constexpr int Ratio = 2;

class NControlHiDpi : public TApplicationFixture
{
protected:
    void SetUp() override { ASSERT_EQ(qApp->devicePixelRatio(), Ratio) << "run with QT_SCALE_FACTOR=2"; }
};

const QColor ViewColor(160, 176, 192);
const QColor HotFrame(113, 124, 136);
const QColor HotFace(241, 243, 246);

// The pixels of Area whose 2 by 2 device pixels are not all of one colour. A picture painted at one device pixel
// per pixel and then enlarged has none; text drawn at the device's own pixels has them along its edges.
int MixedPixels(const QImage& Image, const QRect& Area)
{
    int mixed = 0;
    for (int y = Area.top(); y <= Area.bottom(); ++y) {
        for (int x = Area.left(); x <= Area.right(); ++x) {
            const QRgb first = Image.pixel(Ratio * x, Ratio * y);
            const bool even = Image.pixel(Ratio * x + 1, Ratio * y) == first &&
                              Image.pixel(Ratio * x, Ratio * y + 1) == first &&
                              Image.pixel(Ratio * x + 1, Ratio * y + 1) == first;
            mixed += even ? 0 : 1;
        }
    }
    return mixed;
}

struct TCommands
{
    void Run(QObject*) {}
};

// A view of two actions (the test glyphs 5 and 64), a strip with a filler, a splitter and a captioned button, and
// a glyph button.
struct TWindow
{
    TWindow()
    {
        Controller.SetActionLock(&Lock);
        Controller.AddAction(5, QStringLiteral("Open..."), {&Commands, &TCommands::Run}, 0, {});
        Controller.AddAction(64, QStringLiteral("Copy"), {&Commands, &TCommands::Run}, 0, {});
        View = new TNEActionView(&Form);
        Controller.BuildView(*View);
        auto* strip = new TNEToolStrip(&Form);
        strip->setGeometry(0, 60, 300, 30);
        strip->AddControl(new TNEToolStripFiller);
        strip->AddControl(new TNEToolStripSplitter);
        StripButton = new TNEToolStripButton;
        StripButton->SetCaption(QStringLiteral("Orvendale"));
        strip->AddControl(StripButton);
        GlyphButton = CreateGlyphButton(5, QStringLiteral("Pick..."), &Form);
        GlyphButton->move(8, 100);
        Form.resize(320, 140);
        Form.show();
    }

    TNEActionButton& ViewButton(int Index) { return *View->Buttons().GetItem(Index); }

    TFakeScreen Screen{QSize(1600, 1200)};
    TCommands Commands;
    TNEActionLock Lock;
    TNEActionController Controller;
    QWidget Form;
    TNEActionView* View;
    TNEToolStripButton* StripButton;
    QPushButton* GlyphButton;
};

} // namespace

TEST_F(NControlHiDpi, LayoutStaysInPixelsWhileCaptionsAndLinesUseEveryDevicePixel)
{
    TWindow window;
    TNEActionButton& hot = window.ViewButton(1);
    EXPECT_EQ(hot.geometry(), QRect(1, 28, TextWidth(hot, QStringLiteral("&Open...")) + 28 + 17, 26));
    EXPECT_EQ(window.StripButton->x(), 12);
    EXPECT_EQ(window.StripButton->width(), TextWidth(*window.StripButton, QStringLiteral("Orvendale")) + 8 + 26);
    EXPECT_EQ(window.GlyphButton->size(), QSize(94, 26));

    Enter(hot);
    const QImage image = Render(hot);
    ASSERT_EQ(image.size(), Ratio * hot.size());
    const QRect caption(28, 7, TextWidth(hot, QStringLiteral("Copy")), 12);
    EXPECT_GT(MixedPixels(image, caption), 10) << "a sharp caption, not one enlarged from a picture of half the size";
    EXPECT_EQ(image.pixelColor(1, 1), HotFrame) << "a one-pixel frame is two device pixels wide";
    EXPECT_EQ(image.pixelColor(2, 2), HotFace);
    const QImage strip = Render(*window.StripButton);
    EXPECT_GT(MixedPixels(strip, QRect(26, 6, window.StripButton->width() - 27, 14)), 10) << "strip captions too";
}

TEST_F(NControlHiDpi, GlyphsArePixelDoubledWithoutBlur)
{
    TWindow window;
    window.ViewButton(0).clearFocus();
    const QImage view = Render(window.ViewButton(0));
    // The glyph stands at (5, 5); the test glyph 5 has a black 4-pixel square at (4, 4).
    EXPECT_EQ(MixedPixels(view, QRect(5, 5, 16, 16)), 0);
    EXPECT_EQ(view.pixelColor(Ratio * 9, Ratio * 9), QColor(Qt::black));
    EXPECT_EQ(view.pixelColor(Ratio * 9 - 1, Ratio * 9 - 1), ViewColor);

    TGlyphWidget shifted(LoadGlyph(5, true), QPoint(10, 0));
    const QImage shiftedImage = shifted.grab().toImage();
    EXPECT_EQ(shiftedImage.pixelColor(Ratio * 16, Ratio * 7), QColor(Qt::black)) << "at (2, 3) shifted by (10, 0)";
    EXPECT_EQ(shiftedImage.pixelColor(Ratio * 16 - 1, Ratio * 7), QColor(200, 100, 50));

    const QImage icon = window.GlyphButton->icon().pixmap(QSize(16, 16), Ratio).toImage();
    ASSERT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(MixedPixels(icon, QRect(0, 0, 16, 16)), 0) << "the button's glyph doubled, not smoothed up";
    EXPECT_EQ(icon.pixelColor(Ratio * 4, Ratio * 4), QColor(Qt::black));
}
