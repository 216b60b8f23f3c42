#include "app/FenkPasswordDlg.h"

#include "tests/support/ui/ApplicationFixture.h"
#include "tests/support/ui/ModalDriver.h"
#include "ui/platform/NDesktop.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>

#include <algorithm>
#include <functional>

namespace {

using FenkPasswordDlg = TApplicationFixture;
using TAnswer = std::function<void(TPasswordDlg&)>;

const QString Bullet(QChar(0x2022));

int Bottom(const QWidget& Control)
{
    return Control.y() + Control.height();
}

// Runs the dialog once in the given mode, answering it with Answer while it is open.
void RunDialog(TPasswordDlg& Dialog, bool IsNew, const TAnswer& Answer)
{
    TModalDriver driver;
    driver.Answer([&](QWidget&) { Answer(Dialog); });
    Dialog.IsNew = IsNew;
    Dialog.Execute();
}

void Type(TPasswordDlg& Dialog, const QString& Password, const QString& Verify)
{
    Dialog.PasswordEdit()->setText(Password);
    Dialog.VerifyEdit()->setText(Verify);
}

bool IsZeroed(const QChar* Text, qsizetype Length)
{
    return std::all_of(Text, Text + Length, [](QChar c) { return c.unicode() == 0; });
}

} // namespace

TEST_F(FenkPasswordDlg, LayoutFollowsTheModeAndEndsBelowTheLastVisibleEdit)
{
    const struct
    {
        bool IsNew;
        const char* Label;
    } modes[] = {{false, "Master Password:"}, {true, "New Master Password:"}};
    for (const auto& mode : modes) {
        TPasswordDlg dialog;
        dialog.Form().setWindowTitle(QStringLiteral("Unlock File"));
        RunDialog(dialog, mode.IsNew, [&](TPasswordDlg& d) {
            const QWidget& form = d.Form();
            const QLineEdit& last = mode.IsNew ? *d.VerifyEdit() : *d.PasswordEdit();
            EXPECT_EQ(form.windowTitle(), QStringLiteral("Unlock File"));
            EXPECT_EQ(form.size(), QSize(400, Bottom(last) + 42)) << mode.Label;
            EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "not resizable";
            EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            EXPECT_EQ(d.OkButton()->geometry(), QRect(196, form.height() - 34, 94, 26));
            EXPECT_EQ(d.CancelButton()->geometry(), QRect(298, form.height() - 34, 94, 26));

            EXPECT_EQ(d.FileCaptionLabel()->text(), QStringLiteral("Fenk file:"));
            EXPECT_EQ(d.FileCaptionLabel()->pos(), QPoint(8, 8));
            const int captionWidth = d.FileCaptionLabel()->width();
            EXPECT_EQ(d.FileNameLabel()->geometry().topLeft(), QPoint(captionWidth + 16, 8));
            EXPECT_EQ(d.FileNameLabel()->width(), 400 - captionWidth - 24);
            EXPECT_EQ(d.PasswordLabel()->text(), QLatin1String(mode.Label));
            EXPECT_EQ(d.PasswordLabel()->pos(), QPoint(8, Bottom(*d.FileCaptionLabel()) + 8));
            EXPECT_EQ(d.PasswordEdit()->geometry(), QRect(8, Bottom(*d.PasswordLabel()) + 8, 384, 21));
            EXPECT_EQ(d.VerifyLabel()->isVisible(), mode.IsNew);
            EXPECT_EQ(d.VerifyEdit()->isVisible(), mode.IsNew);
            EXPECT_EQ(d.VerifyLabel()->pos(), QPoint(8, Bottom(*d.PasswordEdit()) + 8));
            EXPECT_EQ(d.VerifyEdit()->geometry(), QRect(8, Bottom(*d.VerifyLabel()) + 8, 384, 21));
            EXPECT_TRUE(QTest::qWaitForWindowActive(&d.Form()));
            EXPECT_EQ(QApplication::focusWidget(), d.PasswordEdit());
            d.CancelButton()->click();
        });
    }
}

TEST_F(FenkPasswordDlg, OkIsRefusedUntilBothNewEntriesAreExactlyEqual)
{
    const struct
    {
        const char* Name;
        bool IsNew;
        QString Password;
        QString Verify;
        bool Accepted;
    } cases[] = {
        {"equal", true, QStringLiteral("Correct horse 1"), QStringLiteral("Correct horse 1"), true},
        {"letter case only", true, QStringLiteral("Correct horse 1"), QStringLiteral("correct horse 1"), false},
        {"sharp s against ss", true, QStringLiteral("Stra\u00DFe"), QStringLiteral("Strasse"), false},
        {"composed against decomposed", true, QStringLiteral("caf\u00E9"), QStringLiteral("cafe\u0301"), false},
        {"trailing blank", true, QStringLiteral("abc"), QStringLiteral("abc "), false},
        {"both empty", true, QString(), QString(), true},
        {"unlock ignores the hidden repetition", false, QStringLiteral("abc"), QStringLiteral("xyz"), true},
    };
    for (const auto& c : cases) {
        Presenter.Clear();
        TPasswordDlg dialog;
        bool stayedOpen = false;
        RunDialog(dialog, c.IsNew, [&](TPasswordDlg& d) {
            Type(d, c.Password, c.Verify);
            d.OkButton()->click();
            stayedOpen = d.Form().isVisible();
            if (stayedOpen)
                d.CancelButton()->click();
        });
        EXPECT_EQ(stayedOpen, !c.Accepted) << c.Name;
        EXPECT_EQ(dialog.Accepted(), c.Accepted) << c.Name;
        EXPECT_TRUE(dialog.Password() == (c.Accepted ? c.Password : QString())) << c.Name;
        const QStringList expected =
            c.Accepted ? QStringList() : QStringList{QStringLiteral("Passwords are not identical")};
        EXPECT_EQ(Presenter.Texts(), expected) << c.Name;
        if (!c.Accepted) {
            ASSERT_EQ(Presenter.Messages().size(), 1u);
            EXPECT_EQ(Presenter.Messages().front().Title, QStringLiteral("Warning"));
        }
    }
}

