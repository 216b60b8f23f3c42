#include "app/FenkMain.h"

#include "app/FenkGuide.h"
#include "app/FenkList.h"
#include "app/FenkProgress.h"
#include "foundation/NFile.h"
#include "foundation/NStruct.h"
#include "store/NRowset.h"
#include "tests/support/LockHolder.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/TestData.h"
#include "tests/support/ui/ApplicationFixture.h"
#include "tests/support/ui/ModalDriver.h"
#include "ui/actions/NActionButton.h"
#include "ui/actions/NControl.h"
#include "ui/lists/NListPanel.h"
#include "ui/platform/NDesktop.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

#include <cstring>
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

// What the window shows of its document: title, rows ("site|login|mask|note"), current row and the enabled
// commands (one "1" or "0" per action, file commands first), to compare before and after a command.
struct TShown
{
    QString Title;
    QStringList Rows;
    QString CurrentRow;
    QString Enabled;

    friend bool operator==(const TShown&, const TShown&) = default;
    friend void PrintTo(const TShown& Shown, std::ostream* Out)
    {
        *Out << qPrintable(
            QStringList({Shown.Title, Shown.Rows.join(u'/'), Shown.CurrentRow, Shown.Enabled}).join(u'\n'));
    }
};

// The enabled commands of the window: Open, New, Change, Close, Save, Exit; Copy, Insert, Edit, Delete.
QString Enabled(bool IsOpen, bool HasRows, bool IsModified)
{
    const auto bit = [](bool Value) { return Value ? QStringLiteral("1") : QStringLiteral("0"); };
    const QString open = bit(IsOpen), rows = bit(IsOpen && HasRows);
    return "11" + open + open + bit(IsOpen && IsModified) + "1" + rows + open + rows + rows;
}

QString Bullets(int Count)
{
    return QString(Count, QChar(0x2022));
}

// The visible widgets of a kind in a dialog, from the top.
template <typename Widget> QList<Widget*> VisibleFromTop(QWidget& Dialog)
{
    QList<Widget*> widgets = Dialog.findChildren<Widget*>();
    widgets.removeIf([](Widget* w) { return !w->isVisible(); });
    std::stable_sort(widgets.begin(), widgets.end(), [](Widget* a, Widget* b) { return a->y() < b->y(); });
    return widgets;
}

class FenkMain : public TApplicationFixture
{
public:
    void TearDown() override
    {
        Close();
        TApplicationFixture::TearDown();
    }

