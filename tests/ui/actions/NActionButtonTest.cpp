#include "ui/actions/NActionButton.h"

#include "tests/support/ui/ApplicationFixture.h"
#include "tests/support/ui/FakeScreen.h"
#include "tests/support/ui/ModalDriver.h"
#include "tests/ui/actions/WidgetProbe.h"
#include "ui/actions/NPixel.h"
#include "ui/platform/NDesktop.h"
#include "ui/platform/NForm.h"

#include <QMouseEvent>
#include <QTest>

#include <functional>

namespace {

using NActionButton = TApplicationFixture;

const QColor ViewColor(160, 176, 192);
const QColor HotFrame(113, 124, 136);
const QColor DownFrame(135, 148, 161);
const QColor HotDownFace(249, 250, 251);
const QColor HotFace(241, 243, 246);
const QColor DownFace(231, 235, 239);

struct TCommands
{
    void Run(QObject*)
    {
        ++Runs;
        if (WhileRunning)
            WhileRunning();
    }
    void Other(QObject*) { ++OtherRuns; }
    void Third(QObject*) {}
    void Fourth(QObject*) {}

    int Runs = 0;
    int OtherRuns = 0;
    std::function<void()> WhileRunning;
};

// A window with a controller of four actions shown as a view and as a tool bar.
class TWindow
{
public:
    TWindow()
    {
        Controller.SetActionLock(&Lock);
        Controller.AddAction(32, QStringLiteral("Open..."), Handler(0), ShortCut('O', scCtrl),
                             QStringLiteral("Open file"));
        Controller.AddAction(7, QStringLiteral("New..."), Handler(1), 0, QStringLiteral("New file"));
        Controller.AddAction(10, QStringLiteral("C&lose"), Handler(2), ShortCut(vkDelete, scCtrl), {});
        Controller.AddAction(4, QStringLiteral("E&xit"), Handler(3), 0, {});
        View = new TNEActionView(&Form);
        ToolBar = new TNEActionToolBar(&Form);
        Controller.BuildView(*View);
        Controller.BuildToolBar(*ToolBar);
        View->move(0, 0);
        ToolBar->move(View->width() + 8, 0);
        Form.resize(400, 200);
    }

    TNEActionHandler Handler(int Index)
    {
        switch (Index) {
        case 0:
            return {&Commands, &TCommands::Run};
        case 1:
            return {&Commands, &TCommands::Other};
        case 2:
            return {&Commands, &TCommands::Third};
        default:
            return {&Commands, &TCommands::Fourth};
        }
    }
    TNEActionButton& ViewButton(int Index) { return *View->Buttons().GetItem(Index); }
    TNEActionButton& ToolButton(int Index) { return *ToolBar->Buttons().GetItem(Index); }

    void ShowActive()
    {
        Form.show();
        Form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
    }

    TFakeScreen Screen{QSize(1600, 1200)};
    TCommands Commands;
    TNEActionLock Lock;
    TNEActionController Controller; // outlives the form, which goes first with its clients
    TNEForm Form;
    TNEActionView* View;
    TNEActionToolBar* ToolBar;
};

// The glyph as a button shades it onto a face of one colour.
QImage ShadedGlyph(const QImage& Glyph, const QColor& Face)
{
    QImage expected(16, 16, PixelFormat);
    expected.fill(Face);
    BlendGlyph(Glyph, expected, 0, 0);
    return expected.convertToFormat(QImage::Format_RGB32);
}

void PressLeft(QWidget& Widget)
{
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(8, 8), Widget.mapToGlobal(QPointF(8, 8)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Widget, &press);
}

} // namespace

TEST_F(NActionButton, ToolBarStacksGlyphButtonsWithHintsAndShortCuts)
{
    TWindow window;
    EXPECT_EQ(window.ToolBar->size(), QSize(28, 4 * 27 + 1));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(window.ToolButton(i).geometry(), QRect(1, 1 + 27 * i, 26, 26)) << i;
        EXPECT_TRUE(window.ToolButton(i).Compact());
    }
    EXPECT_EQ(window.ToolButton(0).toolTip(), QStringLiteral("Open file (Ctrl+O)"));
    EXPECT_EQ(window.ToolButton(1).toolTip(), QStringLiteral("New file"));
    EXPECT_EQ(window.ToolButton(2).toolTip(), QStringLiteral(" (Ctrl+Del)")) << "no hint: the shortcut alone";
    EXPECT_EQ(window.ToolButton(3).toolTip(), QString());
}

