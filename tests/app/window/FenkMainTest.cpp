#include "app/FenkMain.h"

#include "app/FenkGuide.h"
#include "app/FenkList.h"
#include "app/FenkProgress.h"
#include "foundation/NStruct.h"
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
#include <QProgressDialog>
#include <QScopeGuard>
#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <sys/file.h>
#include <utility>

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
public:
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
    // Each character goes where the focus is then, as the first one typed into the list opens the find bar.
    void Type(const QString& Text) const
    {
        for (const QChar character : Text)
            QTest::keyClick(Focused(), character.toLatin1());
    }
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
                QWidget* next = nullptr;
                for (auto* other : Dialog.findChildren<TNEOpaqueEdit*>()) {
                    if (other != edit && other->isVisible() && other->isEnabled())
                        next = other; // saving: the file name box takes a name
                }
                if (auto* name = qobject_cast<QLineEdit*>(next)) {
                    name->setFocus();
                    name->setText(target.fileName());
                } else {
                    auto* list = Dialog.findChild<TNEListView*>();
                    ASSERT_NE(list, nullptr);
                    const int item = [&] {
                        for (int i = 0; i < list->Model().ItemCount(); ++i) {
                            if (list->Model().Item(i).Caption() == target.fileName())
                                return i;
                        }
                        return -1;
                    }();
                    ASSERT_GE(item, 0) << qPrintable(Path);
                    list->setFocus();
                    SelectListItem(list, item);
                    next = list;
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

TEST_F(FenkMain, NewAsksTheMasterPasswordTwiceAndLeavesNoFileWhenRefused)
{
    const struct
    {
        const char* Name;
        QString Password;
        QString Verify;
        bool IsCreated;
    } cases[] = {
        {"typed twice", QStringLiteral("new secret"), QString(), true},
        {"typed differently", QStringLiteral("new secret"), QStringLiteral("new secreT"), false},
        {"cancelled", QString(), QString(), false},
    };
    Start();
    for (const auto& c : cases) {
        Presenter.Clear();
        const QString path = Folder.FilePath(QString::fromLatin1(c.Name).replace(u' ', u'-') + ".fkx");
        AnswerLocator(path);
        AnswerPassword(c.Password, c.Verify);
        Press(Qt::Key_N, Qt::ControlModifier);
        EXPECT_EQ(QFileInfo::exists(path), c.IsCreated) << c.Name;
        const TShown shown = Shown();
        if (c.IsCreated) {
            EXPECT_EQ(shown.Title, "Fenk - " + QFileInfo(path).fileName()) << c.Name;
            EXPECT_EQ(shown.States, States(true, false, false)) << c.Name;
            EXPECT_TRUE(Form->ActionView().HasFocusedButton()) << c.Name;
            Press(Qt::Key_Delete, Qt::ControlModifier); // closed again for the next case
        } else {
            EXPECT_EQ(shown.Title, QStringLiteral("Fenk")) << c.Name;
            EXPECT_EQ(shown.States, States(false, false, false)) << c.Name;
        }
    }
}

TEST_F(FenkMain, SavesWhatOpensAgainAndRefusesAFolder)
{
    TFenkForm& form = Start();
    const QString path = CopyOf(QStringLiteral("vault-a.fkx"));
    Open(path);
    Press(Qt::Key_Delete); // the current row, bank
    EXPECT_EQ(Shown().States, States(true, true, true));
    Press(Qt::Key_S, Qt::ControlModifier);
    const TShown saved = Shown();
    EXPECT_EQ(saved.States, States(true, true, false));
    EXPECT_EQ(saved.Rows.size(), 2);

    Press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Shown().Rows, QStringList());
    Open(path);
    EXPECT_EQ(Shown().Rows, saved.Rows);

    Press(Qt::Key_Delete);
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkdir(path));
    Presenter.Clear();
    Press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Presenter.Texts(), QStringList{QStringLiteral("File save error")});
    EXPECT_TRUE(form.Document().DocumentModified());
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST_F(FenkMain, AsksBeforeDiscardingChangesAndKeepsThemOnNo)
{
    // Each way of leaving the vault, unchanged and changed, with both answers.
    const struct
    {
        const char* Name;
        std::function<void(FenkMain&)> Leave;
        QString Question;
        bool LeavesWindow;
    } ways[] = {
        {"Ctrl+Del", [](FenkMain& t) { t.Press(Qt::Key_Delete, Qt::ControlModifier); },
         QStringLiteral("Discard changes in current file?"), false},
        {"Esc", [](FenkMain& t) { t.Press(Qt::Key_Escape); }, QStringLiteral("Exit without saving?"), true},
        {"close box", [](FenkMain& t) { t.Form->close(); }, QStringLiteral("Exit without saving?"), true},
    };
    for (const auto& way : ways) {
        for (const bool isModified : {false, true}) {
            for (const bool answer : {false, true}) {
                const std::string name =
                    std::string(way.Name) + (isModified ? " modified" : " clean") + (answer ? " yes" : " no");
                Start();
                Open(CopyOf(QStringLiteral("vault-a.fkx")));
                if (isModified)
                    Press(Qt::Key_Delete);
                const TShown before = Shown();
                Presenter.Clear();
                Presenter.AnswerNext(answer);
                way.Leave(*this);
                const bool asked = Presenter.Texts() == QStringList{way.Question};
                EXPECT_EQ(asked, isModified) << name;
                const bool leaves = !isModified || answer;
                if (way.LeavesWindow) {
                    EXPECT_EQ(Form->isVisible(), !leaves) << name;
                } else if (leaves) {
                    EXPECT_EQ(Shown().Title, QStringLiteral("Fenk")) << name;
                    EXPECT_EQ(Shown().Rows, QStringList()) << name;
                }
                if (!leaves) {
                    EXPECT_EQ(Shown(), before) << name;
                }
                Form->OnCloseQuery = {};
                Form.reset();
            }
        }
    }
}

