#include "store/NVirtualRowset.h"

#include "StoreTestSupport.h"

#include <map>
#include <memory>

namespace {

const auto* const Locale = testing::AddGlobalTestEnvironment(new TEnglishLocale);

// Source ID -> rank in the selection.
std::map<std::int32_t, std::int32_t> RanksOf(TNEVirtualRowsetLinks& Selection)
{
    std::map<std::int32_t, std::int32_t> ranks;
    TNERowIterator rows(Selection);
    for (rows.First(); !rows.IsDone(); rows.Next())
        ranks[rows.Current()->ID()] = Selection.RankOf(rows.Current());
    return ranks;
}

// Records what a link selection announces.
struct TLinksEvents
{
    explicit TLinksEvents(TNEVirtualRowsetLinks& Watched) : Selection(Watched)
    {
        Selection.ObservationPoint().AddObserver({this, &TLinksEvents::Observe});
    }
    ~TLinksEvents() { Selection.ObservationPoint().RemoveObserver({this, &TLinksEvents::Observe}); }
    TLinksEvents(const TLinksEvents&) = delete;
    TLinksEvents& operator=(const TLinksEvents&) = delete;

    void Observe(TNEVirtualRowsetLinks* Sender)
    {
        Events.push_back({int(Sender->LastEvent()), Sender->EventID(), Sender->EventRank()});
    }
    TNEVirtualRowsetLinks& Selection;
    std::vector<std::array<int, 3>> Events;
};

TEST(VirtualRowset, HoldsRowsOfItsRowsetOnly)
{
    TLinked data(loSorted, lkShared);
    TNEVirtualRowset items(data.Items);
    TNEVirtualRowset other(data.Items);
    TNEVirtualRowset groups(data.Groups);
    items.Add(data.Item(1));
    items.Add(data.Item(3));
    EXPECT_THROW(items.Add(data.Item(1)), ENEDuplicateItemErr);
    EXPECT_THROW(items.Add(data.Groups.FindRow(0)), ENEInvalidRowsetErr);
    EXPECT_THROW(items.Contains(data.Groups.FindRow(1)), ENEInvalidRowsetErr);
    EXPECT_THROW(items.Remove(nullptr), ENEInvalidRowsetErr);
    EXPECT_THROW(TNEVirtualRowset::CopyRows(items, groups), ENEInvalidRowsetErr);
    EXPECT_THROW(TNEVirtualRowset::SelectLinksOfTarget(items, 0), ENEInvalidRowsetErr);

    other.Add(data.Item(4));
    TNEVirtualRowset::CopyRows(items, other);
    EXPECT_EQ(other.RowCount(), 2);
    EXPECT_TRUE(other.Contains(data.Item(3)));
    EXPECT_FALSE(other.Contains(data.Item(4)));

    // A deleted row leaves every selection that holds it.
    data.Items.DeleteRow(3);
    EXPECT_EQ(items.RowCount(), 1);
    EXPECT_EQ(other.RowCount(), 1);
}

TEST(VirtualRowset, OutlivesItsRowsetAndLetsGoOfIt)
{
    auto store = std::make_unique<TNEStore>();
    TNERowset& rowset = *store->FindRowset(store->CreateRowset(u"Item", u"ITEM", TextStructure, rmActive));
    rowset.InsertRow({});
    auto early = std::make_unique<TNEVirtualRowset>(rowset);
    TNEVirtualRowset late(rowset);
    early->Add(rowset.FindRow(0));
    late.Add(rowset.FindRow(0));
    early.reset(); // selection before its rowset
    store.reset(); // rowset before its selection
    EXPECT_EQ(late.Rowset(), nullptr);
    EXPECT_EQ(late.RowCount(), 0);
}

TEST(VirtualRowsetLinks, LoadsRankedLinksFirstThenTheOthersByLinkID)
{
    TLinked data(loRanked, lkUnique);
    data.Link(0, 4);
    data.Link(0, 1, 2);
    data.Link(1, 2, 1);
    data.Link(0, 3, 1);
    data.Link(0, 0);
    TNEVirtualRowsetLinks selection(data.Links, 0);
    EXPECT_TRUE(selection.Ranked());
    EXPECT_EQ(RanksOf(selection), (std::map<std::int32_t, std::int32_t>{{3, 1}, {1, 2}, {4, 3}, {0, 4}}));
    EXPECT_THROW(selection.RankOf(data.Item(2)), ENEInvalidRowErr);
    EXPECT_THROW(selection.MoveTo(data.Groups.FindRow(0), 1), ENEInvalidRowErr);

    TLinked sorted(loSorted, lkUnique);
    sorted.Link(0, 1, 5);
    TNEVirtualRowsetLinks unranked(sorted.Links, 0);
    EXPECT_EQ(RanksOf(unranked), (std::map<std::int32_t, std::int32_t>{{1, 0}}));
    unranked.MoveTo(sorted.Item(1), 3);
    EXPECT_EQ(unranked.RankOf(sorted.Item(1)), 0);
}

TEST(VirtualRowsetLinks, MovesKeepRanksOneToNWithoutGaps)
{
    using TRanks = std::map<std::int32_t, std::int32_t>;
    enum TMove
    {
        To,
        Up,
        Down
    };
    const struct
    {
        TMove Move;
        std::int32_t Item;
        std::int32_t Position;
        TRanks Ranks;
    } cases[] = {
        {To, 3, 1, {{1, 2}, {2, 3}, {3, 1}}},   {To, 1, 3, {{1, 3}, {2, 1}, {3, 2}}},
        {To, 2, 0, {{1, 2}, {2, 1}, {3, 3}}},   {To, 3, -7, {{1, 2}, {2, 3}, {3, 1}}},
        {To, 1, 4, {{1, 3}, {2, 1}, {3, 2}}}, // a ranked row goes at most to the last rank
        {To, 2, 99, {{1, 1}, {2, 3}, {3, 2}}},  {Up, 1, 0, {{1, 1}, {2, 2}, {3, 3}}},
        {Up, 3, 0, {{1, 1}, {2, 3}, {3, 2}}},   {Down, 3, 0, {{1, 1}, {2, 2}, {3, 3}}},
        {Down, 1, 0, {{1, 2}, {2, 1}, {3, 3}}},
    };
    for (const auto& test : cases) {
        TLinked data(loRanked, lkUnique);
        data.Link(0, 1);
        data.Link(0, 2);
        data.Link(0, 3);
        TNEVirtualRowsetLinks selection(data.Links, 0);
        TNERow* row = data.Item(test.Item);
        if (test.Move == To)
            selection.MoveTo(row, test.Position);
        else if (test.Move == Up)
            selection.MoveUp(row);
        else
            selection.MoveDown(row);
        EXPECT_EQ(RanksOf(selection), test.Ranks) << int(test.Move) << " " << test.Item << " " << test.Position;
    }
}

TEST(VirtualRowsetLinks, AddingTakesTheLastRankAndRemovingClosesTheGap)
{
    TLinked data(loRanked, lkUnique);
    data.Link(0, 1);
    data.Link(0, 2);
    data.Link(0, 3);
    TNEVirtualRowsetLinks selection(data.Links, 0);
    TLinksEvents events(selection);
    selection.Remove(data.Item(2));
    EXPECT_EQ(RanksOf(selection), (std::map<std::int32_t, std::int32_t>{{1, 1}, {3, 2}}));
    selection.Add(data.Item(4));
    EXPECT_EQ(RanksOf(selection), (std::map<std::int32_t, std::int32_t>{{1, 1}, {3, 2}, {4, 3}}));
    data.Items.DeleteRow(0); // not selected: nothing happens
    const std::vector<std::array<int, 3>> expected = {{4, 3, 2}, {2, 2, 2}, {4, 4, 3}, {3, 4, 3}};
    EXPECT_EQ(events.Events, expected);
}

TEST(VirtualRowsetLinks, ApplyRewritesTheTargetsLinks)
{
    using TLinks = std::map<std::int32_t, std::int32_t>;
    TLinked ranked(loRanked, lkUnique);
    ranked.Link(0, 1);
    ranked.Link(0, 2);
    ranked.Link(1, 3);
    {
        TNEVirtualRowsetLinks selection(ranked.Links, 0);
        selection.Remove(ranked.Item(1));
        selection.Add(ranked.Item(4));
        selection.MoveTo(ranked.Item(4), 1);
        selection.Apply();
    }
    EXPECT_EQ(ranked.LinksOf(0), (TLinks{{2, 2}, {4, 1}}));
    EXPECT_EQ(ranked.LinksOf(1), (TLinks{{3, 0}}));
    EXPECT_EQ(ranked.Item(1)->EngagedCount(), 0);

    TLinked unranked(loSorted, lkShared);
    unranked.Link(1, 2);
    {
        TNEVirtualRowsetLinks selection(unranked.Links, 0);
        selection.Add(unranked.Item(2));
        selection.Add(unranked.Item(3));
        selection.Apply();
    }
    EXPECT_EQ(unranked.LinksOf(0), (TLinks{{2, 0}, {3, 0}}));
    EXPECT_EQ(unranked.LinksOf(1), (TLinks{{2, 0}}));
    {
        TNEVirtualRowsetLinks selection(unranked.Links, 0);
        selection.Clear();
        selection.Apply();
    }
    EXPECT_TRUE(unranked.LinksOf(0).empty());
    EXPECT_EQ(unranked.Links.RowCount(), 1);
}

TEST(VirtualRowsetLinks, ApplyRefusesTakingASourceRowOfAnotherTargetInUniqueLinks)
{
    TLinked data(loSorted, lkUnique);
    data.Link(1, 2);
    TNEVirtualRowsetLinks selection(data.Links, 0);
    selection.Add(data.Item(2));
    try {
        selection.Apply();
        ADD_FAILURE() << "a source row got a second target";
    } catch (const ENEEngagedRowErr& error) {
        EXPECT_EQ(error.Message(), "Previously engaged row rejected");
    }
    EXPECT_EQ(data.Links.RowCount(), 1);
    EXPECT_EQ(data.Item(2)->EngagedCount(), 1);
}

TEST(VirtualRowsetLinks, OutlivesItsLinkRowset)
{
    auto data = std::make_unique<TLinked>(loRanked, lkUnique);
    data->Link(0, 1);
    TNEVirtualRowsetLinks selection(data->Links, 0);
    data.reset();
    EXPECT_EQ(selection.LinkRowset(), nullptr);
    EXPECT_EQ(selection.Rowset(), nullptr);
    EXPECT_EQ(selection.RowCount(), 0);
    EXPECT_THROW(selection.Apply(), ENEInvalidRowsetErr);
}

TEST(Store, ReleaseReferencesOfASharedTargetKeepsItsSourceRows)
{
    TLinked data(loSorted, lkShared);
    data.Link(0, 1);
    data.Link(0, 2);
    data.Link(3, 2);
    TNERow& group = *data.Groups.FindRow(0);
    data.Store.ReleaseReferences(group);
    data.Groups.DeleteRow(0);
    EXPECT_EQ(data.Items.RowCount(), 5);
    EXPECT_EQ(data.Links.RowCount(), 1);
    EXPECT_EQ(data.Item(2)->EngagedCount(), 1);

    // A source row's own links go too, so it can be deleted.
    data.Store.ReleaseReferences(*data.Item(2));
    data.Items.DeleteRow(2);
    EXPECT_EQ(data.Links.RowCount(), 0);
}

TEST(Store, ReleaseReferencesOfAUniqueTargetDeletesTheRowsItOwns)
{
    TLinked data(loRanked, lkUnique);
    // Items own parts in turn: deleting a group takes its items and their parts.
    TNERowset& parts = *data.Store.FindRowset(data.Store.CreateRowset(u"Part", u"PART", TextStructure, rmActive));
    auto& itemParts = static_cast<TNERowset_Link&>(*data.Store.FindRowset(
        data.Store.CreateLinkRowset(u"Parts", u"ITEM", loSorted, lkUnique, rmActive, u"P", u"PART")));
    for (int id = 0; id < 3; ++id)
        parts.InsertRow({});
    data.Link(0, 1);
    data.Link(0, 2);
    data.Link(1, 3);
    itemParts.InsertRow(JoinItems({"2", "0"}));
    itemParts.InsertRow(JoinItems({"3", "1"}));

    data.Store.ReleaseReferences(*data.Groups.FindRow(0));
    data.Groups.DeleteRow(0);
    EXPECT_EQ(data.Items.FindRow(1), nullptr);
    EXPECT_EQ(data.Items.FindRow(2), nullptr);
    EXPECT_EQ(parts.FindRow(0), nullptr);
    EXPECT_NE(parts.FindRow(1), nullptr);
    EXPECT_EQ(data.Links.RowCount(), 1);
    EXPECT_EQ(itemParts.RowCount(), 1);
    EXPECT_EQ(data.Items.RowCount(), 3);
}

} // namespace