    TFenkForm& Start(const QStringList& Arguments = {})
    {
        Form = std::make_unique<TFenkForm>(Arguments);
        Form->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(Form.get()));
        return *Form;
    }
    void Close()
    {
        if (Form)
            Form->OnCloseQuery = {};
        Form.reset();
    }

    // The focused control once the main window is active again, as the desktop makes it when its dialogs close.
    QWidget* Focused() const
    {
        if (!Form->isActiveWindow())
            Form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(Form.get()));
        return QApplication::focusWidget() ? QApplication::focusWidget() : Form.get();
    }
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

    QString CopyOf(const QString& Vector) const
    {
        return Folder.WriteFile(Vector, ReadTestData(QStringLiteral("vectors/") + Vector));
    }

    // Chooses Path in the locator: its folder in the path box, then the file in the list, or its name in the name
    // box when the locator names a new file.
    void AnswerLocator(const QString& Path)
    {
        Driver.Answer([Path](QWidget& Dialog) {
            const QFileInfo target(Path);
            const QList<TNEOpaqueEdit*> edits = VisibleFromTop<TNEOpaqueEdit>(Dialog);
            ASSERT_EQ(edits.size(), 2) << "path and name boxes";
            edits[0]->setFocus();
            edits[0]->setText(target.absolutePath() + QStringLiteral("/*.fkx"));
            QTest::keyClick(edits[0], Qt::Key_Return);
            QWidget* chosen = edits[1];
            if (edits[1]->isEnabled()) {
                edits[1]->setText(target.fileName());
            } else {
                auto* list = Dialog.findChild<TNEListView*>();
                int item = list->Model().ItemCount() - 1;
                while (item >= 0 && list->Model().Item(item).Caption() != target.fileName())
                    --item;
                ASSERT_GE(item, 0) << qPrintable(Path);
                SelectListItem(list, item);
                chosen = list;
            }
            chosen->setFocus();
            QTest::keyClick(chosen, Qt::Key_Return);
        });
    }
    // Types Password (a new one twice, the second time Verify when given) and presses Enter; Esc for none, or when
    // the dialog refuses the entries.
    void AnswerPassword(const QString& Password, const QString& Verify = {})
    {
        Driver.Answer([Password, Verify](QWidget& Dialog) {
            const QList<QLineEdit*> edits = VisibleFromTop<QLineEdit>(Dialog);
            for (int i = 0; i < edits.size(); ++i)
                QTest::keyClicks(edits[i], i == 0 || Verify.isEmpty() ? Password : Verify);
            if (!Password.isEmpty())
                QTest::keyClick(edits.first(), Qt::Key_Return);
            if (Dialog.isVisible())
                QTest::keyClick(edits.first(), Qt::Key_Escape);
        });
    }
    // Changes the login name of the edited or new row ("new.example" for a new one) and accepts or cancels.
    void AnswerEditor(const QString& LoginName, bool Accept)
    {
        Driver.Answer([LoginName, Accept](QWidget& Dialog) {
            const QList<QLineEdit*> fields = VisibleFromTop<QLineEdit>(Dialog);
            ASSERT_GE(fields.size(), 3);
            if (fields[0]->text().isEmpty())
                QTest::keyClicks(fields[0], QStringLiteral("new.example"));
            fields[1]->selectAll();
            QTest::keyClicks(fields[1], LoginName);
            QTest::keyClick(fields[1], Accept ? Qt::Key_Return : Qt::Key_Escape,
                            Accept ? Qt::ControlModifier : Qt::NoModifier);
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
        if (const int current = Form->List().FocusedItem(); current >= 0)
            shown.CurrentRow = shown.Rows.at(current);
        for (const TNEActionController* commands : {&Form->FileActions(), &Form->RowActions()}) {
            for (int i = 0; i < commands->ActionCount(); ++i)
                shown.Enabled += commands->Action(i).Enabled ? u'1' : u'0';
        }
        return shown;
    }
    QStringList Sites() const
    {
        QStringList sites;
        for (const QString& row : Shown().Rows)
            sites.append(row.section(u'|', 0, 0));
        return sites;
    }

    TTemporaryFolder Folder;
    TModalDriver Driver;
    std::unique_ptr<TFenkForm> Form;
};

} // namespace

TEST_F(FenkMain, LaysTheWindowOutKeepsIt400By400AndTellsWhereTheGuideIs)
{
    TFenkForm& form = Start();
    EXPECT_EQ(Shown(), (TShown{QStringLiteral("Fenk"), {}, {}, Enabled(false, false, false)}));
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowMinMaxButtonsHint));
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_EQ(form.minimumSize(), QSize(400, 400));
    for (const QSize size : {QSize(900, 700), QSize(400, 400)}) {
        form.resize(size);
        const int strip = form.ToolStrip().height();
        const int files = form.FilePanel().width();
        EXPECT_EQ(form.ToolStrip().geometry(), QRect(8, 8, size.width() - 16, strip));
        EXPECT_EQ(form.FilePanel().geometry(), QRect(8, strip + 16, files, size.height() - strip - 24));
        EXPECT_EQ(form.ListPanel().geometry(),
                  QRect(files + 16, strip + 16, size.width() - files - 24, size.height() - strip - 24));
        EXPECT_EQ(form.ToolStrip().LinkButton().geometry().right(), form.ToolStrip().Inner().width() - 2);
    }
    EXPECT_TRUE(form.ActionView().HasFocusedButton()) << "an empty list leaves the focus to the file commands";
    Press(Qt::Key_F6);
    EXPECT_EQ(Focused(), &form.List());

    // Offscreen nothing can show a document, as on a desktop without a viewer.
    const QString visit = QStringLiteral("Please visit ") + UserGuideUrl().toString();
    Press(Qt::Key_F1);
    QTest::mouseClick(&form.ToolStrip().LinkButton(), Qt::LeftButton);
    EXPECT_EQ(Presenter.Texts(), QStringList({visit, visit}));
    EXPECT_EQ(form.ToolStrip().LinkButton().toolTip(), QStringLiteral("Visit Orvendale (F1)"));
}

