#include "ui/platform/NForm.h"

#include "tests/support/ui/ApplicationFixture.h"
#include "tests/support/ui/FakeScreen.h"
#include "tests/support/ui/ModalDriver.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <stdexcept>
#include <vector>

namespace {

using NForm = TApplicationFixture;

// A form that consumes the keys it is told to and records every key it previews, through its key-down hook as
// every window does.
class TPreviewForm : public TNEForm
{
public:
    TPreviewForm()
    {
        SetKeyPreview(true);
        OnKeyDown = {this, &TPreviewForm::FormKeyDown};
        Edit = new QLineEdit(this);
        Edit->setText(QStringLiteral("abc"));
        resize(200, 100);
    }

    void FormKeyDown(TNEShortCut& Key)
    {
        Seen.push_back(Key);
        if (Key == Consumed)
            Key = 0;
    }

    QLineEdit* Edit;
    TNEShortCut Consumed = 0;
    std::vector<TNEShortCut> Seen;
};

// A control that answers its own accelerator.
class TAcceleratedPanel : public QWidget, public TNEAcceleratorControl
{
public:
    TAcceleratedPanel(const QString& Caption, QWidget* Parent) : QWidget(Parent), Caption_(Caption) {}
    QString AcceleratorCaption() const override { return Caption_; }
    void ExecuteAccelerator() override { ++Executed; }
    int Executed = 0;

private:
    QString Caption_;
};

void ShowAndFocus(TNEForm& Form, QWidget& Control)
{
    Form.show();
    Form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
    Control.setFocus();
}

} // namespace