TEST_F(FenkMain, ANewMasterPasswordTakesEffectAtTheNextSave)
{
    Start();
    const QString path = CopyOf(QStringLiteral("vault-a.fkx"));
    Open(path);
    const TShown opened = Shown();
    AnswerPassword(QStringLiteral("a new one"));
    Press(Qt::Key_F2, Qt::ControlModifier);
    EXPECT_EQ(Shown().States, States(true, true, true)) << "saving is enabled with no row changed";
    EXPECT_EQ(Shown().Title, QStringLiteral("Fenk - vault-a.fkx"));
    Press(Qt::Key_S, Qt::ControlModifier);

    for (const auto& [password, result] : {std::pair{VaultPassword, TFenkLoadResult::Failed},
                                           std::pair{QStringLiteral("a new one"), TFenkLoadResult::Loaded}}) {
        Press(Qt::Key_Delete, Qt::ControlModifier);
        Presenter.Clear();
        Open(path, password);
        EXPECT_EQ(Shown().Rows, result == TFenkLoadResult::Loaded ? opened.Rows : QStringList())
            << qPrintable(password);
    }
}

namespace {

// The row editor's text fields from the top, and the note's memo.
void AnswerEditor(TModalDriver& Driver, const QString& LoginName, bool Accept)
{
    Driver.Answer([LoginName, Accept](QWidget& Dialog) {
        QList<QLineEdit*> fields = Dialog.findChildren<QLineEdit*>();
        fields.removeIf([](QLineEdit* f) { return !f->isVisible(); });
        std::sort(fields.begin(), fields.end(), [](QLineEdit* a, QLineEdit* b) { return a->y() < b->y(); });
        ASSERT_GE(fields.size(), 3);
        if (fields[0]->text().isEmpty())
            QTest::keyClicks(fields[0], QStringLiteral("new.example"));
        fields[1]->selectAll();
        QTest::keyClicks(fields[1], LoginName);
        QTest::keyClick(fields[1], Accept ? Qt::Key_Return : Qt::Key_Escape,
                        Accept ? Qt::ControlModifier : Qt::NoModifier);
    });
}

QPoint ItemCenter(const TFenkList& List, int Item)
{
    return List.visualRect(List.Model().index(Item, 0)).center();
}

} // namespace