TEST_F(FenkMain, OpensAVaultMaskedAndKeepsItShownWhenAnotherFailsToOpen)
{
    TFenkForm& form = Start();
    Open(CopyOf(QStringLiteral("vault-a.fkx")));
    EXPECT_EQ(Shown(), (TShown{QStringLiteral("Fenk - vault-a.fkx"),
                               {"bank|carol|" + Bullets(8) + "|PIN is not here",
                                "example.com|alice|" + Bullets(13) + "|first login",
                                "mail.example.org|bob@example.org|" + Bullets(11) + "|"},
                               "bank|carol|" + Bullets(8) + "|PIN is not here",
                               Enabled(true, true, false)}));
    EXPECT_EQ(Focused(), &form.List());
    EXPECT_EQ(TFenkList::PasswordMask(QStringLiteral("a\U0001F511b")), Bullets(3)) << "one bullet per character";

    Press(Qt::Key_Down);
    const TShown before = Shown();
    const QString other = CopyOf(QStringLiteral("vault-b.fkx"));
    const struct
    {
        const char* Name;
        QString Path;
        bool IsLocked;
        QString Password; // asked for when not empty
        QString Warning;  // a pattern
    } cases[] = {
        {"wrong password", other, false, QStringLiteral("wrong"),
         QStringLiteral("^(Invalid password|File load error: )")},
        {"cancelled password", other, false, QStringLiteral("\x1b"), {}},
        {"two bytes",
         Folder.WriteFile(QStringLiteral("short.fkx"), "FK"),
         false,
         {},
         QStringLiteral("^The file type is not supported$")},
        {"version 3",
         Folder.WriteFile(QStringLiteral("v3.fkx"), "FKX3;12345678"),
         false,
         {},
         QStringLiteral("^The file version is not supported$")},
        {"locked by another process", other, true, {}, QStringLiteral("^File lock error: .")},
    };
    for (const auto& c : cases) {
        Presenter.Clear();
        const std::unique_ptr<TLockHolder> holder(c.IsLocked ? new TLockHolder(c.Path, LOCK_EX) : nullptr);
        AnswerLocator(c.Path);
        if (!c.Password.isEmpty())
            AnswerPassword(c.Password == u"\x1b" ? QString() : c.Password);
        Press(Qt::Key_O, Qt::ControlModifier);
        EXPECT_EQ(Shown(), before) << c.Name;
        const QStringList texts = Presenter.Texts();
        ASSERT_EQ(texts.size(), c.Warning.isEmpty() ? 0 : 1) << c.Name;
        if (!texts.isEmpty()) {
            EXPECT_TRUE(QRegularExpression(c.Warning).match(texts.first()).hasMatch())
                << c.Name << ": " << qPrintable(texts.first());
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
    } cases[] = {
        {"typed-twice", QStringLiteral("new secret"), {}},
        {"typed-differently", QStringLiteral("new secret"), QStringLiteral("new secreT")},
        {"cancelled", {}, {}},
    };
    Start();
    for (const auto& c : cases) {
        const QString path = Folder.FilePath(QString::fromLatin1(c.Name) + ".fkx");
        const bool isCreated = c.Verify.isEmpty() && !c.Password.isEmpty();
        AnswerLocator(path);
        AnswerPassword(c.Password, c.Verify);
        Press(Qt::Key_N, Qt::ControlModifier);
        EXPECT_EQ(QFileInfo::exists(path), isCreated) << c.Name;
        EXPECT_EQ(Shown(), (TShown{isCreated ? "Fenk - " + QFileInfo(path).fileName() : QStringLiteral("Fenk"),
                                   {},
                                   {},
                                   Enabled(isCreated, false, false)}))
            << c.Name;
        EXPECT_TRUE(Form->ActionView().HasFocusedButton()) << c.Name;
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        Press(Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(ClipboardText(), QStringLiteral("before")) << "nothing to copy without rows";
        Press(Qt::Key_Delete, Qt::ControlModifier);
    }
}

TEST_F(FenkMain, SavesWhatOpensAgainUnderTheNewMasterPasswordAndRefusesAFolder)
{
    TFenkForm& form = Start();
    const QString path = CopyOf(QStringLiteral("vault-a.fkx"));
    Open(path);
    Press(Qt::Key_Delete); // bank
    AnswerPassword(QStringLiteral("a new one"));
    Press(Qt::Key_F2, Qt::ControlModifier);
    EXPECT_EQ(Shown().Enabled, Enabled(true, true, true));
    EXPECT_EQ(Shown().Title, QStringLiteral("Fenk - vault-a.fkx"));
    Press(Qt::Key_S, Qt::ControlModifier);
    const TShown saved = Shown();
    EXPECT_EQ(saved.Enabled, Enabled(true, true, false));
    EXPECT_EQ(Sites(), QStringList({"example.com", "mail.example.org"}));

    for (const QString& password : {VaultPassword, QStringLiteral("a new one")}) {
        Press(Qt::Key_Delete, Qt::ControlModifier);
        Open(path, password);
    }
    EXPECT_EQ(Presenter.Texts().size(), 1) << "the old password fails";
    EXPECT_EQ(Shown(), saved) << "the new one opens the saved rows";

    Press(Qt::Key_Delete);
    ASSERT_TRUE(QFile::remove(path) && QDir().mkdir(path));
    Presenter.Clear();
    Press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Presenter.Texts(), QStringList{QStringLiteral("File save error")});
    EXPECT_TRUE(form.Document().DocumentModified());
}

TEST_F(FenkMain, AsksBeforeDiscardingChangesAndKeepsThemOnNo)
{
    const struct
    {
        const char* Name;
        std::function<void(FenkMain&)> Leave;
        QString Question;
        bool ClosesWindow;
    } ways[] = {
        {"Ctrl+Del", [](FenkMain& t) { t.Press(Qt::Key_Delete, Qt::ControlModifier); },
         QStringLiteral("Discard changes in current file?"), false},
        {"Esc", [](FenkMain& t) { t.Press(Qt::Key_Escape); }, QStringLiteral("Exit without saving?"), true},
        {"close box", [](FenkMain& t) { t.Form->close(); }, QStringLiteral("Exit without saving?"), true},
    };
    for (const auto& way : ways) {
        for (const int answer : {-1, 0, 1}) { // unchanged, then changed with No and Yes
            const std::string name = way.Name + std::to_string(answer);
            Start();
            Open(CopyOf(QStringLiteral("vault-a.fkx")));
            if (answer >= 0) {
                Press(Qt::Key_Delete);
                Presenter.AnswerNext(answer == 1);
            }
            const TShown before = Shown();
            Presenter.Clear();
            way.Leave(*this);
            EXPECT_EQ(Presenter.Texts(), answer >= 0 ? QStringList{way.Question} : QStringList()) << name;
            const bool leaves = answer != 0;
            if (way.ClosesWindow)
                EXPECT_EQ(Form->isVisible(), !leaves) << name;
            else
                EXPECT_EQ(Shown() == before, !leaves) << name;
            Close();
        }
    }
}

TEST_F(FenkMain, RowCommandsByKeyAndMouseMarkTheVaultModifiedOnlyWhenTheyChangeIt)
{
    const QStringList all{"bank", "example.com", "mail.example.org"};
    const QStringList twoLeft{"bank", "mail.example.org"};
    const struct
    {
        const char* Name;
        std::function<void(FenkMain&)> Run;
        QStringList Sites;
        QString Current; // "site|login"
        bool IsModified;
    } cases[] = {
        {"Ins", [](FenkMain& t) { t.AnswerEditor("neo", true), t.Press(Qt::Key_Insert); },
         all + QStringList{"new.example"}, "new.example|neo", true},
        {"Ins, cancelled", [](FenkMain& t) { t.AnswerEditor("neo", false), t.Press(Qt::Key_Insert); }, all,
         "example.com|alice", false},
        {"F2", [](FenkMain& t) { t.AnswerEditor("alicia", true), t.Press(Qt::Key_F2); }, all, "example.com|alicia",
         true},
        {"Enter, cancelled", [](FenkMain& t) { t.AnswerEditor("alicia", false), t.Press(Qt::Key_Return); }, all,
         "example.com|alice", false},
        {"click on a row",
         [](FenkMain& t) {
             t.AnswerEditor("bobby", true);
             TFenkList& list = t.Form->List();
             QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.Model().index(2, 0)).center());
         },
         all, "mail.example.org|bobby", true},
        {"Del", [](FenkMain& t) { t.Press(Qt::Key_Delete); }, twoLeft, "mail.example.org|bob@example.org", true},
        {"delete button",
         [](FenkMain& t) {
             auto& buttons = t.Form->RowToolBar().Buttons();
             QTest::mouseClick(buttons.GetItem(buttons.Count() - 1), Qt::LeftButton);
         },
         twoLeft, "mail.example.org|bob@example.org", true},
    };
    for (const auto& c : cases) {
        Start();
        Open(CopyOf(QStringLiteral("vault-a.fkx")));
        Press(Qt::Key_Down); // example.com
        c.Run(*this);
        EXPECT_EQ(Sites(), c.Sites) << c.Name;
        EXPECT_EQ(Shown().CurrentRow.section(u'|', 0, 1), c.Current) << c.Name;
        EXPECT_EQ(Shown().Enabled, Enabled(true, true, c.IsModified)) << c.Name;
        EXPECT_EQ(Focused(), &Form->List()) << c.Name;
        Close();
    }
}

