#include "app/FenkList.h"
#include "app/FenkMain.h"
#include "tests/support/MemoryScan.h"
#include "tests/support/ScriptedPresenter.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/TestData.h"
#include "tests/support/ui/ModalDriver.h"
#include "ui/lists/NListPanel.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include <algorithm>
#include <gtest/gtest.h>
#include <utility>

namespace {

// Set in the child process that runs the session and scans its own memory.
constexpr char ChildFlag[] = "FENK_WINDOW_RESIDUE_CHILD";

// Every secret of the session as the literals of read-only memory, so the test keeps no copy of its own.
constexpr char VectorMaster[] = "fenk-public";
constexpr char16_t VectorMaster16[] = u"fenk-public";
constexpr char NewMaster[] = "Qz7!window-master-Kp";
constexpr char16_t NewMaster16[] = u"Qz7!window-master-Kp";
constexpr char EditedPassword[] = "Vw3#window-login-secret";
constexpr char16_t EditedPassword16[] = u"Vw3#window-login-secret";
constexpr char CancelledPassword[] = "Rb6&typed-then-cancelled";
constexpr char16_t CancelledPassword16[] = u"Rb6&typed-then-cancelled";

// Types a literal one key at a time, so that no text of it is built on the way.
void TypeLiteral(QWidget* Widget, const char* Text)
{
    for (; *Text; ++Text)
        QTest::keyClick(Widget, *Text);
}

QList<QLineEdit*> VisibleEditsFromTop(QWidget& Dialog)
{
    QList<QLineEdit*> edits = Dialog.findChildren<QLineEdit*>();
    edits.removeIf([](QLineEdit* edit) { return !edit->isVisible(); });
    std::stable_sort(edits.begin(), edits.end(), [](QLineEdit* a, QLineEdit* b) { return a->y() < b->y(); });
    return edits;
}

// Types the master password (twice for a new one) into the password dialog and presses Enter.
TModalDriver::TAnswer TypedPassword(const char* Password)
{
    return [Password](QWidget& Dialog) {
        const QList<QLineEdit*> edits = VisibleEditsFromTop(Dialog);
        for (QLineEdit* edit : edits)
            TypeLiteral(edit, Password);
        QTest::keyClick(edits.first(), Qt::Key_Return);
    };
}

// The focused control once the window is active again, as the desktop makes it when its dialogs close.
QWidget* Focused(TFenkForm& Form)
{
    if (!Form.isActiveWindow())
        Form.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&Form));
    return QApplication::focusWidget() ? QApplication::focusWidget() : &Form;
}

// Types a new password into the row editor's password field, then presses Ctrl+Enter for OK or Esc.
TModalDriver::TAnswer TypedLoginPassword(const char* Password, bool Accept)
{
    return [Password, Accept](QWidget& Dialog) {
        const QList<QLineEdit*> fields = VisibleEditsFromTop(Dialog);
        ASSERT_GE(fields.size(), 3);
        fields[2]->setFocus();
        fields[2]->selectAll();
        TypeLiteral(fields[2], Password);
        QTest::keyClick(fields[2], Accept ? Qt::Key_Return : Qt::Key_Escape,
                        Accept ? Qt::ControlModifier : Qt::NoModifier);
    };
}

void Press(TFenkForm& Form, Qt::Key Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier)
{
    QTest::keyClick(Focused(Form), Key, Modifiers);
}

// The session of a user on a vault in the window: opened, master password changed, searched, a password copied,
// a login's password edited, saved, and the vault closed with the window left open.
void RunSession(const QString& Vault)
{
    TScriptedPresenter presenter;
    TModalDriver driver;
    driver.Answer(TypedPassword(VectorMaster));
    TFenkForm form({Vault}); // as the program opens the file it is started with
    form.show();
    ASSERT_EQ(form.List().Model().ItemCount(), 3);

    // Sorted by every column, the passwords too, and back by site (the first click turns the order round).
    QHeaderView* header = form.List().header();
    for (const int column : {0, 1, 2, 3, 0}) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }
    driver.Answer(TypedPassword(NewMaster));
    Press(form, Qt::Key_F2, Qt::ControlModifier);
    TypeLiteral(Focused(form), "mail");
    ASSERT_TRUE(form.ListPanel().IsSearchOpen());
    Press(form, Qt::Key_Escape);
    Press(form, Qt::Key_Home);
    Press(form, Qt::Key_Down); // example.com
    Press(form, Qt::Key_C, Qt::ControlModifier);
    driver.Answer(TypedLoginPassword(EditedPassword, true));
    Press(form, Qt::Key_F2);
    const std::vector<TMemoryNeedle> edited = {{"edited password UTF-16", EditedPassword16}};
    EXPECT_FALSE(FindInWritableMemory(edited).empty()) << "the open vault holds the edited password";
    Press(form, Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(form.Document().DocumentModified()) << presenter.Texts().join(u'\n').toStdString();
    driver.Answer(TypedLoginPassword(CancelledPassword, false));
    Press(form, Qt::Key_F2);
    Press(form, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_FALSE(form.Document().Crypt().HasKey());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString()) << "the copied password went with the vault";
    EXPECT_TRUE(presenter.Texts().isEmpty()) << presenter.Texts().join(u'\n').toStdString();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void RunSessionAndScan()
{
    const TTemporaryFolder folder;
    RunSession(folder.WriteFile(QStringLiteral("vault.fkx"), ReadTestData(QStringLiteral("vectors/vault-a.fkx"))));
    if (testing::Test::HasFatalFailure())
        return;

    // The key bytes of these ASCII passwords are their Latin-1 texts.
    std::vector<TMemoryNeedle> needles = {
        {"old master password", VectorMaster},     {"old master password UTF-16", VectorMaster16},
        {"new master password", NewMaster},        {"new master password UTF-16", NewMaster16},
        {"edited password", EditedPassword},       {"edited password UTF-16", EditedPassword16},
        {"cancelled password", CancelledPassword}, {"cancelled password UTF-16", CancelledPassword16},
    };
    AddVaultPasswordNeedles(needles);
    AddCipherTableNeedles(needles, VectorMaster, "old master cipher");
    AddCipherTableNeedles(needles, NewMaster, "new master cipher");
    ExpectNoneInWritableMemory(std::move(needles));
}

} // namespace

// After a session in the window (a vault opened, its master password changed, a search, a password copied, a login
// edited, saved and closed), nothing of a master password, its key or cipher tables or a login's password is left in
// the memory of the program. The session runs in a process of its own, free of what other tests left behind.
TEST(WindowResidue, NoSecretOfAClosedVaultStaysInMemory)
{
    if (qEnvironmentVariableIsSet(ChildFlag)) {
        RunSessionAndScan();
        return;
    }
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(ChildFlag), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=WindowResidue.NoSecretOfAClosedVaultStaysInMemory")});
    ASSERT_TRUE(child.waitForFinished(100000)) << "the session did not end";
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
}