TEST_F(FenkMain, RowCommandsByKeyAndMouseMarkTheVaultModifiedOnlyWhenTheyChangeIt)
{
    const struct
    {
        const char* Name;
        std::function<void(FenkMain&)> Run;
        QStringList Sites; // the site names after the command, in list order
        QString Current;   // the current row afterwards, as "site|login"
        bool IsModified;
    } cases[] = {
        {"Ins, accepted",
         [](FenkMain& t) {
             AnswerEditor(t.Driver, QStringLiteral("neo"), true);
             t.Press(Qt::Key_Insert);
         },
         {"bank", "example.com", "mail.example.org", "new.example"},
         "new.example|neo",
         true},
        {"Ins, cancelled",
         [](FenkMain& t) {
             AnswerEditor(t.Driver, QStringLiteral("neo"), false);
             t.Press(Qt::Key_Insert);
         },
         {"bank", "example.com", "mail.example.org"},
         "example.com|alice",
         false},
        {"F2, accepted",
         [](FenkMain& t) {
             AnswerEditor(t.Driver, QStringLiteral("alicia"), true);
             t.Press(Qt::Key_F2);
         },
         {"bank", "example.com", "mail.example.org"},
         "example.com|alicia",
         true},
        {"Enter, cancelled",
         [](FenkMain& t) {
             AnswerEditor(t.Driver, QStringLiteral("alicia"), false);
             t.Press(Qt::Key_Return);
         },
         {"bank", "example.com", "mail.example.org"},
         "example.com|alice",
         false},
        {"click on a row, accepted",
         [](FenkMain& t) {
             AnswerEditor(t.Driver, QStringLiteral("bobby"), true);
             QTest::mouseClick(t.Form->List().viewport(), Qt::LeftButton, {}, ItemCenter(t.Form->List(), 2));
         },
         {"bank", "example.com", "mail.example.org"},
         "mail.example.org|bobby",
         true},
        {"Del",
         [](FenkMain& t) { t.Press(Qt::Key_Delete); },
         {"bank", "mail.example.org"},
         "mail.example.org|bob@example.org",
         true},
        {"delete button",
         [](FenkMain& t) {
             auto& buttons = t.Form->RowToolBar().Buttons();
             for (std::int32_t i = 0; i < buttons.Count(); ++i) {
                 if (buttons.GetItem(i)->Handler() == TNEActionHandler(t.Form.get(), &TFenkForm::DeleteRow))
                     QTest::mouseClick(buttons.GetItem(i), Qt::LeftButton);
             }
         },
         {"bank", "mail.example.org"},
         "mail.example.org|bob@example.org",
         true},
    };
    for (const auto& c : cases) {
        Start();
        Open(CopyOf(QStringLiteral("vault-a.fkx")));
        Press(Qt::Key_Down); // example.com
        c.Run(*this);
        const TShown shown = Shown();
        QStringList sites;
        for (const QString& row : shown.Rows)
            sites.append(row.section(u'|', 0, 0));
        EXPECT_EQ(sites, c.Sites) << c.Name;
        EXPECT_EQ(shown.CurrentRow.section(u'|', 0, 1), c.Current) << c.Name;
        EXPECT_EQ(Form->Document().DocumentModified(), c.IsModified) << c.Name;
        EXPECT_EQ(shown.States, States(true, true, c.IsModified)) << c.Name;
        EXPECT_EQ(Focused(), &Form->List()) << c.Name;
        Form->OnCloseQuery = {};
        Form.reset();
    }
}

TEST_F(FenkMain, CopiesTheRealPasswordMarkedSecretAndNothingWithoutRows)
{
    Start();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    AnswerLocator(Folder.FilePath(QStringLiteral("empty.fkx")));
    AnswerPassword(QStringLiteral("pw"));
    Press(Qt::Key_N, Qt::ControlModifier);
    Press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText(), QStringLiteral("before"));

    Press(Qt::Key_Delete, Qt::ControlModifier);
    Open(CopyOf(QStringLiteral("vault-a.fkx")));
    Press(Qt::Key_Down);
    Press(Qt::Key_C, Qt::ControlModifier);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(copied->text(), QStringLiteral("correct horse"));
    EXPECT_EQ(copied->data(QStringLiteral("x-kde-passwordManagerHint")), QByteArray("secret"));
}

TEST_F(FenkMain, SortsByHeaderClicksAndFindsAsTheUserTypes)
{
    TFenkForm& form = Start();
    Open(CopyOf(QStringLiteral("vault-a.fkx")));
    const QStringList first = Shown().Rows;
    QHeaderView* header = form.List().header();
    const auto clickHeader = [&](int Column) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(Column) + 5, header->height() / 2));
        return Shown().Rows;
    };
    const QStringList reversed = clickHeader(0);
    EXPECT_EQ(reversed, QStringList(first.rbegin(), first.rend()));
    EXPECT_EQ(clickHeader(0), first) << "a second click restores the order";
    const QStringList byLogin = clickHeader(1);
    EXPECT_EQ(byLogin.first().section(u'|', 1, 1), QStringLiteral("alice"));
    EXPECT_EQ(form.List().SortColumn(), 1);
    clickHeader(0);

    Type(QStringLiteral("mail"));
    ASSERT_TRUE(form.ListPanel().IsSearchOpen());
    EXPECT_EQ(Focused(), &form.ListPanel().FindEdit());
    EXPECT_EQ(form.ListPanel().FindEdit().text(), QStringLiteral("mail"));
    EXPECT_EQ(Shown().CurrentRow.section(u'|', 0, 0), QStringLiteral("mail.example.org"));
    for (const Qt::Key key : {Qt::Key_Backspace, Qt::Key_Home, Qt::Key_Delete}) {
        Press(key);
    }
    EXPECT_EQ(form.ListPanel().FindEdit().text(), QStringLiteral("ai")) << "Del and Backspace edit the search";
    EXPECT_EQ(Shown().Rows.size(), 3) << "and delete no login";
    EXPECT_FALSE(form.Document().DocumentModified());
    Press(Qt::Key_F6);
    EXPECT_EQ(Focused(), &form.List());
    Press(Qt::Key_Escape);
    EXPECT_FALSE(form.ListPanel().IsSearchOpen());
    EXPECT_TRUE(form.isVisible()) << "Esc closed the find bar, not the window";
}