TEST_F(FenkMain, SortsByHeaderClicksCopiesAndFindsAsTheUserTypesWithoutDeletingLogins)
{
    TFenkForm& form = Start();
    Open(CopyOf(QStringLiteral("vault-a.fkx")));
    const QStringList first = Sites();
    QHeaderView* header = form.List().header();
    const auto clickHeader = [&](int Column) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(Column) + 5, header->height() / 2));
        return Sites();
    };
    EXPECT_EQ(clickHeader(0), QStringList(first.rbegin(), first.rend()));
    EXPECT_EQ(clickHeader(0), first) << "a second click restores the order";
    EXPECT_EQ(clickHeader(1), QStringList({"example.com", "mail.example.org", "bank"})) << "by login name";
    clickHeader(0);
    Press(Qt::Key_Down);
    Press(Qt::Key_C, Qt::ControlModifier);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(copied->text(), QStringLiteral("correct horse")) << "the real password of example.com";
    EXPECT_EQ(copied->data(QStringLiteral("x-kde-passwordManagerHint")), QByteArray("secret"));

    Type(QStringLiteral("mail"));
    ASSERT_TRUE(form.ListPanel().IsSearchOpen());
    EXPECT_EQ(Focused(), &form.ListPanel().FindEdit());
    EXPECT_EQ(Shown().CurrentRow.section(u'|', 0, 0), QStringLiteral("mail.example.org"));
    for (const Qt::Key key : {Qt::Key_Backspace, Qt::Key_Home, Qt::Key_Delete})
        Press(key);
    EXPECT_EQ(form.ListPanel().FindEdit().text(), QStringLiteral("ai")) << "Del and Backspace edit the search";
    EXPECT_EQ(Shown().Enabled, Enabled(true, true, false)) << "and delete no login";
    EXPECT_EQ(Sites(), first);
    Press(Qt::Key_F6);
    EXPECT_EQ(Focused(), &form.List());
    Press(Qt::Key_Escape);
    EXPECT_FALSE(form.ListPanel().IsSearchOpen());
    EXPECT_TRUE(form.isVisible()) << "Esc closed the find bar, not the window";
}

