#include "ui/lists/NLocator.h"

#include "foundation/NFileUtilities.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/ui/ApplicationFixture.h"
#include "tests/support/ui/ModalDriver.h"
#include "ui/lists/NListPanel.h"

#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>

#include <functional>
#include <unistd.h>

namespace {

using NLocator = TApplicationFixture;

// A folder a/b, the folder new.fkx, a hidden folder, and the files a.fkx (3 bytes), a.txt (10) and zz.fkx (1).
class TTree
{
public:
    TTree()
    {
        QDir root(Folder.Path());
        for (const char* path : {"a/b", "new.fkx", ".git"})
            root.mkpath(QString::fromLatin1(path));
        Folder.WriteFile(QStringLiteral("a.fkx"), "abc");
        Folder.WriteFile(QStringLiteral("a.txt"), "0123456789");
        Folder.WriteFile(QStringLiteral("zz.fkx"), "z");
    }

    QString Path(const QString& Below = {}) const { return Folder.Path() + u'/' + Below; }

    TTemporaryFolder Folder;
};

QStringList Captions(const TNELocator& Locator)
{
    QStringList captions;
    const TNEListModel& model = Locator.ListView().Model();
    for (int item = 0; item < model.ItemCount(); ++item)
        captions.append(model.Item(item).Caption());
    return captions;
}

QString FocusedCaption(const TNELocator& Locator)
{
    const int focused = Locator.ListView().FocusedItem();
    return focused < 0 ? QString() : Locator.ListView().Model().Item(focused).Caption();
}

void Press(Qt::Key Key, Qt::KeyboardModifiers Modifiers = {})
{
    QTest::keyClick(QApplication::focusWidget(), Key, Modifiers);
}

// Runs Work in the next dialog once it is shown and active; a dialog Work leaves open is cancelled.
void AnswerWith(TModalDriver& Driver, std::function<void()> Work)
{
    Driver.Answer([Work = std::move(Work)](QWidget& dialog) {
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        Work();
        if (dialog.isVisible())
            static_cast<QDialog&>(dialog).reject();
    });
}

QString RunLocator(TNELocator& Locator, std::function<void()> Work)
{
    TModalDriver driver;
    AnswerWith(driver, std::move(Work));
    return Locator.Execute();
}

// Types Text into the next text prompt and presses its OK.
void AnswerPrompt(TModalDriver& Driver, const QString& Text)
{
    Driver.Answer([Text](QWidget& dialog) {
        dialog.findChild<QLineEdit*>()->setText(Text);
        for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
            if (button->text() == u"OK")
                button->click();
        }
    });
}

} // namespace

