#include "app/FenkMain.h"

#include "app/FenkList.h"
#include "app/FenkProgress.h"
#include "store/NRowset.h"
#include "tests/support/LockHolder.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/TestData.h"
#include "tests/support/ui/ApplicationFixture.h"
#include "tests/support/ui/ModalDriver.h"
#include "ui/actions/NActionButton.h"
#include "ui/lists/NListPanel.h"
#include "ui/platform/NDesktop.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <sys/file.h>

void PrintTo(const QString& Text, std::ostream* Out)
{
    *Out << '"' << Text.toStdString() << '"';
}

namespace {

const QString VaultPassword = QStringLiteral("fenk-public");

// What the window shows of its document, to compare before and after a command.
struct TShown
{
    QString Title;
    QStringList Rows;
    QString CurrentRow;
    TFenkCommandStates States;

    friend bool operator==(const TShown&, const TShown&) = default;
};

class FenkMain : public TApplicationFixture
{
protected:
    void TearDown() override
    {
        if (Form) {
            Form->OnCloseQuery = {};
            Form.reset();
        }
        TApplicationFixture::TearDown();
    }

    TFenkForm& Start(const QStringList& Arguments = {})
    {
        Form = std::make_unique<TFenkForm>(Arguments);
        Form->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(Form.get()));
        return *Form;
    }

    // A key typed into the main window where its focus is, as a user types it.
    void Press(Qt::Key Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) const
    {
        QTest::keyClick(Focused(), Key, Modifiers);
    }
    void Type(const QString& Text) const { QTest::keyClicks(Focused(), Text); }
    // The focused control once the main window is active again, as the desktop makes it when its dialogs close.
    QWidget* Focused() const
    {
        if (!Form->isActiveWindow())
            Form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(Form.get()));
        return QApplication::focusWidget() ? QApplication::focusWidget() : Form.get();
    }

    QString CopyOf(const QString& Vector) const
    {
        return Folder.WriteFile(Vector, ReadTestData(QStringLiteral("vectors/") + Vector));
    }

    // Queues the answers to the locator (choosing Path) and the password dialog (typing Password, or cancelling
    // for an empty one; a new password is typed twice, Verify differing when given).
    void AnswerLocator(const QString& Path)
    {
        Driver.Answer([Path](QWidget& Dialog) {
            for (auto* edit : Dialog.findChildren<TNEOpaqueEdit*>()) {
                if (!edit->isVisible() || !edit->text().contains(u'*'))
                    continue;
                const QFileInfo target(Path);
                edit->setFocus();
                edit->setText(target.absolutePath() + QStringLiteral("/*.fkx"));
                QTest::keyClick(edit, Qt::Key_Return);
                QWidget* next = Dialog.focusWidget();
                if (auto* name = qobject_cast<QLineEdit*>(next); name && name != edit) {
                    name->setText(target.fileName()); // saving: a name is typed
                } else {
                    auto* list = qobject_cast<TNEListView*>(next);
                    ASSERT_NE(list, nullptr);
                    const int item = [&] {
                        for (int i = 0; i < list->Model().ItemCount(); ++i) {
                            if (list->Model().Item(i).Caption() == target.fileName())
                                return i;
                        }
                        return -1;
                    }();
                    ASSERT_GE(item, 0) << qPrintable(Path);
                    SelectListItem(list, item);
                }
                QTest::keyClick(next, Qt::Key_Return); // opens the file, or accepts the name
                return;
            }
            ADD_FAILURE() << "no path box in the locator";
        });
    }
    void AnswerPassword(const QString& Password, const QString& Verify = {})
    {
        Driver.Answer([Password, Verify](QWidget& Dialog) {
            if (Password.isEmpty()) {
                QTest::keyClick(&Dialog, Qt::Key_Escape);
                return;
            }
            QList<QLineEdit*> edits;
            for (auto* edit : Dialog.findChildren<QLineEdit*>())
                if (edit->isVisible() && edit->echoMode() == QLineEdit::Password)
                    edits.append(edit);
            for (int i = 0; i < edits.size(); ++i)
                QTest::keyClicks(edits[i], i == 0 || Verify.isEmpty() ? Password : Verify);
            QTest::keyClick(edits.first(), Qt::Key_Return);
            if (Dialog.isVisible())
                QTest::keyClick(edits.first(), Qt::Key_Escape); // refused: the entries differ
        });
    }
    void Open(const QString& Path, const QString& Password = VaultPassword)
    {
        AnswerLocator(Path);
        AnswerPassword(Password);
        Press(Qt::Key_O, Qt::ControlModifier);
    }

    TShown Shown() const
    {
        TShown shown{Form->windowTitle(), {}, {}, {}};
        const TNEListModel& model = Form->List().Model();
        for (int i = 0; i < model.ItemCount(); ++i) {
            QStringList texts;
            for (int column = 0; column < model.ColumnCount(); ++column)
                texts.append(model.Item(i).Text(column));
            shown.Rows.append(texts.join(u'|'));
        }
        const int current = Form->List().FocusedItem();
        shown.CurrentRow = current >= 0 ? shown.Rows.at(current) : QString();
        TFenkForm& form = *Form;
        TNEActionController& files = form.FileActions();
        TNEActionController& rows = form.RowActions();
        TFenkCommandStates& s = shown.States;
        s.OpenFile = files.IsActionEnabled({&form, &TFenkForm::OpenFile});
        s.NewFile = files.IsActionEnabled({&form, &TFenkForm::NewFile});
        s.ChangeMasterPassword = files.IsActionEnabled({&form, &TFenkForm::ChangeMasterPassword});
        s.CloseFile = files.IsActionEnabled({&form, &TFenkForm::CloseFile});
        s.SaveFile = files.IsActionEnabled({&form, &TFenkForm::SaveFile});
        s.ExitProgram = files.IsActionEnabled({&form, &TFenkForm::ExitProgram});
        s.CopyPassword = rows.IsActionEnabled({&form, &TFenkForm::CopyPassword});
        s.InsertRow = rows.IsActionEnabled({&form, &TFenkForm::InsertRow});
        s.EditRow = rows.IsActionEnabled({&form, &TFenkForm::EditRow});
        s.DeleteRow = rows.IsActionEnabled({&form, &TFenkForm::DeleteRow});
        return shown;
    }

    TTemporaryFolder Folder;
    TModalDriver Driver;
    std::unique_ptr<TFenkForm> Form;
};