TEST_F(FenkMain, OpensTheFileOrFolderOfTheCommandLineOnTheFirstShow)
{
    const QString vault = CopyOf(QStringLiteral("vault-a.fkx"));
    Folder.WriteFile(QStringLiteral("vault%3Ab.fkx"), {});
    const struct
    {
        QString Argument;
        QString Title;
        QString LocatorPath; // the path box of the Open dialog shown, when one is
    } cases[] = {
        {" " + vault + " ", QStringLiteral("Fenk - vault-a.fkx"), {}},
        {Folder.Path(), QStringLiteral("Fenk"), Folder.Path() + "/*.fkx"},
        {Folder.FilePath(QStringLiteral("missing.fkx")), QStringLiteral("Fenk"), {}},
    };
    for (const auto& c : cases) {
        QString locatorPath;
        if (c.LocatorPath.isEmpty() && c.Title != u"Fenk")
            AnswerPassword(VaultPassword);
        if (!c.LocatorPath.isEmpty()) {
            Driver.Answer([&](QWidget& Dialog) {
                locatorPath = VisibleFromTop<TNEOpaqueEdit>(Dialog).first()->text();
                const TNEListModel& files = Dialog.findChild<TNEListView*>()->Model();
                QStringList captions;
                for (int i = 0; i < files.ItemCount(); ++i)
                    captions.append(files.Item(i).Caption());
                EXPECT_TRUE(captions.contains(QStringLiteral("vault:b.fkx"))) << qPrintable(captions.join(u' '));
                EXPECT_EQ(Dialog.size(), QSize(qRound(DefaultFormWidth() * 0.8), qRound(DefaultFormHeight() * 0.9)));
                Dialog.close();
            });
        }
        const int answered = Driver.AnsweredCount();
        Start({c.Argument});
        EXPECT_EQ(Driver.AnsweredCount() - answered, c.Title != u"Fenk" || !c.LocatorPath.isEmpty())
            << qPrintable(c.Argument);
        EXPECT_EQ(Shown().Title, c.Title);
        EXPECT_EQ(locatorPath, c.LocatorPath);
        Close();
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
        for (int i = 0; i < 3000; ++i)
            form.Document().LoginRowset()->InsertRow(JoinItems({"site " + QString::number(i), "me", "pw", {}}));
    });
    form.ReloadList();
    Press(Qt::Key_S, Qt::ControlModifier);
    const QByteArray saved = [&] {
        QFile file(big);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    const auto cancelProgress = [this] {
        Driver.Answer([](QWidget& Dialog) {
            ASSERT_NE(qobject_cast<QProgressDialog*>(&Dialog), nullptr);
            static_cast<QProgressDialog&>(Dialog).cancel();
        });
    };

    Press(Qt::Key_Delete);
    cancelProgress();
    Press(Qt::Key_S, Qt::ControlModifier);
    QFile file(big);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), saved) << "a cancelled save leaves the file as it was";
    EXPECT_EQ(Shown().Enabled, Enabled(true, true, true)) << "and the vault modified";

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