TEST_F(NLocator, ListsFoldersFirstAndShowsWhichFilesTheMasksAccept)
{
    TTree tree;
    TNELocator locator;
    locator.SetMasks(QStringLiteral(" fkx ;;t:x\tt;"));
    EXPECT_EQ(locator.Masks(), QStringLiteral("FKX;TXT;")) << "trimmed, upper case, cleaned, empty ones dropped";
    locator.SetMasks(QStringLiteral("FKX"));
    locator.SetPath(tree.Path());
    locator.Fill();
    EXPECT_EQ(Captions(locator), QStringList({"a", "new.fkx", "a.fkx", "a.txt", "zz.fkx"}))
        << "folders first and without the hidden one, then the files";
    const TNEListModel& model = locator.ListView().Model();
    const int images[] = {TNELocator::liFolder, TNELocator::liFolder, TNELocator::liChosenFile, TNELocator::liOtherFile,
                          TNELocator::liAcceptedFile};
    ASSERT_EQ(model.ItemCount(), 5);
    SelectListItem(&locator.ListView(), 2);
    for (int item = 0; item < 5; ++item)
        EXPECT_EQ(model.Item(item).ImageIndex(), images[item]) << item;
    EXPECT_EQ(model.Item(0).SubItem(2), QStringLiteral("D"));
    EXPECT_EQ(model.Item(3).SubItem(1), QStringLiteral("10"));
    EXPECT_TRUE(model.Item(0).SubItem(1).isEmpty()) << "a folder shows no size";
    EXPECT_EQ(locator.FileNameEdit().text(), QStringLiteral("a.fkx")) << "the selected file is chosen";

    const QString chosen = RunLocator(locator, [&] {
        QTest::keyClicks(&locator.ListView(), QStringLiteral("z"));
        EXPECT_TRUE(locator.ListPanel().IsSearchOpen());
        EXPECT_EQ(FocusedCaption(locator), QStringLiteral("zz.fkx")) << "typing finds the first matching entry";
        Press(Qt::Key_Escape);
        EXPECT_TRUE(locator.Form().isVisible()) << "Escape closed the find bar first";
        SelectListItem(&locator.ListView(), 3);
        Press(Qt::Key_Return);
        EXPECT_TRUE(locator.Form().isVisible()) << "Enter on a file of no mask does nothing";
        EXPECT_TRUE(locator.FileNameEdit().text().isEmpty());
        SelectListItem(&locator.ListView(), 2);
        Press(Qt::Key_Return);
    });
    EXPECT_EQ(chosen, tree.Path(QStringLiteral("a.fkx")));
    EXPECT_EQ(locator.ListView().Model().ItemCount(), 0) << "the list is cleared after the run";

    struct TFilter
    {
        void Filter(TNELocator&, const TNESearchRec& Entry, QString& Caption, bool& Accept)
        {
            Accept = Entry.Name != u"a.txt";
            if (Entry.Name == u"zz.fkx")
                Caption = QStringLiteral("Zed");
        }
    } filter;
    locator.OnFilter = {&filter, &TFilter::Filter};
    locator.Fill(QStringLiteral("zed"));
    EXPECT_EQ(Captions(locator), QStringList({"a", "new.fkx", "a.fkx", "Zed"})) << "renamed and left out";
    EXPECT_EQ(FocusedCaption(locator), QStringLiteral("Zed")) << "found by its caption as well";
}

TEST_F(NLocator, SetPathSplitsFolderAndMaskOfLinuxPaths)
{
    TTree tree;
    const QString home = QDir::homePath() + u'/';
    const struct
    {
        QString Text;
        QString Folder;
        QString Mask;
        int Items;
    } cases[] = {
        {tree.Path("*.fkx"), tree.Path(), "*.fkx", 4},
        {"  " + tree.Path("a") + "  ", tree.Path("a/"), "*.*", 1},
        {tree.Path("*.fkx") + "; *.txt", tree.Path(), "*.fkx", 4},
        {tree.Path("a/../a/b/"), tree.Path("a/b/"), "*.*", 0},
        {tree.Path("a/b/*.txt"), tree.Path("a/b/"), "*.txt", 0},
        {tree.Path("missing/deeper/*.fkx"), tree.Path("missing/deeper/"), "*.fkx", 0},
        {"a", tree.Path("a/"), "*.*", 1},
        {"../*.x", QDir::cleanPath(tree.Path("..")) + u'/', "*.x", -1},
        {"~", home, "*.*", -1},
        {"~/*.fkx", home, "*.fkx", -1},
        {"/", "/", "*.*", -1},
        {"/../../", "/", "*.*", -1},
        {"/../tmp/../..//*.x", "/", "*.x", -1},
    };
    for (const auto& c : cases) {
        TNELocator locator;
        locator.SetPath(tree.Path());
        locator.SetPath(c.Text);
        EXPECT_EQ(locator.Root() + locator.Folder(), c.Folder) << c.Text.toStdString();
        EXPECT_EQ(locator.FileMask(), c.Mask) << c.Text.toStdString();
        EXPECT_EQ(locator.Root(), QStringLiteral("/"));
        locator.Fill();
        if (c.Items >= 0) {
            EXPECT_EQ(locator.ListView().Model().ItemCount(), c.Items) << c.Text.toStdString();
        }
        EXPECT_EQ(locator.PathEdit().text(), c.Folder + c.Mask);
    }
}