TEST_F(FenkPasswordDlg, CancelEscapeAndTheCloseBoxReturnNoPassword)
{
    const struct
    {
        const char* Name;
        TAnswer Close;
    } cases[] = {
        {"Cancel", [](TPasswordDlg& d) { d.CancelButton()->click(); }},
        {"Escape", [](TPasswordDlg& d) { QTest::keyClick(d.PasswordEdit(), Qt::Key_Escape); }},
        {"close box", [](TPasswordDlg& d) { d.Form().close(); }},
    };
    for (const auto& c : cases) {
        TPasswordDlg dialog;
        RunDialog(dialog, true, [&](TPasswordDlg& d) {
            Type(d, QStringLiteral("typed"), QStringLiteral("typed"));
            c.Close(d);
        });
        EXPECT_FALSE(dialog.Accepted()) << c.Name;
        EXPECT_TRUE(dialog.Password().isEmpty()) << c.Name;
    }
}

TEST_F(FenkPasswordDlg, EveryRunStartsAndEndsWithEmptyEditsAndBurnsWhatTheyHeld)
{
    TPasswordDlg dialog;
    const QChar* typed = nullptr;
    QString held;
    RunDialog(dialog, true, [&](TPasswordDlg& d) {
        QTest::keyClicks(d.PasswordEdit(), QStringLiteral("first"));
        QTest::keyClicks(d.VerifyEdit(), QStringLiteral("first"));
        typed = d.PasswordEdit()->text().constData(); // the edit alone keeps holding its text
        held = d.VerifyEdit()->text();                // a copy somebody keeps
        QTest::keyClick(d.VerifyEdit(), Qt::Key_Return);
    });
    ASSERT_TRUE(dialog.Accepted());
    EXPECT_TRUE(dialog.Password() == QStringLiteral("first"));
    ASSERT_EQ(dialog.PasswordEdit()->text().constData(), typed) << "the edit keeps its storage, emptied";
    EXPECT_TRUE(IsZeroed(typed, 5)) << "the edit's text was zeroed once the edit let it go";
    EXPECT_EQ(held, QStringLiteral("first")) << "a copy somebody keeps is theirs";
    EXPECT_TRUE(dialog.PasswordEdit()->text().isEmpty());
    EXPECT_TRUE(dialog.VerifyEdit()->text().isEmpty());

    RunDialog(dialog, true, [](TPasswordDlg& d) {
        EXPECT_TRUE(d.PasswordEdit()->text().isEmpty());
        EXPECT_TRUE(d.VerifyEdit()->text().isEmpty());
        EXPECT_TRUE(d.Password().isEmpty()) << "the previous result is gone while the dialog runs";
        EXPECT_FALSE(d.PasswordEdit()->isUndoAvailable());
        d.VerifyEdit()->setText(QStringLiteral("second"));
        d.CancelButton()->click();
    });
    EXPECT_TRUE(dialog.Password().isEmpty());
    EXPECT_TRUE(dialog.VerifyEdit()->text().isEmpty());
}

TEST_F(FenkPasswordDlg, TypingGrowsTheEditsTextInPlace)
{
    TPasswordDlg dialog;
    RunDialog(dialog, true, [](TPasswordDlg& d) {
        for (QLineEdit* edit : {d.PasswordEdit(), d.VerifyEdit()}) {
            QTest::keyClick(edit, Qt::Key_A);
            const QChar* storage = edit->text().constData();
            QTest::keyClicks(edit, QStringLiteral("bcdefghijklmnopqrstuvwxyz0123456789"));
            EXPECT_EQ(edit->text().size(), 36);
            EXPECT_EQ(edit->text().constData(), storage) << "no shorter copy of the text was left behind";
        }
        d.CancelButton()->click();
    });
}

TEST_F(FenkPasswordDlg, TakingThePasswordLeavesNoneBehind)
{
    TPasswordDlg dialog;
    RunDialog(dialog, false, [](TPasswordDlg& d) {
        d.PasswordEdit()->setText(QStringLiteral("secret"));
        d.OkButton()->click();
    });
    const QString taken = dialog.TakePassword();
    EXPECT_TRUE(taken == QStringLiteral("secret"));
    EXPECT_TRUE(dialog.Password().isEmpty());
    EXPECT_TRUE(dialog.TakePassword().isEmpty());
}