TEST_F(NActionButton, ThreeActionsGiveATwentyEightByEightyTwoToolBar)
{
    TNEActionLock lock;
    TNEActionController controller;
    TCommands commands;
    for (int i = 0; i < 3; ++i)
        controller.AddAction(-1, QStringLiteral("Command"), {&commands, &TCommands::Run}, 0, {});
    TNEActionToolBar toolBar;
    controller.BuildToolBar(toolBar);
    EXPECT_EQ(toolBar.size(), QSize(28, 82));
    const int tops[] = {1, 28, 55};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(toolBar.Buttons().GetItem(i)->y(), tops[i]);
}

TEST_F(NActionButton, ViewIsAsWideAsTheWidestCaptionWithGlyphAndScrollBar)
{
    TWindow window;
    int widest = 0;
    for (int i = 0; i < 4; ++i)
        widest = std::max(widest, TextWidth(window.ViewButton(i), window.Controller.Action(i).Caption));
    const int buttonWidth = widest + 28 + 17;
    EXPECT_EQ(window.View->size(), QSize(buttonWidth + 2, 4 * 27 + 1));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(window.ViewButton(i).geometry(), QRect(1, 1 + 27 * i, buttonWidth, 26)) << i;
        EXPECT_FALSE(window.ViewButton(i).Compact());
    }
    EXPECT_EQ(window.ViewButton(0).Caption(), QStringLiteral("&Open..."));
}

TEST_F(NActionButton, DisabledButtonShowsItsCaptionWithoutMarksAndIgnoresItsLetter)
{
    TWindow window;
    window.ShowActive();
    window.Controller.SetActionEnabled(false, window.Handler(0));
    EXPECT_FALSE(window.ViewButton(0).isEnabled());
    EXPECT_FALSE(window.ToolButton(0).isEnabled());
    EXPECT_EQ(window.ViewButton(0).Caption(), QStringLiteral("Open..."));
    EXPECT_EQ(window.ViewButton(0).Bitmap(), window.Controller.GetActionBitmap(false, 0));
    QTest::keyClick(&window.Form, Qt::Key_O, Qt::AltModifier);
    EXPECT_EQ(window.Commands.Runs, 0);

    window.Controller.SetActionEnabled(true, window.Handler(0));
    EXPECT_EQ(window.ViewButton(0).Caption(), QStringLiteral("&Open..."));
    EXPECT_EQ(window.ViewButton(0).Bitmap(), window.Controller.GetActionBitmap(true, 0));
    QTest::keyClick(&window.Form, Qt::Key_O, Qt::AltModifier);
    EXPECT_EQ(window.Commands.Runs, 1) << "Alt+letter runs the action once, though a view and a tool bar show it";
    EXPECT_TRUE(window.ViewButton(0).hasFocus());
    EXPECT_EQ(window.Commands.OtherRuns, 0);
}

