#include "ui/lists/NList.h"

#include "tests/support/ui/ApplicationFixture.h"
#include "tests/support/ui/FakeScreen.h"
#include "tests/ui/lists/ListWindow.h"
#include "ui/actions/NControl.h"

#include <QHeaderView>
#include <QLocale>
#include <QRandomGenerator>

#include <memory>

namespace {

using NList = TApplicationFixture;

const std::vector<QStringList> Logins = {
    {"Bank", "anna", ""}, {"alpha", "bob", "first"}, {"Zoo", "carl", "Ångström unit"}, {"mail", "dora", "istanbul"}};

// Records what reaches it, and the item the list had focused at that moment.
class TRecordingController : public TNEListController
{
public:
    using TNEListController::TNEListController;

    void ListEnter() override { Events.append(QStringLiteral("enter")); }
    void ListKeyDown(TNEShortCut& Key) override
    {
        Events.append(QStringLiteral("down %1@%2").arg(ShortCutToText(Key)).arg(ListView()->FocusedItem()));
        TNEListController::ListKeyDown(Key);
    }
    void ListKeyPress(QChar& Key) override { Events.append(QStringLiteral("press %1").arg(Key)); }
    void ListMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers, int X, int Y) override
    {
        Events.append(QStringLiteral("mouse %1 at item %2, focused %3")
                          .arg(int(Button))
                          .arg(ListView()->ItemAt(X, Y))
                          .arg(ListView()->FocusedItem()));
    }

    QStringList Events;
};

QPoint CenterOfItem(const TNEListView& List, int Item)
{
    return List.visualRect(List.Model().index(Item, 0)).center();
}