TEST_F(NLocator, SaveModeTakesOnlyANewNameOfTheMasksAndReturnsItsFullPath)
{
    TTree tree;
    const struct
    {
        const char* Name;
        bool Accepted;
    } cases[] = {{".fkx", false},      {"new.fkx", false}, {"other.fkx", true}, {"Other.FKX", true},
                 {"other.txt", false}, {"other", false},   {"a/b.fkx", false},  {"", false}};
    for (const auto& c : cases) {
        TNELocator locator;
        locator.SaveMode = true;
        locator.SetMasks(QStringLiteral("fkx"));
        locator.SetPath(tree.Path(QStringLiteral("*.fkx")));
        const QString chosen = RunLocator(locator, [&] {
            EXPECT_EQ(QApplication::focusWidget(), &locator.FileNameEdit());
            QTest::keyClicks(&locator.FileNameEdit(), QString::fromLatin1(c.Name));
            EXPECT_EQ(locator.IsCommandEnabled(&TNELocator::Ok), c.Accepted) << c.Name;
            Press(Qt::Key_Return, Qt::ControlModifier);
        });
        EXPECT_EQ(chosen, c.Accepted ? tree.Path(QString::fromLatin1(c.Name)) : QString()) << c.Name;
    }
}

TEST_F(NLocator, UpListsTheParentWithTheFolderLeftFocusedAndStopsAtTheRoot)
{
    TTree tree;
    TNELocator locator;
    locator.SetPath(tree.Path(QStringLiteral("a/b")));
    RunLocator(locator, [&] {
        EXPECT_TRUE(locator.IsCommandEnabled(&TNELocator::Up));
        Press(Qt::Key_Backspace);
        EXPECT_EQ(locator.Root() + locator.Folder(), tree.Path(QStringLiteral("a/")));
        EXPECT_EQ(FocusedCaption(locator), QStringLiteral("b"));
        Press(Qt::Key_Left);
        EXPECT_EQ(locator.Root() + locator.Folder(), tree.Path());
        EXPECT_EQ(FocusedCaption(locator), QStringLiteral("a"));
        Press(Qt::Key_Right);
        EXPECT_EQ(locator.Root() + locator.Folder(), tree.Path(QStringLiteral("a/"))) << "Right opens a folder";
        QWidget* items = locator.ListView().viewport();
        QTest::mouseClick(items, Qt::LeftButton, {},
                          locator.ListView().visualRect(locator.ListView().Model().index(0, 0)).center());
        EXPECT_EQ(locator.Root() + locator.Folder(), tree.Path(QStringLiteral("a/b/"))) << "a press opens it too";
        locator.SetPath(QStringLiteral("/"));
        locator.Fill();
        EXPECT_FALSE(locator.IsCommandEnabled(&TNELocator::Up));
        Press(Qt::Key_Backspace);
        EXPECT_EQ(locator.Folder(), QString());
    });
}

TEST_F(NLocator, SortsFoldersFirstByTheClickedColumnKeepingTheDirection)
{
    TTree tree;
    TNELocator locator;
    locator.SetPath(tree.Path());
    locator.SetSortMode(4);
    locator.Fill();
    EXPECT_EQ(Captions(locator), QStringList({"a", "new.fkx", "a.txt", "a.fkx", "zz.fkx"})) << "size descending";
    EXPECT_EQ(locator.ListView().SortColumn(), 2);
    EXPECT_EQ(locator.ListView().SortDirection(), 0);
    locator.Form().show();
    QHeaderView& header = *locator.ListView().header();
    const auto clickColumn = [&header](int Column) {
        QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, QPoint(header.sectionViewportPosition(Column) + 4, 4));
    };
    clickColumn(0);
    EXPECT_EQ(locator.SortMode(), 0);
    EXPECT_EQ(Captions(locator), QStringList({"new.fkx", "a", "zz.fkx", "a.txt", "a.fkx"})) << "name descending";
    clickColumn(0);
    EXPECT_EQ(locator.SortMode(), 1) << "the same column turns the direction round";
    EXPECT_EQ(Captions(locator), QStringList({"a", "new.fkx", "a.fkx", "a.txt", "zz.fkx"}));
    EXPECT_EQ(locator.ListView().SortDirection(), 1);
}