// Browsing, finding, copying and cancelled edits never write the vault; a save that fails at any step says why,
// keeps the previous vault byte for byte and leaves the changes to be saved again.
TEST_F(FenkMain, WritesTheVaultOnlyOnSaveAndKeepsItWholeWhenASaveFails)
{
    TFenkForm& form = Start();
    const QString path = CopyOf(QStringLiteral("vault-a.fkx"));
    const auto vaultOnDisk = [&path] {
        QFile file(path);
        return std::pair(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(),
                         QFileInfo(path).lastModified());
    };
    const auto original = vaultOnDisk();
    Open(path);
    Press(Qt::Key_Down);
    QTest::mouseClick(form.List().header()->viewport(), Qt::LeftButton, {},
                      QPoint(form.List().header()->sectionViewportPosition(1) + 5, 5));
    Type(QStringLiteral("mail"));
    Press(Qt::Key_Escape); // closes the find bar
    Press(Qt::Key_C, Qt::ControlModifier);
    AnswerEditor(QStringLiteral("alicia"), false);
    Press(Qt::Key_F2);
    AnswerEditor(QStringLiteral("neo"), false);
    Press(Qt::Key_Insert);
    EXPECT_EQ(vaultOnDisk(), original);
    EXPECT_FALSE(form.Document().DocumentModified());

    Press(Qt::Key_Delete);
    const struct
    {
        TNESaveStep Step;
        int Error;
        std::int64_t AfterBytes;
    } failures[] = {
        {TNESaveStep::WriteContent, ENOSPC, 100}, // the disk fills up partway
        {TNESaveStep::SyncTemporary, EIO, 0},
        {TNESaveStep::ReplaceTarget, EIO, 0},
    };
    for (const auto& failure : failures) {
        const QString reason = QString::fromLocal8Bit(std::strerror(failure.Error));
        Presenter.Clear();
        InjectSaveFailure(failure.Step, failure.Error, failure.AfterBytes);
        Press(Qt::Key_S, Qt::ControlModifier);
        ASSERT_EQ(Presenter.Texts().size(), 1) << qPrintable(reason);
        EXPECT_TRUE(Presenter.Texts().first().contains(reason)) << qPrintable(Presenter.Texts().first());
        EXPECT_EQ(vaultOnDisk(), original) << qPrintable(reason);
        EXPECT_EQ(QDir(Folder.Path()).entryList(QDir::Files | QDir::Hidden), QStringList{"vault-a.fkx"});
        EXPECT_EQ(Shown().Enabled, Enabled(true, true, true)) << "Save stays enabled";
    }
    InjectSaveFailure(std::nullopt);
}