TFenkCommandStates States(bool IsOpen, bool HasRows, bool IsModified)
{
    TFenkCommandStates s;
    s.ChangeMasterPassword = s.CloseFile = s.InsertRow = IsOpen;
    s.SaveFile = IsOpen && IsModified;
    s.CopyPassword = s.EditRow = s.DeleteRow = IsOpen && HasRows;
    return s;
}

const QString Bullets(int Count)
{
    return QString(Count, QChar(0x2022));
}

} // namespace

TEST_F(FenkMain, LaysTheWindowOutAndKeepsItAtLeast400By400)
{
    TFenkForm& form = Start();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Fenk"));
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowMinMaxButtonsHint));
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_EQ(form.minimumSize(), QSize(400, 400));
    for (const QSize size : {QSize(900, 700), QSize(400, 400)}) {
        form.resize(size);
        const int stripHeight = form.ToolStrip().height();
        EXPECT_EQ(form.ToolStrip().geometry(), QRect(8, 8, size.width() - 16, stripHeight));
        EXPECT_EQ(form.FilePanel().geometry().topLeft(), QPoint(8, stripHeight + 16));
        EXPECT_EQ(form.FilePanel().height(), size.height() - stripHeight - 24);
        EXPECT_EQ(form.ListPanel().geometry(),
                  QRect(form.FilePanel().width() + 16, stripHeight + 16, size.width() - form.FilePanel().width() - 24,
                        form.FilePanel().height()));
        const QRect link = form.ToolStrip().LinkButton().geometry();
        EXPECT_EQ(link.right(), form.ToolStrip().Inner().width() - 2) << "the link ends at the right";
    }
    EXPECT_EQ(Shown().States, States(false, false, false));
    EXPECT_TRUE(form.ActionView().HasFocusedButton()) << "an empty list leaves the focus to the file commands";
    Press(Qt::Key_F6);
    EXPECT_EQ(Focused(), &form.List());
}