TEST_F(NLocator, KeysMoveTheFocusRoundApplyATypedPathAndCancel)
{
    TTree tree;
    TNELocator locator;
    locator.SaveMode = true;
    locator.SetMasks(QStringLiteral("fkx"));
    locator.SetPath(tree.Path());
    const QString chosen = RunLocator(locator, [&] {
        QWidget* cycle[] = {&locator.PathEdit(), &locator.ListView(), &locator.FileNameEdit()};
        for (QWidget* next : {cycle[0], cycle[1], cycle[2], cycle[0]}) {
            Press(Qt::Key_F6);
            EXPECT_EQ(QApplication::focusWidget(), next);
        }
        for (QWidget* previous : {cycle[2], cycle[1], cycle[0]}) {
            Press(Qt::Key_F6, Qt::ShiftModifier);
            EXPECT_EQ(QApplication::focusWidget(), previous);
        }
        EXPECT_FALSE(locator.IsCommandEnabled(&TNELocator::Up)) << "Up waits while the path box has the focus";
        locator.PathEdit().selectAll();
        QTest::keyClicks(&locator.PathEdit(), tree.Path(QStringLiteral("a")));
        Press(Qt::Key_Backspace);
        QTest::keyClicks(&locator.PathEdit(), QStringLiteral("a"));
        EXPECT_EQ(locator.Root() + locator.Folder(), tree.Path()) << "typed, not applied yet";
        Press(Qt::Key_F6);
        EXPECT_EQ(locator.Root() + locator.Folder(), tree.Path(QStringLiteral("a/")));
        EXPECT_EQ(QApplication::focusWidget(), &locator.ListView());
        EXPECT_TRUE(locator.IsCommandEnabled(&TNELocator::Up));
        for (const Qt::Key leaving : {Qt::Key_Return, Qt::Key_Down}) {
            locator.PathEdit().setFocus();
            locator.PathEdit().selectAll();
            QTest::keyClicks(&locator.PathEdit(),
                             leaving == Qt::Key_Return ? QStringLiteral("b") : QStringLiteral(".."));
            Press(leaving);
            EXPECT_EQ(QApplication::focusWidget(), &locator.ListView()) << leaving;
        }
        EXPECT_EQ(locator.Root() + locator.Folder(), tree.Path(QStringLiteral("a/"))) << "a/b, then up again";
        locator.FileNameEdit().setFocus();
        QTest::keyClicks(&locator.FileNameEdit(), QStringLiteral("x.fkxx"));
        Press(Qt::Key_Backspace);
        EXPECT_EQ(locator.FileNameEdit().text(), QStringLiteral("x.fkx")) << "Backspace edits the name";
        EXPECT_EQ(locator.Root() + locator.Folder(), tree.Path(QStringLiteral("a/")));
        Press(Qt::Key_Escape);
    });
    EXPECT_TRUE(chosen.isEmpty());

    TModalDriver driver;
    driver.Answer([](QWidget& dialog) { dialog.close(); });
    EXPECT_TRUE(locator.Execute().isEmpty()) << "the close box cancels as well";
}