// A password copied from the vault leaves the clipboard when the vault closes, unless the clipboard holds something
// copied since or the vault stays open.
TEST_F(FenkMain, ClosingTheVaultTakesItsCopiedPasswordOffTheClipboard)
{
    const struct
    {
        const char* Name;
        QString CopiedSince; // put on the clipboard after the password, when not empty
        bool IsModified;     // Close then asks, and is refused
        QString Clipboard;   // after Close
    } cases[] = {
        {"copied password", {}, false, {}},
        {"other text copied since", QStringLiteral("a note"), false, QStringLiteral("a note")},
        {"close refused", {}, true, QStringLiteral("correct horse")},
    };
    for (const auto& c : cases) {
        Start();
        Open(CopyOf(QStringLiteral("vault-a.fkx")));
        if (c.IsModified)
            Press(Qt::Key_Delete); // bank
        else
            Press(Qt::Key_Down); // example.com
        Press(Qt::Key_C, Qt::ControlModifier);
        if (!c.CopiedSince.isEmpty())
            QGuiApplication::clipboard()->setText(c.CopiedSince);
        if (c.IsModified)
            Presenter.AnswerNext(false);
        Press(Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(Form->Document().Crypt().HasKey(), c.IsModified) << c.Name;
        EXPECT_EQ(ClipboardText(), c.Clipboard) << c.Name;
        Close();
    }
}