TEST_F(FenkPasswordDlg, TypedTextShowsAsBullets)
{
    TPasswordDlg dialog;
    RunDialog(dialog, true, [](TPasswordDlg& d) {
        for (QLineEdit* edit : {d.PasswordEdit(), d.VerifyEdit()}) {
            QTest::keyClicks(edit, QStringLiteral("abc"));
            EXPECT_EQ(edit->displayText(), Bullet.repeated(3));
            EXPECT_EQ(edit->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, edit), 0x2022);
        }
        d.CancelButton()->click();
    });
}

TEST_F(FenkPasswordDlg, PasswordEditTakesTheFocusWheneverTheFormIsActivated)
{
    TPasswordDlg dialog;
    RunDialog(dialog, true, [](TPasswordDlg& d) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(&d.Form()));
        d.CancelButton()->setFocus();
        EXPECT_EQ(QApplication::focusWidget(), d.CancelButton());
        QEvent activation(QEvent::WindowActivate);
        QApplication::sendEvent(&d.Form(), &activation);
        EXPECT_EQ(QApplication::focusWidget(), d.PasswordEdit());
        d.CancelButton()->click();
    });
}

TEST_F(FenkPasswordDlg, ALongFileNameShowsAsItsEndBehindThreeDots)
{
    const QString clef = QStringLiteral("\U0001D11E");
    const QString shortName = QStringLiteral("/home/ann/vault.fkx");
    const QString longName = QStringLiteral("/home/ann/") + QStringLiteral("documents/").repeated(20) + "vault.fkx";
    const QString wideCharacters = QStringLiteral("/home/ann/") + clef.repeated(80) + "/vault.fkx";
    const struct
    {
        const char* Name;
        QString Path;
    } cases[] = {{"short", shortName}, {"long", longName}, {"outside the basic plane", wideCharacters}};
    for (const auto& c : cases) {
        TPasswordDlg dialog;
        dialog.SetFileName(c.Path);
        const QLabel& label = *dialog.FileNameLabel();
        const QString shown = label.text();
        if (TextWidth(label, c.Path) <= label.width()) {
            EXPECT_EQ(shown, c.Path) << c.Name;
            continue;
        }
        ASSERT_TRUE(shown.startsWith(QStringLiteral("..."))) << c.Name;
        const QString end = shown.mid(3);
        EXPECT_TRUE(c.Path.endsWith(end)) << c.Name;
        EXPECT_TRUE(end.endsWith(QStringLiteral("vault.fkx"))) << c.Name;
        EXPECT_LE(TextWidth(label, shown), label.width()) << c.Name;
        const QString oneMore = QStringLiteral("...") + c.Path.right(end.size() + 1);
        EXPECT_GT(TextWidth(label, oneMore), label.width()) << c.Name << ": as much of the end as fits";
        EXPECT_FALSE(end.front().isLowSurrogate()) << c.Name;
    }
}

TEST_F(FenkPasswordDlg, AskMasterPasswordHandsBackTheTypedPasswordOrNothing)
{
    // The dialog is the function's own: the answers reach its edits and buttons through the form.
    const auto typeAndPress = [](const QString& Typed, const QString& Button) {
        return [=](QWidget& form) {
            const QList<QLineEdit*> edits = form.findChildren<QLineEdit*>();
            ASSERT_EQ(edits.size(), 2);
            EXPECT_TRUE(edits[1]->isVisibleTo(&form)) << "the new-password mode";
            for (QLineEdit* edit : edits)
                edit->setText(Typed);
            for (QPushButton* button : form.findChildren<QPushButton*>()) {
                if (button->text() == Button)
                    button->click();
            }
        };
    };
    const struct
    {
        const char* Name;
        TModalDriver::TAnswer Answer;
        QString Expected;
    } cases[] = {
        {"OK", typeAndPress(QStringLiteral("pw"), QStringLiteral("OK")), QStringLiteral("pw")},
        {"OK with nothing typed", typeAndPress(QString(), QStringLiteral("OK")), QString()},
        {"Cancel", typeAndPress(QStringLiteral("pw"), QStringLiteral("Cancel")), QString()},
    };
    for (const auto& c : cases) {
        TModalDriver driver;
        QString title;
        QString fileName;
        driver.Answer([&](QWidget& form) {
            title = form.windowTitle();
            fileName = form.findChildren<QLabel*>().at(1)->text();
            c.Answer(form);
        });
        const QString password = AskMasterPassword(nullptr, QStringLiteral("Change Master Password"), true,
                                                   QStringLiteral("/home/ann/vault.fkx"));
        EXPECT_TRUE(password == c.Expected) << c.Name;
        EXPECT_EQ(title, QStringLiteral("Change Master Password"));
        EXPECT_EQ(fileName, QStringLiteral("/home/ann/vault.fkx"));
    }
}