TEST_F(FenkMain, OpensAVaultWithItsPasswordsMaskedAndTitled)
{
    TFenkForm& form = Start();
    const QString path = CopyOf(QStringLiteral("vault-a.fkx"));
    Open(path);
    const TShown shown = Shown();
    EXPECT_EQ(shown.Title, QStringLiteral("Fenk - vault-a.fkx"));
    EXPECT_EQ(shown.Rows,
              (QStringList{QStringLiteral("bank|carol|") + Bullets(8) + QStringLiteral("|PIN is not here"),
                           QStringLiteral("example.com|alice|") + Bullets(13) + QStringLiteral("|first login"),
                           QStringLiteral("mail.example.org|bob@example.org|") + Bullets(11) + u'|'}));
    EXPECT_EQ(shown.CurrentRow, shown.Rows.first());
    EXPECT_EQ(shown.States, States(true, true, false));
    EXPECT_EQ(Focused(), &form.List());
    EXPECT_EQ(TFenkList::PasswordMask(QStringLiteral("a\U0001F511b")), Bullets(3)) << "one bullet per character";
}

TEST_F(FenkMain, AFailedOpenLeavesThePreviousVaultShownAsItWas)
{
    Start();
    Open(CopyOf(QStringLiteral("vault-a.fkx")));
    Press(Qt::Key_Down);
    const TShown before = Shown();
    ASSERT_EQ(before.CurrentRow.section(u'|', 0, 0), QStringLiteral("example.com"));

    const QString locked = CopyOf(QStringLiteral("vault-b.fkx"));
    const struct
    {
        const char* Name;
        QString Path;
        bool AsksPassword;
        QString Password;
        QStringList Warnings; // the warning starts with one of these; none when empty
    } cases[] = {
        {"wrong password",
         locked,
         true,
         QStringLiteral("wrong"),
         {QStringLiteral("Invalid password"), QStringLiteral("File load error: ")}},
        {"cancelled password", locked, true, QString(), {}},
        {"two bytes",
         Folder.WriteFile(QStringLiteral("short.fkx"), "FK"),
         false,
         QString(),
         {QStringLiteral("The file type is not supported")}},
        {"version 3",
         Folder.WriteFile(QStringLiteral("v3.fkx"), "FKX3;12345678"),
         false,
         QString(),
         {QStringLiteral("The file version is not supported")}},
        {"locked by another process", locked, false, QString(), {QStringLiteral("File lock error: ")}},
    };
    for (const auto& c : cases) {
        Presenter.Clear();
        std::unique_ptr<TLockHolder> holder;
        if (!c.AsksPassword && c.Path == locked)
            holder = std::make_unique<TLockHolder>(c.Path, LOCK_EX);
        AnswerLocator(c.Path);
        if (c.AsksPassword)
            AnswerPassword(c.Password);
        Press(Qt::Key_O, Qt::ControlModifier);
        EXPECT_EQ(Shown(), before) << c.Name;
        const QStringList texts = Presenter.Texts();
        EXPECT_EQ(texts.size(), c.Warnings.isEmpty() ? 0 : 1) << c.Name;
        if (!texts.isEmpty() && !c.Warnings.isEmpty()) {
            EXPECT_TRUE(std::any_of(c.Warnings.begin(), c.Warnings.end(),
                                    [&](const QString& w) { return texts.last().startsWith(w); }))
                << c.Name << ": " << qPrintable(texts.last());
        }
    }
}