TEST_F(FenkMain, F1AndTheLinkTellWhereTheGuideIsWhenItCannotBeOpened)
{
    TFenkForm& form = Start();
    const QString expected = QStringLiteral("Please visit ") + UserGuideUrl().toString();
    Press(Qt::Key_F1);
    QTest::mouseClick(&form.ToolStrip().LinkButton(), Qt::LeftButton);
    EXPECT_EQ(Presenter.Texts(), QStringList({expected, expected}));
    EXPECT_EQ(form.ToolStrip().LinkButton().toolTip(), QStringLiteral("Visit Orvendale (F1)"));
}

TEST_F(FenkMain, OpensTheFileOrFolderOfTheCommandLineOnTheFirstShow)
{
    const QString vault = CopyOf(QStringLiteral("vault-a.fkx"));
    const struct
    {
        const char* Name;
        QString Argument;
        bool IsOpened;
        bool ShowsLocator;
    } cases[] = {
        {"a vault", QStringLiteral("  ") + vault + QStringLiteral(" "), true, false},
        {"a folder", Folder.Path(), false, true},
        {"a missing file", Folder.FilePath(QStringLiteral("missing.fkx")), false, false},
    };
    for (const auto& c : cases) {
        QString locatorPath;
        if (c.IsOpened)
            AnswerPassword(VaultPassword);
        if (c.ShowsLocator) {
            Driver.Answer([&](QWidget& Dialog) {
                for (auto* edit : Dialog.findChildren<TNEOpaqueEdit*>())
                    if (edit->text().contains(u'*'))
                        locatorPath = edit->text();
                Dialog.close();
            });
        }
        const int answered = Driver.AnsweredCount();
        Start({c.Argument});
        EXPECT_EQ(Driver.AnsweredCount() - answered, int(c.IsOpened) + int(c.ShowsLocator)) << c.Name;
        EXPECT_EQ(Shown().Title, c.IsOpened ? QStringLiteral("Fenk - vault-a.fkx") : QStringLiteral("Fenk")) << c.Name;
        if (c.ShowsLocator) {
            EXPECT_EQ(locatorPath, Folder.Path() + QStringLiteral("/*.fkx")) << c.Name;
        }
        Form.reset();
    }
}

TEST_F(FenkMain, CancellingTheProgressOfALongLoadOrSaveChangesNothing)
{
    const int savedDelay = std::exchange(TFenkProgressDialog::ShowAfterMs, 0);
    const auto restoreDelay = qScopeGuard([&] { TFenkProgressDialog::ShowAfterMs = savedDelay; });
    TFenkForm& form = Start();
    const QString big = Folder.FilePath(QStringLiteral("big.fkx"));
    AnswerLocator(big);
    AnswerPassword(QStringLiteral("pw"));
    Press(Qt::Key_N, Qt::ControlModifier);
    form.Document().RunRowCommand([&] {
        TNERowset& logins = *form.Document().LoginRowset();
        for (int i = 0; i < 3000; ++i)
            logins.InsertRow(
                JoinItems({QStringLiteral("site %1").arg(i), QStringLiteral("me"), QStringLiteral("pw"), {}}));
    });
    form.ReloadList();
    Press(Qt::Key_S, Qt::ControlModifier);
    const auto cancelProgress = [this] {
        Driver.Answer([](QWidget& Dialog) {
            auto* progress = qobject_cast<QProgressDialog*>(&Dialog);
            ASSERT_NE(progress, nullptr);
            progress->cancel();
        });
    };
    QFile file(big);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    file.close();

    Press(Qt::Key_Delete);
    cancelProgress();
    Press(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), saved) << "a cancelled save leaves the file as it was";
    EXPECT_TRUE(form.Document().DocumentModified());
    EXPECT_EQ(Shown().States, States(true, true, true));

    Presenter.AnswerNext(true); // discard the deletion
    Press(Qt::Key_Delete, Qt::ControlModifier);
    Open(CopyOf(QStringLiteral("vault-a.fkx")));
    const TShown before = Shown();
    AnswerLocator(big);
    AnswerPassword(QStringLiteral("pw"));
    cancelProgress();
    Press(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(Shown(), before) << "a cancelled load leaves the vault shown before";
}
