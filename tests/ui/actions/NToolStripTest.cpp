#include "ui/actions/NToolStrip.h"

#include "tests/support/ui/ApplicationFixture.h"
#include "tests/ui/actions/WidgetProbe.h"
#include "ui/actions/NPixel.h"
#include "ui/platform/NDesktop.h"

#include <QTest>

#include <memory>

namespace {

using NToolStrip = TApplicationFixture;

const QColor PanelColor(208, 216, 224);
const QColor HotFrame(113, 124, 136);
const QColor DownFrame(135, 148, 161);

struct TCommands
{
    void Run(QObject* Sender)
    {
        ++Runs;
        LastSender = Sender;
    }
    int Runs = 0;
    QObject* LastSender = nullptr;
};

// A strip of a filler, a splitter and a button, shown.
struct TStrip
{
    TStrip()
    {
        Strip.resize(300, 30);
        Strip.AddControl(Filler);
        Strip.AddControl(Splitter);
        Strip.AddControl(Button);
        Button->OnExecute = {&Commands, &TCommands::Run};
        Strip.SetActionLock(&Lock);
        Strip.show();
    }

    TCommands Commands;
    TNEActionLock Lock;
    TNEToolStrip Strip;
    TNEToolStripFiller* Filler = new TNEToolStripFiller;
    TNEToolStripSplitter* Splitter = new TNEToolStripSplitter;
    TNEToolStripButton* Button = new TNEToolStripButton;
};

} // namespace

TEST_F(NToolStrip, ControlsStandOnePixelApartInsideTheOutline)
{
    TStrip strip;
    EXPECT_EQ(strip.Strip.height(), 30);
    EXPECT_EQ(strip.Strip.Outline().geometry(), QRect(0, 0, 300, 30));
    EXPECT_EQ(strip.Strip.Inner().geometry(), QRect(1, 1, 298, 28));
    ASSERT_EQ(strip.Strip.ControlCount(), 3);
    const QRect expected[] = {{1, 1, 8, 26}, {10, 1, 1, 26}, {12, 1, 26, 26}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(strip.Strip.StripControls(i)->geometry(), expected[i]) << i;
        EXPECT_EQ(strip.Strip.StripControls(i)->Strip(), &strip.Strip);
        EXPECT_EQ(strip.Strip.StripControls(i)->parentWidget(), &strip.Strip.Inner());
    }
    EXPECT_EQ(strip.Strip.StripControls(-1), nullptr);
    EXPECT_EQ(strip.Strip.StripControls(3), nullptr);

    strip.Filler->resize(50, 26);
    strip.Strip.resize(320, 30);
    EXPECT_EQ(strip.Splitter->x(), 52) << "the layout follows the current widths";
    EXPECT_EQ(strip.Button->x(), 54);
    strip.Strip.AddControl(nullptr);
    EXPECT_EQ(strip.Strip.ControlCount(), 3);
}

TEST_F(NToolStrip, AddControlPlacesAControlAfterTheLastOne)
{
    TNEToolStrip strip;
    auto* first = new TNEToolStripButton;
    auto* second = new TNEToolStripFiller;
    strip.AddControl(first);
    strip.AddControl(second);
    EXPECT_EQ(first->pos(), QPoint(1, 1));
    EXPECT_EQ(second->pos(), QPoint(27, 1)) << "right after the first, before any arranging";
}

TEST_F(NToolStrip, SplitterStaysOnePixelWideAndDrawsItsRuleFromSevenPixelsUp)
{
    TNEBasePanel panel;
    auto& splitter = *new TNEToolStripSplitter(&panel);
    splitter.resize(5, 26);
    EXPECT_EQ(splitter.width(), 1);
    const QImage tall = Render(splitter);
    EXPECT_EQ(tall.pixelColor(0, 2), PanelColor);
    EXPECT_EQ(tall.pixelColor(0, 3), HotFrame);
    EXPECT_EQ(tall.pixelColor(0, 22), HotFrame);
    EXPECT_EQ(tall.pixelColor(0, 23), PanelColor);
    splitter.resize(1, 6);
    const QImage low = Render(splitter);
    for (int y = 0; y < 6; ++y)
        EXPECT_EQ(low.pixelColor(0, y), PanelColor) << y;
}

TEST_F(NToolStrip, ButtonWidensToItsCaptionWhenFirstShownAndNeverShrinks)
{
    TNEToolStrip strip;
    auto* captioned = new TNEToolStripButton;
    auto* plain = new TNEToolStripButton;
    auto* wide = new TNEToolStripButton;
    captioned->SetCaption(QStringLiteral("Orvendale"));
    wide->resize(200, 26);
    wide->SetCaption(QStringLiteral("x"));
    strip.AddControl(captioned);
    strip.AddControl(plain);
    strip.AddControl(wide);
    EXPECT_EQ(captioned->width(), 26) << "fitted only once its window exists";
    strip.show();
    const int captionWidth = TextWidth(*captioned, QStringLiteral("Orvendale"));
    EXPECT_EQ(captioned->width(), captionWidth + 8 + 26) << "a 40-pixel caption gives 74";
    EXPECT_EQ(plain->width(), 26);
    EXPECT_EQ(wide->width(), 200);
    EXPECT_EQ(plain->x(), captioned->width() + 2) << "the strip arranged itself after the fitting";

    captioned->SetCaption(QStringLiteral("Orvendale Orvendale"));
    EXPECT_EQ(captioned->width(), TextWidth(*captioned, QStringLiteral("Orvendale Orvendale")) + 34);
    captioned->SetCaption(QString());
    EXPECT_EQ(captioned->width(), TextWidth(*captioned, QStringLiteral("Orvendale Orvendale")) + 34);
}

