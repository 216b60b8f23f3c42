#include "ui/lists/NFrame.h"

#include "tests/support/ui/ApplicationFixture.h"
#include "tests/support/ui/FakeScreen.h"
#include "tests/support/ui/ModalDriver.h"
#include "ui/actions/NControl.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <memory>

namespace {

using NFrame = TApplicationFixture;

// Every test of this program runs on a 1024 by 768 screen as far as the default form geometry goes: it is fixed
// before the first frame exists. Tests of other screens install their own metrics on top.
class TScreenEnvironment final : public testing::Environment
{
public:
    void SetUp() override
    {
        Screen_ = std::make_unique<TFakeScreen>(QSize(1024, 768));
        ASSERT_EQ(DefaultFormGeometry(), (TNEFormGeometry{102, 77, 819, 614}));
    }
    void TearDown() override { Screen_.reset(); }

private:
    std::unique_ptr<TFakeScreen> Screen_;
};

[[maybe_unused]] testing::Environment* const ScreenEnvironment =
    testing::AddGlobalTestEnvironment(new TScreenEnvironment);

NE_DECLARE_ERROR(ETestRefusalErr, ENEException, "Entry refused");

// A frame whose OK refuses to accept, as a dialog checking its entries does.
class TRefusingFrame : public TNEBaseFrame
{
public:
    TRefusingFrame()
    {
        AddOkCancelButtons([] { throw ETestRefusalErr(); });
    }
};

} // namespace

TEST_F(NFrame, FormStartsAsABlankSizeableDialogAtTheDefaultGeometry)
{
    TNEForm owner;
    for (QObject* frameOwner : {static_cast<QObject*>(nullptr), static_cast<QObject*>(&owner)}) {
        TNEBaseFrame frame(frameOwner);
        TNEForm& form = frame.Form();
        EXPECT_EQ(form.pos(), QPoint(102, 77));
        EXPECT_EQ(form.size(), QSize(819, 614));
        EXPECT_TRUE(form.windowTitle().isEmpty());
        EXPECT_EQ(form.Position(), fpDesigned);
        EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        EXPECT_NE(form.minimumSize(), form.maximumSize()) << "the border is sizeable";
        EXPECT_EQ(form.parentWidget(), frameOwner ? &owner : nullptr) << "the form belongs to the owner's window";
    }
}

TEST_F(NFrame, AFrameOutlivingItsOwnersWindowFreesItsFormOnlyOnce)
{
    auto owner = std::make_unique<TNEForm>();
    TNEBaseFrame frame(owner.get());
    const QPointer<TNEForm> form(&frame.Form());
    owner.reset();
    EXPECT_TRUE(form.isNull()) << "the owner's window took the form down with it";
    EXPECT_EQ(frame.Owner(), nullptr);
}