TEST_F(NLocator, NewFolderCreatesAndOpensAFolderOrSaysWhyItCannot)
{
    TTree tree;
    const QString tooLong(300, u'x');
    const bool canLockFolders = ::geteuid() != 0; // the superuser writes into any folder
    const QString locked = tree.Path(QStringLiteral("a/b/"));
    const struct
    {
        QString Typed;
        QString Folder;
        QString Opened;
        bool Refused;
        QString Name;
    } cases[] = {
        {" new/Letters ", "a/", "a/Letters/", false, {}},
        {"b", "a/", "a/b/", false, {}},
        {"   ", "a/", "a/", true, ""},
        {".hidden", "a/", "a/", true, ".hidden"},
        {tooLong, "a/", "a/", true, tooLong},
        {"denied", "a/b/", canLockFolders ? "a/b/" : "a/b/denied/", canLockFolders, "denied"},
    };
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    for (const auto& c : cases) {
        TNELocator locator;
        locator.SaveMode = true;
        locator.SetPath(tree.Path(c.Folder));
        TModalDriver driver;
        AnswerWith(driver, [] { Press(Qt::Key_Insert, Qt::ShiftModifier); });
        AnswerPrompt(driver, c.Typed);
        locator.Execute();
        EXPECT_EQ(locator.Root() + locator.Folder(), tree.Path(c.Opened)) << c.Typed.toStdString();
        EXPECT_TRUE(FolderExists(tree.Path(c.Opened)));
        const QStringList expected =
            c.Refused ? QStringList(QStringLiteral("Unable to create folder: \"%1\"").arg(c.Name)) : QStringList();
        EXPECT_EQ(Presenter.Texts(), expected) << c.Typed.toStdString();
        Presenter.Clear();
    }
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(NLocator, HomeDesktopAndDrivesChangeToTheirFoldersOrDoNothing)
{
    TTree tree;
    const QByteArray home = qgetenv("HOME");
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    const auto restore = qScopeGuard([&] {
        qputenv("HOME", home);
        qputenv("XDG_CONFIG_HOME", config);
    });
    qputenv("HOME", QFile::encodeName(tree.Path(QStringLiteral("a"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(tree.Path(QStringLiteral("a/b"))));
    TNELocator locator;
    locator.SetPath(tree.Path(QStringLiteral("*.fkx")));
    TModalDriver driver;
    AnswerWith(driver, [&] {
        Press(Qt::Key_Home, Qt::ShiftModifier | Qt::AltModifier);
        EXPECT_EQ(locator.Root() + locator.Folder(), tree.Path()) << "there is no desktop folder";
        Press(Qt::Key_Home, Qt::AltModifier);
        EXPECT_EQ(locator.Root() + locator.Folder(), tree.Path(QStringLiteral("a/"))) << "home, without documents";
        EXPECT_EQ(locator.FileMask(), QStringLiteral("*.fkx"));
        QDir(tree.Path()).mkpath(QStringLiteral("a/Documents"));
        QDir(tree.Path()).mkpath(QStringLiteral("a/Desktop"));
        Press(Qt::Key_Home, Qt::AltModifier);
        EXPECT_EQ(locator.Root() + locator.Folder(), tree.Path(QStringLiteral("a/Documents/")));
        Press(Qt::Key_Home, Qt::ShiftModifier | Qt::AltModifier);
        EXPECT_EQ(locator.Root() + locator.Folder(), tree.Path(QStringLiteral("a/Desktop/")));
        EXPECT_EQ(QApplication::focusWidget(), &locator.ListView());
        Press(Qt::Key_F4);
        EXPECT_EQ(locator.Folder(), QString()) << "the root was picked";
        EXPECT_EQ(locator.PathEdit().text(), QStringLiteral("/*.fkx"));
    });
    AnswerWith(driver, [] {
        auto* picker = qobject_cast<TNEForm*>(QApplication::activeModalWidget());
        ASSERT_NE(picker, nullptr);
        EXPECT_EQ(picker->windowTitle(), QStringLiteral("Pick Drive"));
        TNEListView* list = picker->findChild<TNEListView*>();
        const int root = list->Model().FindItemByData(TNEItemData::FromNumber(0));
        EXPECT_TRUE(list->Model().Item(root).Caption().startsWith(u'/'));
        for (int item = 0; item < list->Model().ItemCount(); ++item) {
            if (list->Model().Item(item).Caption() == u"/" || list->Model().Item(item).Caption().startsWith(u"/ ("))
                SelectListItem(list, item);
        }
        QTest::keyClick(list, Qt::Key_Return);
    });
    locator.Execute();
}