TEST_F(NToolStrip, ButtonRunsItsHandlerOnThePressUnderTheLock)
{
    TStrip strip;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&strip.Strip));
    QTest::mousePress(strip.Button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(strip.Button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(strip.Commands.Runs, 1);
    EXPECT_EQ(strip.Commands.LastSender, strip.Button);
    EXPECT_FALSE(strip.Lock.IsLocked());

    strip.Lock.SetLocked(true);
    QTest::mouseClick(strip.Button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(strip.Commands.Runs, 1) << "nothing runs under a held lock";
    strip.Lock.SetLocked(false);

    strip.Button->SetButtonEnabled(false);
    QTest::mouseClick(strip.Button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(strip.Commands.Runs, 1) << "nor on a disabled button";
}

TEST_F(NToolStrip, LocksReachEveryButtonAndCannotBeReplacedWhileHeld)
{
    TStrip strip;
    EXPECT_EQ(strip.Button->ActionLock(), &strip.Lock);
    auto* later = new TNEToolStripButton;
    strip.Strip.AddControl(later);
    EXPECT_EQ(later->ActionLock(), &strip.Lock);

    TNEActionLock other;
    strip.Lock.SetLocked(true);
    EXPECT_THROW(strip.Strip.SetActionLock(&other), ENEInvalidActionLockErr);
    EXPECT_THROW(strip.Button->SetActionLock(&other), ENEInvalidActionLockErr);
    EXPECT_EQ(strip.Strip.ActionLock(), &strip.Lock);
    strip.Lock.SetLocked(false);

    strip.Strip.SetActionLock(nullptr);
    EXPECT_EQ(strip.Button->ActionLock(), nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&strip.Strip));
    QTest::mouseClick(strip.Button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(strip.Commands.Runs, 0) << "no lock, no run";
    EXPECT_EQ(Presenter.Texts(), QStringList{QStringLiteral("Action lock is invalid.")});
}

TEST_F(NToolStrip, ControlDestroyedBeforeItsStripLeavesIt)
{
    TStrip strip;
    delete strip.Splitter;
    ASSERT_EQ(strip.Strip.ControlCount(), 2);
    EXPECT_EQ(strip.Strip.StripControls(1), strip.Button);
    strip.Strip.ArrangeControls();
    EXPECT_EQ(strip.Button->x(), 10);
}

TEST_F(NToolStrip, ButtonPaintsItsStatesInTheirColours)
{
    TStrip strip;
    strip.Button->SetGlyph(45);
    const QImage plain = Render(*strip.Button);
    EXPECT_EQ(plain.pixelColor(0, 0), PanelColor);
    QImage glyph(16, 16, PixelFormat);
    glyph.fill(PanelColor);
    BlendGlyph(LoadGlyph(45, true), glyph, 0, 0);
    EXPECT_EQ(plain.copy(5, 5, 16, 16), glyph.convertToFormat(QImage::Format_RGB32));

    Enter(*strip.Button);
    EXPECT_TRUE(strip.Button->Hot());
    const QImage hot = Render(*strip.Button);
    EXPECT_EQ(hot.pixelColor(0, 0), HotFrame);
    EXPECT_EQ(hot.pixelColor(25, 25), HotFrame);
    EXPECT_EQ(hot.pixelColor(1, 1), QColor(241, 243, 246));

    strip.Button->SetDown(true);
    EXPECT_EQ(Render(*strip.Button).pixelColor(1, 1), QColor(249, 250, 251));
    Leave(*strip.Button);
    const QImage down = Render(*strip.Button);
    EXPECT_EQ(down.pixelColor(0, 0), DownFrame);
    EXPECT_EQ(down.pixelColor(1, 1), QColor(231, 235, 239));

    strip.Button->SetButtonEnabled(false);
    Enter(*strip.Button);
    EXPECT_TRUE(strip.Button->Hot()) << "hot tracking goes on while disabled";
    const QImage disabled = Render(*strip.Button);
    EXPECT_EQ(disabled.pixelColor(0, 0), PanelColor) << "but a disabled button does not light up";
    EXPECT_EQ(strip.Button->Bitmap(), LoadGlyph(45, false));
}

TEST_F(NToolStrip, ButtonCaptionIsBlackOrGreyBesideTheGlyph)
{
    TNEToolStrip strip;
    auto* button = new TNEToolStripButton;
    button->SetCaption(QStringLiteral("Orvendale"));
    strip.AddControl(button);
    strip.show();
    const QRect captionArea(26, 0, button->width() - 26, 26);
    auto hasColour = [&](const QColor& colour) { return Contains(Render(*button), captionArea, colour); };
    EXPECT_TRUE(hasColour(Qt::black));
    button->SetButtonEnabled(false);
    EXPECT_TRUE(hasColour(QColor(128, 128, 128)));
    EXPECT_FALSE(hasColour(Qt::black));
}

TEST_F(NToolStrip, ToolBarHorzDrawsARuleAlongItsBottomOutsideItsClientArea)
{
    TNEToolBarHorz bar;
    bar.resize(40, 10);
    EXPECT_EQ(bar.contentsRect(), QRect(0, 0, 40, 9));
    const QImage image = Render(bar);
    EXPECT_EQ(image.pixelColor(0, 9), HotFrame);
    EXPECT_EQ(image.pixelColor(39, 9), HotFrame);
    EXPECT_EQ(image.pixelColor(20, 8), PanelColor);
}

TEST_F(NToolStrip, BaseStripHandlesNoShortCut)
{
    TNEToolStrip strip;
    EXPECT_FALSE(strip.HandleShortCut(ShortCut(vkF1)));
}