TEST_F(NActionButton, EnterOrSpaceRunTheFocusedButtonOnly)
{
    TWindow window;
    window.ShowActive();
    QTest::keyClick(&window.ViewButton(1), Qt::Key_Return);
    EXPECT_EQ(window.Commands.OtherRuns, 0) << "not focused";
    window.ViewButton(1).setFocus();
    QTest::keyClick(&window.ViewButton(1), Qt::Key_Return);
    QTest::keyClick(&window.ViewButton(1), Qt::Key_Space);
    QTest::keyClick(&window.ViewButton(1), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(window.Commands.OtherRuns, 3) << "the keypad's Enter too";
    QTest::keyClick(&window.ViewButton(1), Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(&window.ViewButton(1), Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(window.Commands.OtherRuns, 3) << "not with a modifier";
}

TEST_F(NActionButton, ClickRunsTheActionOnceOnThePress)
{
    TWindow window;
    window.ShowActive();
    QTest::mousePress(&window.ToolButton(0), Qt::LeftButton, {}, QPoint(8, 8));
    EXPECT_EQ(window.Commands.Runs, 1);
    QTest::mouseRelease(&window.ToolButton(0), Qt::LeftButton, {}, QPoint(8, 8));
    EXPECT_EQ(window.Commands.Runs, 1);
    QTest::mouseClick(&window.ToolButton(0), Qt::RightButton, {}, QPoint(8, 8));
    EXPECT_EQ(window.Commands.Runs, 1) << "the right button runs nothing";
    EXPECT_FALSE(window.ToolButton(0).hasFocus()) << "a click focuses only when the column holds the focus";

    window.ViewButton(3).setFocus();
    ASSERT_TRUE(window.ViewButton(3).hasFocus());
    QTest::mousePress(&window.ViewButton(0), Qt::LeftButton, {}, QPoint(8, 8));
    EXPECT_EQ(window.Commands.Runs, 2);
    EXPECT_TRUE(window.ViewButton(0).hasFocus());
}

TEST_F(NActionButton, SecondClickWhileTheHandlerShowsAModalDialogIsIgnored)
{
    TWindow window;
    window.ShowActive();
    TModalDriver driver;
    int runsSeenInside = -1;
    window.Commands.WhileRunning = [&] {
        TNEForm dialog(&window.Form);
        driver.Answer([&](QWidget& modal) {
            PressLeft(window.ViewButton(0));
            QTest::keyClick(&window.Form, Qt::Key_O, Qt::AltModifier);
            runsSeenInside = window.Commands.Runs;
            static_cast<QDialog&>(modal).accept();
        });
        dialog.ShowModal();
    };
    PressLeft(window.ViewButton(0));
    EXPECT_EQ(runsSeenInside, 1);
    EXPECT_EQ(window.Commands.Runs, 1);
    EXPECT_FALSE(window.Lock.IsLocked());
}

TEST_F(NActionButton, DisablingTheFocusedButtonMovesTheFocusToAnEnabledNeighbour)
{
    struct Case
    {
        std::vector<int> AlsoDisabled;
        int Expected; // -1: no button of the view takes the focus
    };
    const Case cases[] = {
        {{}, 1},     // the nearest enabled button before it
        {{0, 1}, 3}, // none before: the first enabled one after it
        {{1}, 0},
        {{0, 1, 3}, -1},
    };
    for (const Case& test : cases) {
        TWindow window;
        window.ShowActive();
        for (int index : test.AlsoDisabled)
            window.Controller.SetActionEnabled(false, window.Handler(index));
        window.ViewButton(2).setFocus();
        ASSERT_TRUE(window.ViewButton(2).hasFocus());
        window.Controller.SetActionEnabled(false, window.Handler(2));
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(window.ViewButton(i).hasFocus(), i == test.Expected) << "expected " << test.Expected;
        EXPECT_EQ(window.View->HasFocusedButton(), test.Expected >= 0);
    }
}

// Just after a modal question inside its own command the window is not active yet, and a button the command
// disables must still hand its focus on.
TEST_F(NActionButton, DisablingTheFocusedButtonOfAnInactiveWindowMovesItsFocusToo)
{
    TWindow window;
    window.ShowActive();
    window.ViewButton(2).setFocus();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    ASSERT_FALSE(window.Form.isActiveWindow());
    ASSERT_EQ(window.Form.focusWidget(), &window.ViewButton(2));
    EXPECT_TRUE(window.View->HasFocusedButton()) << "it holds the window's focus";

    window.Controller.SetActionEnabled(false, window.Handler(2));
    EXPECT_EQ(window.Form.focusWidget(), &window.ViewButton(1)) << "the nearest enabled button before it";
    window.Form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window.Form));
    EXPECT_TRUE(window.ViewButton(1).hasFocus());
}

TEST_F(NActionButton, FocusNextEnabledWithoutHandlerTakesTheFirstEnabledButton)
{
    TWindow window;
    window.ShowActive();
    window.Controller.SetActionEnabled(false, window.Handler(0));
    EXPECT_TRUE(window.View->FocusNextEnabled());
    EXPECT_TRUE(window.ViewButton(1).hasFocus());
    for (int i = 1; i < 4; ++i)
        window.Controller.SetActionEnabled(false, window.Handler(i));
    EXPECT_FALSE(window.View->FocusNextEnabled());
}

TEST_F(NActionButton, ButtonsTrackTheMouseOnlyWhileEnabled)
{
    TWindow window;
    window.ShowActive();
    Enter(window.ViewButton(0));
    EXPECT_TRUE(window.ViewButton(0).Hot());
    Leave(window.ViewButton(0));
    EXPECT_FALSE(window.ViewButton(0).Hot());
    window.Controller.SetActionEnabled(false, window.Handler(1));
    Enter(window.ViewButton(1));
    EXPECT_FALSE(window.ViewButton(1).Hot());
}

TEST_F(NActionButton, ButtonsPaintTheirStatesInTheirColours)
{
    TWindow window;
    window.ShowActive();
    TNEActionButton& plain = window.ViewButton(0);
    TNEActionButton& hot = window.ViewButton(1);
    TNEActionButton& down = window.ViewButton(2);
    TNEActionButton& disabled = window.ViewButton(3);
    Enter(hot);
    window.View->UpdateDown(true, window.Handler(2));
    window.Controller.SetActionEnabled(false, window.Handler(3));
    const int right = plain.width() - 1;
    plain.clearFocus(); // the window's first tab stop takes the focus when it is shown

    const QImage plainImage = Render(plain);
    EXPECT_EQ(plainImage.pixelColor(0, 0), ViewColor);
    EXPECT_EQ(plainImage.pixelColor(right, 25), ViewColor);
    EXPECT_EQ(plainImage.copy(5, 5, 16, 16), ShadedGlyph(plain.Bitmap(), ViewColor));
    EXPECT_TRUE(Contains(plainImage, QRect(28, 7, right - 28, 18), Qt::black)) << "the caption in black";

    const QImage hotImage = Render(hot);
    EXPECT_EQ(hotImage.pixelColor(0, 0), HotFrame);
    EXPECT_EQ(hotImage.pixelColor(right, 25), HotFrame);
    EXPECT_EQ(hotImage.pixelColor(1, 1), HotFace);
    EXPECT_EQ(hotImage.pixelColor(right - 1, 1), HotFace) << "the caption area is lit too";
    EXPECT_EQ(hotImage.copy(5, 5, 16, 16), ShadedGlyph(hot.Bitmap(), HotFace));

    const QImage downImage = Render(down);
    EXPECT_EQ(downImage.pixelColor(0, 0), DownFrame);
    EXPECT_EQ(downImage.pixelColor(25, 25), DownFrame);
    EXPECT_EQ(downImage.pixelColor(1, 1), DownFace);
    EXPECT_EQ(downImage.pixelColor(26, 1), ViewColor) << "only the glyph square shows the pressed look";

    Enter(down);
    const QImage hotDownImage = Render(down);
    EXPECT_EQ(hotDownImage.pixelColor(0, 0), HotFrame);
    EXPECT_EQ(hotDownImage.pixelColor(25, 12), DownFrame);
    EXPECT_EQ(hotDownImage.pixelColor(1, 1), HotDownFace);

    const QImage disabledImage = Render(disabled);
    const QRect captionArea(28, 7, right - 28, 18);
    EXPECT_EQ(disabledImage.pixelColor(1, 1), ViewColor);
    EXPECT_TRUE(Contains(disabledImage, captionArea, QColor(128, 128, 128))) << "the caption in grey";
    EXPECT_FALSE(Contains(disabledImage, captionArea, Qt::black));
    EXPECT_EQ(disabledImage.copy(5, 5, 16, 16), ShadedGlyph(window.Controller.GetActionBitmap(false, 3), ViewColor));

    plain.setFocus();
    const QImage focusedImage = Render(plain);
    EXPECT_EQ(focusedImage.pixelColor(0, 0), QColor(255 - 160, 255 - 176, 255 - 192)) << "a dotted, inverted frame";
    EXPECT_EQ(focusedImage.pixelColor(1, 0), ViewColor);
    EXPECT_EQ(focusedImage.copy(5, 5, 16, 16), plainImage.copy(5, 5, 16, 16)) << "the focus frames the edge only";

    Enter(window.ToolButton(0));
    const QImage toolImage = Render(window.ToolButton(0));
    EXPECT_EQ(toolImage.pixelColor(25, 25), HotFrame);
    EXPECT_EQ(toolImage.pixelColor(24, 24), HotFace);
    EXPECT_EQ(Render(window.ToolButton(1)).pixelColor(12, 2), QColor(208, 216, 224))
        << "a tool bar button shows its bar";
}

namespace {

// Counts the events of one type that reach a widget.
class TEventCounter : public QObject
{
public:
    TEventCounter(QWidget& Widget, QEvent::Type Type, int& Count) : Type_(Type), Count_(Count)
    {
        Widget.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* Event) override
    {
        if (Event->type() == Type_)
            ++Count_;
        return false;
    }

private:
    QEvent::Type Type_;
    int& Count_;
};

} // namespace

TEST_F(NActionButton, APressThatRanACommandStopsAtTheButton)
{
    TWindow window;
    window.ShowActive();
    int pressesBehind = 0;
    TEventCounter counter(window.Form, QEvent::MouseButtonPress, pressesBehind);
    PressLeft(window.ViewButton(0));
    PressLeft(window.ToolButton(0));
    EXPECT_EQ(window.Commands.Runs, 2);
    EXPECT_EQ(pressesBehind, 0) << "the window behind the buttons must not see the presses";

    window.Commands.WhileRunning = [&] { delete window.ToolBar; }; // a command that takes its own button away
    PressLeft(window.ToolButton(0));
    EXPECT_EQ(window.Commands.Runs, 3);
}