TEST_F(NFrame, FindHostFormWalksFramesFormsControlsAndOwners)
{
    TNEForm form;
    auto* panel = new QWidget(&form);
    auto* button = new QPushButton(panel);
    auto* helper = new QObject(button);
    QObject loose;
    auto* looseChild = new QObject(&loose);
    TNEBaseFrame frame(&form);
    auto* frameEdit = new QLineEdit(&frame.Form());
    TNEBaseFrame frameOfFrame(&frame);

    const struct
    {
        const char* Name;
        QObject* Component;
        TNEForm* Host;
    } cases[] = {
        {"nothing", nullptr, nullptr},
        {"a loose object", &loose, nullptr},
        {"an object owned by a loose object", looseChild, nullptr},
        {"a form", &form, &form},
        {"a control on a panel", button, &form},
        {"an object owned by a control", helper, &form},
        {"a frame", &frame, &frame.Form()},
        {"a control on a frame's form", frameEdit, &frame.Form()},
        {"a frame opened from a frame", &frameOfFrame, &frameOfFrame.Form()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindHostForm(c.Component), c.Host) << c.Name;
    EXPECT_EQ(frameOfFrame.Form().parentWidget(), &frame.Form());
}

TEST_F(NFrame, PositionFormPutsTheCornerOnTheOpenersClientAreaInsideTheWorkArea)
{
    struct TCase
    {
        QString Name;
        QRect Work;
        QPoint Opener;
        QSize Target;
        QPoint Expected;
    };
    std::vector<TCase> cases;
    for (const QSize screen : {QSize(800, 600), QSize(1024, 768), QSize(1920, 1080)}) {
        const QRect work(QPoint(0, 0), screen);
        const int w = screen.width();
        const int h = screen.height();
        const QString name = QStringLiteral("%1x%2: ").arg(w).arg(h);
        const QSize size = QSize(DefaultFormGeometryFor(screen).Width, DefaultFormGeometryFor(screen).Height);
        cases.push_back({name + "room enough", work, {40, 30}, {300, 200}, {40, 30}});
        cases.push_back({name + "near the right edge", work, {w - 100, 30}, {300, 200}, {w - 300, 30}});
        cases.push_back({name + "near the bottom", work, {40, h - 50}, {300, 200}, {40, h - 200}});
        cases.push_back(
            {name + "default size from the middle", work, {w / 2, h / 2}, size, {w - size.width(), h - size.height()}});
        cases.push_back({name + "wider and taller than the work area", work, {60, 70}, {w + 50, h + 10}, {0, 0}});
    }
    const QRect panelled(0, 32, 1024, 736); // a desktop panel along the top edge
    cases.push_back({"below a panel, too tall", panelled, {40, 100}, {300, 800}, {40, 32}});
    cases.push_back({"below a panel, near the bottom", panelled, {40, 700}, {300, 200}, {40, 568}});

    for (const TCase& c : cases) {
        TFakeScreen screen(c.Work.size() + QSize(0, c.Work.top()));
        screen.Work = c.Work;
        TNEForm opener;
        opener.setGeometry(QRect(c.Opener, QSize(200, 150)));
        TNEBaseFrame frame(&opener);
        frame.Form().resize(c.Target);
        PositionForm(frame.Form(), &opener);
        EXPECT_EQ(frame.Form().pos(), c.Expected) << c.Name.toStdString();
    }
}

TEST_F(NFrame, PositionFormLeavesAFormCentredOnItsOwnerAlone)
{
    TNEForm opener;
    opener.setGeometry(500, 400, 200, 150);
    TNEBaseFrame frame(&opener);
    frame.Form().SetPosition(fpOwnerCentered);
    frame.Form().move(5, 6);
    PositionForm(frame.Form(), &opener);
    EXPECT_EQ(frame.Form().pos(), QPoint(5, 6));
}

TEST_F(NFrame, AFrameWhoseOwnerHasNoFormOpensAtTheDefaultPlace)
{
    QObject loose;
    auto* looseChild = new QObject(&loose);
    for (QObject* owner : {static_cast<QObject*>(nullptr), &loose, looseChild}) {
        TNEBaseFrame frame(owner);
        frame.Form().move(300, 300);
        TModalDriver driver;
        QPoint shownAt;
        driver.Answer([&shownAt](QWidget& dialog) {
            shownAt = dialog.pos();
            static_cast<QDialog&>(dialog).reject();
        });
        frame.ShowModal();
        EXPECT_EQ(shownAt, QPoint(102, 77));
    }
}

TEST_F(NFrame, PromptLaysOutItsEditAndButtonsAndCentresOnItsOwner)
{
    TNEForm owner;
    owner.setGeometry(100, 120, 600, 400);
    owner.show();
    TNEPromptText prompt(&owner);
    prompt.Caption = QStringLiteral("Folder name");
    TModalDriver driver;
    driver.Answer([&](QWidget& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Folder name"));
        EXPECT_EQ(dialog.size(), QSize(366, 71));
        EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "a single, fixed border";
        EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_LE((dialog.frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(), 2);
        EXPECT_EQ(prompt.Edit().geometry(), QRect(8, 8, 350, 21));
        EXPECT_EQ(prompt.OkButton()->geometry(), QRect(162, 37, 94, 26));
        EXPECT_EQ(prompt.CancelButton()->geometry(), QRect(264, 37, 94, 26));
        EXPECT_EQ(prompt.OkButton()->text(), QStringLiteral("OK"));
        EXPECT_EQ(prompt.CancelButton()->text(), QStringLiteral("Cancel"));
        EXPECT_TRUE(prompt.OkButton()->isDefault());
        EXPECT_FALSE(prompt.OkButton()->icon().isNull()) << "a glyph button";
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
        EXPECT_EQ(QApplication::focusWidget(), &prompt.Edit());
        static_cast<QDialog&>(dialog).reject();
    });
    QString text;
    prompt.Execute(text);
}

TEST_F(NFrame, PromptReturnsTheNewTextOnlyWhenAccepted)
{
    using TAction = std::function<void(TNEPromptText&)>;
    const struct
    {
        const char* Name;
        TAction Close;
        bool Accepted;
        const char* Text;
    } cases[] = {
        {"OK", [](TNEPromptText& p) { p.OkButton()->click(); }, true, "new"},
        {"Enter", [](TNEPromptText& p) { QTest::keyClick(&p.Edit(), Qt::Key_Return); }, true, "new"},
        {"Ctrl+Enter", [](TNEPromptText& p) { QTest::keyClick(&p.Edit(), Qt::Key_Return, Qt::ControlModifier); }, true,
         "new"},
        {"Cancel", [](TNEPromptText& p) { p.CancelButton()->click(); }, false, "old"},
        {"Escape", [](TNEPromptText& p) { QTest::keyClick(&p.Edit(), Qt::Key_Escape); }, false, "old"},
        {"close box", [](TNEPromptText& p) { p.Form().close(); }, false, "old"},
    };
    for (const auto& c : cases) {
        TNEPromptText prompt;
        TModalDriver driver;
        QString shown;
        driver.Answer([&](QWidget&) {
            shown = prompt.Edit().text();
            prompt.Edit().setText(QStringLiteral("new"));
            c.Close(prompt);
        });
        QString text = QStringLiteral("old");
        EXPECT_EQ(prompt.Execute(text), c.Accepted) << c.Name;
        EXPECT_EQ(prompt.Accepted(), c.Accepted) << c.Name;
        EXPECT_EQ(text, QLatin1String(c.Text)) << c.Name;
        EXPECT_EQ(shown, QStringLiteral("old")) << c.Name << ": the edit starts with the caller's text";
    }
}

TEST_F(NFrame, AFailingOkIsReportedByTheApplicationAndLeavesTheDialogOpen)
{
    TRefusingFrame frame;
    TModalDriver driver;
    bool stillOpen = false;
    driver.Answer([&](QWidget&) {
        EXPECT_NO_THROW(frame.OkButton()->click()) << "an exception must not unwind through the button";
        QTest::keyClick(&frame.Form(), Qt::Key_Return, Qt::ControlModifier);
        stillOpen = frame.Form().isVisible();
        frame.Form().reject();
    });
    frame.ShowModal();
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(Presenter.Messages().size(), 2u);
    EXPECT_EQ(Presenter.Messages()[0].Text, QStringLiteral("Entry refused."));
}

namespace {

// A frame with an edit and a glyph button beside it, as a field with a "Pick..." button, and OK and Cancel as
// push buttons or (as in the frames built on actions) not.
class TPickFrame : public TNEBaseFrame
{
public:
    explicit TPickFrame(bool WithOkButton)
    {
        Edit = new TNEOpaqueEdit(&Form());
        Pick = CreateGlyphButton(26, QStringLiteral("Pick..."), &Form());
        Pick->move(264, 6);
        QObject::connect(Pick, &QPushButton::clicked, [this] { ++Picked; });
        if (WithOkButton)
            AddOkCancelButtons([this] { Form().accept(); });
    }

    QLineEdit* Edit;
    QPushButton* Pick;
    int Picked = 0;
};

} // namespace

TEST_F(NFrame, EnterPressesTheDefaultOkOrTheFocusedButtonButNeverAGlyphButtonBeside)
{
    const struct
    {
        const char* Name;
        bool WithOkButton;
        bool FocusOnPick;
        Qt::Key Key;
        int Picked;
        int Result;
    } cases[] = {
        {"Enter in the edit", true, false, Qt::Key_Return, 0, QDialog::Accepted},
        {"Enter in the edit, OK no button", false, false, Qt::Key_Return, 0, QDialog::Rejected},
        {"keypad Enter on Pick", false, true, Qt::Key_Enter, 1, QDialog::Rejected},
    };
    for (const auto& c : cases) {
        TPickFrame frame(c.WithOkButton);
        TModalDriver driver;
        driver.Answer([&](QWidget& dialog) {
            ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
            QWidget* focus = c.FocusOnPick ? static_cast<QWidget*>(frame.Pick) : frame.Edit;
            focus->setFocus();
            QTest::keyClick(focus, c.Key, c.Key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            if (frame.Form().isVisible())
                frame.Form().reject();
        });
        EXPECT_EQ(frame.ShowModal(), c.Result) << c.Name;
        EXPECT_EQ(frame.Picked, c.Picked) << c.Name;
        EXPECT_FALSE(frame.Pick->isDefault()) << c.Name;
    }
}