QImage HeaderPicture(TNEListView& List)
{
    return List.header()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST_F(NList, SelectListItemMakesOneItemFocusedSelectedAndFullyVisible)
{
    SelectListItem(nullptr, 0);
    TNEListView empty;
    SelectListItem(&empty, -1);
    EXPECT_EQ(empty.FocusedItem(), -1) << "an empty list stays as it is";

    TNEListView list;
    list.Model().AddColumn(QStringLiteral("Name"), 100);
    for (int index = 0; index < 1000; ++index)
        list.Model().AddItem({QString::number(index)});
    list.resize(200, 150);
    list.show();
    const struct
    {
        int Given;
        int Expected;
    } cases[] = {{-1, 0}, {2, 2}, {999, 999}, {1000, 0}, {500, 500}};
    for (const auto& test : cases) {
        SelectListItem(&list, test.Given);
        EXPECT_EQ(list.FocusedItem(), test.Expected) << test.Given;
        EXPECT_EQ(list.SelectedItem(), test.Expected) << test.Given;
        EXPECT_TRUE(list.viewport()->rect().contains(list.visualRect(list.Model().index(test.Expected, 0))))
            << test.Given;
    }
}

TEST_F(NList, FindNextSearchesOnwardInDisplayOrderWithoutWrapping)
{
    struct TCase
    {
        QString Search;
        int Start;
        bool IncludeStart;
        int Found; // -1: nothing found, the focus stays
    };
    const TCase cases[] = {
        {"a", 0, true, 0},      {"a", 0, false, 1},        {"a", 3, false, -1},       {"Z", -1, false, 2},
        {"first", 2, true, -1}, {"ångström", -1, true, 2}, {"ÅNGSTRÖM", -1, true, 2}, {"ISTANBUL", 0, true, 3},
        {"CARL", -1, false, 2}, {"", -1, true, -1},
    };
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    for (const TCase& test : cases) {
        TListWindow window(Logins);
        SelectListItem(window.List, 1);
        window.Control->SetSearchText(test.Search);
        EXPECT_EQ(window.Control->FindNext(test.Start, test.IncludeStart), test.Found >= 0)
            << test.Search.toStdString();
        EXPECT_EQ(window.List->FocusedItem(), test.Found >= 0 ? test.Found : 1) << test.Search.toStdString();
        EXPECT_EQ(window.List->SelectedItem(), window.List->FocusedItem());
    }
    QLocale::setDefault(QLocale::c());

    TListWindow window(Logins);
    window.Control->SetSearchText(QStringLiteral("bank"));
    EXPECT_EQ(window.Control->SearchText(), QStringLiteral("BANK"));
    EXPECT_TRUE(window.Control->ItemMatches(0));
    EXPECT_FALSE(window.Control->ItemMatches(1));
    EXPECT_FALSE(window.Control->ItemMatches(-1));
}

TEST_F(NList, EventsReachTheControllerAfterTheListsOwnHandling)
{
    TListWindow<TRecordingController> window(Logins);
    window.Show();
    SelectListItem(window.List, 0);
    QStringList& events = window.Control->Events;
    events.clear();

    QTest::keyClick(window.List, Qt::Key_Down);
    QTest::keyClick(window.List, Qt::Key_X);
    QTest::keyClick(window.List, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(window.List, Qt::Key_Space);
    QTest::mouseClick(window.List->viewport(), Qt::LeftButton, {}, CenterOfItem(*window.List, 3));
    // Qt turns a double click on another item than the press into a press of its own: not one for the controller.
    QTest::mouseDClick(window.List->viewport(), Qt::LeftButton, {}, CenterOfItem(*window.List, 2));
    EXPECT_EQ(window.List->FocusedItem(), 2);
    window.List->clearFocus();
    window.List->setFocus();
    EXPECT_EQ(events, QStringList({"down Down@1", "down X@1", "press x", "down Ctrl+X@1", "down Space@1", "press  ",
                                   "mouse 1 at item 3, focused 3", "enter"}));
}

TEST_F(NList, FocusAndSelectionFollowTheirItemsThroughSortingAndRefills)
{
    TListWindow window(Logins);
    std::vector<std::pair<int, bool>> announced;
    struct TAnnouncer
    {
        std::vector<std::pair<int, bool>>& Seen;
        void Selected(int Item, bool State) { Seen.emplace_back(Item, State); }
    } announcer{announced};
    window.List->OnSelectItem = {&announcer, &TAnnouncer::Selected};
    TNEListModel& model = window.List->Model();
    SelectListItem(window.List, 3);
    announced.clear();

    model.SetCompare([](const TNEListItem& Left, const TNEListItem& Right) {
        return Left.Caption().compare(Right.Caption(), Qt::CaseInsensitive);
    });
    EXPECT_EQ(window.FocusedCaption(), QStringLiteral("mail")) << "sorting moves the focus with its item";
    {
        TNEListUpdate update(model);
        model.AddItem({QStringLiteral("aardvark")});
        model.RemoveItem(0);
    }
    EXPECT_EQ(window.FocusedCaption(), QStringLiteral("mail")) << "a reset keeps the focused item";
    EXPECT_EQ(window.List->SelectedItem(), window.List->FocusedItem());
    EXPECT_TRUE(announced.empty()) << "an item selected before and after is not announced again";

    const int mail = window.List->FocusedItem();
    {
        TNEListUpdate update(model);
        model.AddItem({QStringLiteral("zebra")});
        SelectListItem(window.List, model.ItemCount() - 1);
        EXPECT_TRUE(announced.empty()) << "states set during the update wait for its end";
    }
    EXPECT_EQ(window.FocusedCaption(), QStringLiteral("zebra"));
    EXPECT_EQ(announced, (std::vector<std::pair<int, bool>>{{mail, false}, {window.List->FocusedItem(), true}}));
}

TEST_F(NList, TheSortArrowStandsBesideTheCaptionWhereItFitsAndNowhereElse)
{
    TFakeScreen screen(QSize(1024, 768));
    screen.Frame = 2;
    struct TCase
    {
        TNEColumnAlignment Alignment;
        int Width;
        bool Arrow;
    };
    const TCase cases[] = {
        {caLeft, 120, true}, {caRight, 120, true}, {caCenter, 120, false}, {caLeft, 40, false}, {caRight, 40, false}};
    for (const TCase& test : cases) {
        TNEListView list;
        list.Model().AddColumn(QStringLiteral("Size"), test.Width, test.Alignment);
        list.Model().AddColumn(QStringLiteral("Other"), 80);
        list.resize(300, 100);
        list.show();
        const QImage plain = HeaderPicture(list);
        list.SetSortColumn(0);
        const QImage down = HeaderPicture(list);
        list.SetSortDirection(1);
        const QImage up = HeaderPicture(list);
        EXPECT_EQ(down != plain, test.Arrow) << test.Alignment << " " << test.Width;
        EXPECT_EQ(up != down, test.Arrow) << "the arrow turns with the direction";
        EXPECT_EQ(down.copy(test.Width, 0, 80, down.height()), plain.copy(test.Width, 0, 80, plain.height()))
            << "nothing is drawn on the other columns";
    }

    TNEListView list;
    list.Model().AddColumn(QStringLiteral("Site name"), 10);
    list.SetSortColumn(0);
    list.AutoSizeSortColumn();
    const int needed = list.header()->fontMetrics().horizontalAdvance(QStringLiteral("Site name")) + 2 * 2 + 20;
    EXPECT_EQ(list.Model().Column(0).Width, needed);
    list.Model().SetColumnWidth(0, needed + 30);
    list.AutoSizeSortColumn();
    EXPECT_EQ(list.Model().Column(0).Width, needed + 30) << "a wide enough column keeps its width";
}

TEST_F(NList, TheColumnSizerGivesTheWidthsThatMeasuringEveryTextGives)
{
    QStringList corpus = {"AV",
                          "To",
                          "WAVE",
                          "ff",
                          "fi",
                          "(f)",
                          "Ýý",
                          "ПРИВЕТ",
                          "Ελλάδα",
                          "日本語のテキスト",
                          "مرحبا بالعالم",
                          "e\u0301e\u0301e\u0301",
                          "🔑🔑🔑",
                          QString(12, QChar(0x2022)),
                          "",
                          "\t x"};
    QRandomGenerator random(17);
    const QString alphabet = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ .,@-_/()ÄÖÜßéèàçñ");
    for (int index = 0; index < 3000; ++index) {
        QString text(random.bounded(1, 40), u' ');
        for (QChar& character : text)
            character = alphabet[random.bounded(int(alphabet.size()))];
        corpus.append(text);
    }
    TNEImageList images(16, 17);
    for (TNEImageList* smallImages : {static_cast<TNEImageList*>(nullptr), &images}) {
        TNEListView list;
        list.SetSmallImages(smallImages);
        list.Model().AddColumn(QStringLiteral("Caption"), 27);
        list.Model().AddColumn(QString(), 27);
        TNEColumnSizer sizer(list);
        const QFontMetrics metrics(list.font());
        int widest[2] = {metrics.horizontalAdvance(QStringLiteral("Caption")) + 15, 15};
        for (int index = 0; index < corpus.size(); ++index) {
            const QString& text = corpus[index];
            sizer.MeasureItem(list.Model().AddItem({corpus[corpus.size() - 1 - index], text}));
            widest[0] = std::max(widest[0], metrics.horizontalAdvance(corpus[corpus.size() - 1 - index]) + 10 +
                                                (smallImages ? 16 : 0));
            widest[1] = std::max(widest[1], metrics.horizontalAdvance(text) + 14);
        }
        sizer.MeasureItem(-1);
        sizer.ApplyWidths();
        EXPECT_EQ(list.Model().Column(0).Width, widest[0]);
        EXPECT_EQ(list.Model().Column(1).Width, widest[1]);
    }

    TNEListView list;
    list.Model().AddColumn(QStringLiteral("A long caption"), 27);
    TNEColumnSizer sizer(list);
    sizer.MeasureItem(list.Model().AddItem({QStringLiteral("x")}));
    sizer.ApplyWidths();
    EXPECT_EQ(list.Model().Column(0).Width,
              QFontMetrics(list.font()).horizontalAdvance(QStringLiteral("A long caption")) + 15)
        << "narrower texts leave the caption's width + 15";
}

TEST_F(NList, HotTrackingUnderlinesTheItemUnderTheMouseWithAHandCursor)
{
    TListWindow window(Logins);
    window.Show();
    QWidget* items = window.List->viewport();
    QTest::mouseMove(items, CenterOfItem(*window.List, 2));
    EXPECT_EQ(window.List->HotItem(), 2);
    EXPECT_EQ(items->cursor().shape(), Qt::PointingHandCursor);
    const QImage hot = items->grab().toImage();
    window.List->SetHotTrack(false);
    EXPECT_EQ(window.List->HotItem(), -1);
    EXPECT_EQ(items->cursor().shape(), Qt::ArrowCursor);
    EXPECT_NE(items->grab().toImage(), hot) << "the underline goes with the hot state";
    QTest::mouseMove(items, CenterOfItem(*window.List, 1));
    EXPECT_EQ(window.List->HotItem(), -1) << "no hot item while hot tracking is off";
}

TEST_F(NList, ControllerAndListMayBeDestroyedInEitherOrder)
{
    {
        TListWindow window(Logins);
        window.Control.reset();
        EXPECT_EQ(window.List->Controller(), nullptr);
        window.Show();
        QTest::keyClick(window.List, Qt::Key_A);
        EXPECT_FALSE(window.Panel->IsSearchOpen()) << "a list without controller has no find bar";
    }
    auto list = std::make_unique<TNEListView>();
    TNEListController controller(*list);
    EXPECT_EQ(list->Controller(), &controller);
    EXPECT_TRUE(list->objectName().startsWith(QStringLiteral("TNEListView_")));
    list.reset();
    EXPECT_EQ(controller.ListView(), nullptr);
    controller.SetSearchText(QStringLiteral("a"));
    EXPECT_FALSE(controller.FindNext(-1, true));
    controller.ClearSearch();
}