TEST_F(NForm, KeyPreviewConsumesAKeyBeforeTheFocusedControlAndPassesTheOthers)
{
    TPreviewForm form;
    form.Consumed = ShortCut(vkDelete);
    ShowAndFocus(form, *form.Edit);
    form.Edit->setCursorPosition(0);

    QTest::keyClick(form.Edit, Qt::Key_Delete);
    EXPECT_EQ(form.Edit->text(), QStringLiteral("abc")) << "the consumed key never reached the edit";
    QTest::keyClick(form.Edit, Qt::Key_X);
    EXPECT_EQ(form.Edit->text(), QStringLiteral("xabc"));
    QTest::keyClick(form.Edit, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(form.Seen, (std::vector<TNEShortCut>{ShortCut(vkDelete), ShortCut('X'), ShortCut(vkEnter, scCtrl)}));

    form.SetKeyPreview(false);
    form.Seen.clear();
    form.Edit->setCursorPosition(0);
    QTest::keyClick(form.Edit, Qt::Key_Delete);
    EXPECT_EQ(form.Edit->text(), QStringLiteral("abc")) << "without key preview the edit deletes";
    EXPECT_TRUE(form.Seen.empty());
}

TEST_F(NForm, KeyPreviewComesBeforeQtShortcuts)
{
    TPreviewForm form;
    form.Consumed = ShortCut('S', scCtrl);
    QAction save(&form);
    save.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    form.addAction(&save);
    int triggered = 0;
    QObject::connect(&save, &QAction::triggered, [&] { ++triggered; });
    ShowAndFocus(form, *form.Edit);

    QTest::keyClick(form.Edit, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(triggered, 0);
    EXPECT_EQ(form.Seen, (std::vector<TNEShortCut>{ShortCut('S', scCtrl)}));

    form.SetKeyPreview(false);
    QTest::keyClick(form.Edit, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(triggered, 1) << "the same key is a Qt shortcut when the form does not preview";
}

TEST_F(NForm, AltLetterReachesTheEnabledVisibleControlWithThatLetter)
{
    TPreviewForm form;
    auto* open = new QPushButton(QStringLiteral("&Open"), &form);
    auto* disabledPrint = new QPushButton(QStringLiteral("&Print"), &form);
    disabledPrint->setEnabled(false);
    auto* hiddenPrint = new QPushButton(QStringLiteral("&Print"), &form);
    hiddenPrint->hide();
    auto* print = new QPushButton(QStringLiteral("&print all"), &form);
    auto* zoom = new TAcceleratedPanel(QStringLiteral("&Zoom"), &form);
    auto* nameLabel = new QLabel(QStringLiteral("&Name"), &form);
    auto* nameEdit = new QLineEdit(&form);
    nameLabel->setBuddy(nameEdit);
    int opened = 0, printed = 0, wronglyPrinted = 0;
    QObject::connect(open, &QPushButton::clicked, [&] { ++opened; });
    QObject::connect(print, &QPushButton::clicked, [&] { ++printed; });
    QObject::connect(disabledPrint, &QPushButton::clicked, [&] { ++wronglyPrinted; });
    QObject::connect(hiddenPrint, &QPushButton::clicked, [&] { ++wronglyPrinted; });
    ShowAndFocus(form, *form.Edit);

    QTest::keyClick(form.Edit, Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(printed, 1);
    EXPECT_EQ(wronglyPrinted, 0);
    QTest::keyClick(form.Edit, Qt::Key_O, Qt::AltModifier);
    EXPECT_EQ(opened, 1);
    QTest::keyClick(form.Edit, Qt::Key_Z, Qt::AltModifier);
    EXPECT_EQ(zoom->Executed, 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), nameEdit);
    EXPECT_FALSE(form.DeliverAccelerator(ShortCut('Q', scAlt))) << "no control carries Q";
    EXPECT_FALSE(form.DeliverAccelerator(ShortCut('O', scCtrl))) << "only Alt+letter is an accelerator";
    EXPECT_EQ(opened, 1);

    form.SetKeyPreview(false);
    QTest::keyClick(form.Edit, Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(printed, 2) << "accelerators work without key preview too";
    EXPECT_EQ(wronglyPrinted, 0);
}

TEST_F(NForm, ShowModalReturnsTheResultTheFormClosedWith)
{
    TNEForm form;
    TModalDriver driver;
    driver.Accept();
    EXPECT_EQ(form.ShowModal(), QDialog::Accepted);
    driver.Reject();
    EXPECT_EQ(form.ShowModal(), QDialog::Rejected);
    driver.Answer([](QWidget& dialog) { static_cast<QDialog&>(dialog).done(7); });
    EXPECT_EQ(form.ShowModal(), 7);
    EXPECT_EQ(driver.AnsweredCount(), 3);
}

TEST_F(NForm, KeysReachTheHandlerDuringAModalRun)
{
    TNEForm form;
    form.SetKeyPreview(true);
    form.OnKeyDown = TNEMethod<void(TNEShortCut&)>(+[](TNEShortCut& Key) {
        if (Key == ShortCut(vkEnter, scCtrl)) {
            Key = 0;
            qobject_cast<QDialog*>(QApplication::activeModalWidget())->done(5);
        }
    });
    TModalDriver driver;
    driver.Answer([](QWidget& dialog) { QTest::keyClick(&dialog, Qt::Key_Return, Qt::ControlModifier); });
    EXPECT_EQ(form.ShowModal(), 5);
}

TEST_F(NForm, PositionIsDesignedOrCentredOnTheOwner)
{
    QWidget owner;
    owner.setGeometry(100, 100, 400, 300);
    owner.show();

    TNEForm centred(&owner);
    centred.SetPosition(fpOwnerCentered);
    centred.setGeometry(0, 0, 200, 100);
    centred.show();
    EXPECT_EQ(centred.frameGeometry().center(), owner.frameGeometry().center());

    TNEForm designed(&owner);
    designed.setGeometry(10, 20, 200, 100);
    designed.show();
    EXPECT_EQ(designed.geometry(), QRect(10, 20, 200, 100));

    TFakeScreen screen(QSize(1024, 768));
    screen.Work = QRect(0, 32, 1024, 736); // a desktop panel along the top edge
    TNEForm ownerless;
    ownerless.SetPosition(fpOwnerCentered);
    ownerless.setGeometry(0, 0, 200, 100);
    ownerless.show();
    EXPECT_EQ(ownerless.frameGeometry().center(), screen.Work.center()) << "without an owner: on the work area";
}

TEST_F(NForm, ActiveControlGetsTheFocusWhenTheFormShows)
{
    TNEForm form;
    auto* first = new QLineEdit(&form);
    auto* second = new QLineEdit(&form);
    second->move(0, 30);
    form.SetActiveControl(second);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_EQ(form.ActiveControl(), second);
    form.SetActiveControl(first);
    EXPECT_EQ(QApplication::focusWidget(), first);
}

TEST_F(NForm, EscapeClosesAFormOnlyWhileItRunsModally)
{
    TPreviewForm window;
    ShowAndFocus(window, *window.Edit);
    QTest::keyClick(window.Edit, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible()) << "a window shown modeless, such as the main window, stays open";
    window.hide();

    TModalDriver driver;
    driver.Answer([&](QWidget&) { QTest::keyClick(window.Edit, Qt::Key_Escape); });
    EXPECT_EQ(window.ShowModal(), QDialog::Rejected);
    EXPECT_EQ(driver.AnsweredCount(), 1);
}

namespace {

// What a find bar does with its form's keys: it saves the installed hook, installs its own, which sees each key
// first and then passes it on, and puts the saved one back.
class TKeyHook
{
public:
    explicit TKeyHook(TNEForm& Form) : Form_(Form), Saved_(Form.OnKeyDown) { Form.OnKeyDown = Own(); }
    ~TKeyHook()
    {
        if (Form_.OnKeyDown == Own())
            Form_.OnKeyDown = Saved_;
    }

    TNEShortCut Consumed = 0;
    std::vector<TNEShortCut> Seen;

private:
    TNEMethod<void(TNEShortCut&)> Own() { return {this, &TKeyHook::KeyDown}; }
    void KeyDown(TNEShortCut& Key)
    {
        Seen.push_back(Key);
        if (Key == Consumed)
            Key = 0;
        if (Saved_)
            Saved_(Key);
    }

    TNEForm& Form_;
    TNEMethod<void(TNEShortCut&)> Saved_;
};

template <typename Form>
concept HasKeyDownOfItsOwn = requires(Form& Window, TNEShortCut& Key)
{
    Window.KeyDown(Key);
};

} // namespace

TEST_F(NForm, TheKeyDownHookIsTheOneWayToSeeAFormsKeys)
{
    static_assert(!HasKeyDownOfItsOwn<TNEForm>, "no second key-down path that a window could override");
    TPreviewForm form;
    ShowAndFocus(form, *form.Edit);
    form.Edit->setCursorPosition(0);
    {
        TKeyHook hook(form);
        hook.Consumed = ShortCut(vkF1 + 2);
        QTest::keyClick(form.Edit, Qt::Key_F3);
        QTest::keyClick(form.Edit, Qt::Key_X);
        EXPECT_EQ(hook.Seen, (std::vector<TNEShortCut>{ShortCut(vkF1 + 2), ShortCut('X')}));
        EXPECT_EQ(form.Seen, (std::vector<TNEShortCut>{0, ShortCut('X')})) << "the window's own hook comes after";
    }
    form.Seen.clear();
    QTest::keyClick(form.Edit, Qt::Key_Y);
    EXPECT_EQ(form.Seen, (std::vector<TNEShortCut>{ShortCut('Y')})) << "the window's own hook is back";
    EXPECT_EQ(form.Edit->text(), QStringLiteral("xyabc"));
}

TEST_F(NForm, CommandKeysAndAcceleratorsWorkOnACyrillicLayout)
{
    TPreviewForm form;
    form.Consumed = ShortCut('O', scCtrl);
    auto* save = new QPushButton(QStringLiteral("&Save"), &form);
    int saved = 0;
    QObject::connect(save, &QPushButton::clicked, [&] { ++saved; });
    ShowAndFocus(form, *form.Edit);

    // On the Russian layout the key where O stands on a US keyboard (XKB keycode 32) gives Щ, the one of S (39) Ы.
    QKeyEvent ctrlO(QEvent::KeyPress, 0x0429, Qt::ControlModifier, 32, 0, 0);
    QApplication::sendEvent(form.Edit, &ctrlO);
    EXPECT_EQ(form.Seen, (std::vector<TNEShortCut>{ShortCut('O', scCtrl)}));
    QKeyEvent altS(QEvent::KeyPress, 0x042B, Qt::AltModifier, 39, 0, 0, QStringLiteral("\u044B"));
    QApplication::sendEvent(form.Edit, &altS);
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(form.Edit->text(), QStringLiteral("abc"));
}

TEST_F(NForm, MainWindowIsAnApplicationWindowAndTheDialogKindADialog)
{
    TNEForm dialog;
    TNEForm mainWindow(nullptr, fkMainWindow);
    EXPECT_EQ(dialog.Kind(), fkDialog);
    EXPECT_EQ(mainWindow.Kind(), fkMainWindow);
    EXPECT_EQ(dialog.windowType(), Qt::Dialog);
    EXPECT_EQ(mainWindow.windowType(), Qt::Window);
    for (const Qt::WindowType hint : {Qt::WindowTitleHint, Qt::WindowSystemMenuHint, Qt::WindowMinimizeButtonHint,
                                      Qt::WindowMaximizeButtonHint, Qt::WindowCloseButtonHint})
        EXPECT_TRUE(mainWindow.windowFlags().testFlag(hint)) << std::hex << hint;
    dialog.winId();
    mainWindow.winId();
    EXPECT_EQ(dialog.windowHandle()->type(), Qt::Dialog) << "the platform makes a dialog window";
    EXPECT_EQ(mainWindow.windowHandle()->type(), Qt::Window) << "the platform makes a normal window";
    EXPECT_EQ(mainWindow.windowHandle()->transientParent(), nullptr);
}

namespace {

// The answers a main window's close query gives.
struct TCloseQuery
{
    void Allow(bool&) { ++Asked; }
    void Refuse(bool& CanClose)
    {
        ++Asked;
        CanClose = false;
    }
    void Fail(bool&)
    {
        ++Asked;
        throw std::runtime_error("Save failed");
    }
    int Asked = 0;
};

} // namespace

TEST_F(NForm, ClosingAMainWindowAsksItsCloseQueryAndNeverRejectsIt)
{
    const struct
    {
        const char* Name;
        void (TCloseQuery::*Query)(bool&);
        bool Closes;
        std::size_t Reports;
    } cases[] = {
        {"allowed", &TCloseQuery::Allow, true, 0},
        {"refused", &TCloseQuery::Refuse, false, 0},
        {"a failing query keeps it open", &TCloseQuery::Fail, false, 1},
    };
    for (const auto& c : cases) {
        Presenter.Clear();
        TCloseQuery query;
        TNEForm window(nullptr, fkMainWindow);
        window.OnCloseQuery = {&query, c.Query};
        int finished = 0;
        QObject::connect(&window, &QDialog::finished, [&] { ++finished; });
        window.show();
        QTest::keyClick(&window, Qt::Key_Escape); // closes no main window
        EXPECT_EQ(window.close(), c.Closes) << c.Name;
        EXPECT_EQ(window.isVisible(), !c.Closes) << c.Name;
        EXPECT_EQ(query.Asked, 1) << c.Name;
        EXPECT_EQ(finished, 0) << c.Name << ": a main window is never rejected";
        EXPECT_EQ(Presenter.Messages().size(), c.Reports) << c.Name;
    }
}

TEST_F(NForm, EnterPressesTheFocusedButtonOrTheDefaultButtonOnly)
{
    const struct
    {
        const char* Name;
        bool HasDefault;
        bool FocusOnButton;
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        std::vector<int> Clicks; // of a plain button and of the default one
    } cases[] = {
        {"Enter in an edit without a default button", false, false, Qt::Key_Return, {}, {0, 0}},
        {"Enter in an edit", true, false, Qt::Key_Return, {}, {0, 1}},
        {"keypad Enter on a focused button", true, true, Qt::Key_Enter, Qt::KeypadModifier, {1, 0}},
        {"Shift+Enter on a focused button", true, true, Qt::Key_Return, Qt::ShiftModifier, {0, 0}},
    };
    for (const auto& c : cases) {
        TNEForm form;
        auto* edit = new QLineEdit(&form);
        std::vector<int> clicks(2, 0);
        QPushButton* buttons[2] = {};
        for (int i = 0; i < (c.HasDefault ? 2 : 1); ++i) {
            buttons[i] = new QPushButton(QStringLiteral("Button %1").arg(i), &form);
            buttons[i]->move(0, 30 * (i + 1));
            QObject::connect(buttons[i], &QPushButton::clicked, [&clicks, i] { ++clicks[i]; });
        }
        if (c.HasDefault)
            buttons[1]->setDefault(true);
        QWidget* focus = c.FocusOnButton ? static_cast<QWidget*>(buttons[0]) : edit;
        ShowAndFocus(form, *focus);
        QTest::keyClick(focus, c.Key, c.Modifiers);
        EXPECT_EQ(clicks, c.Clicks) << c.Name;
    }
}
