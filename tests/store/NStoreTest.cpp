#include "store/NStore.h"

#include "StoreTestSupport.h"

#include <optional>

namespace {

const auto* const Locale = testing::AddGlobalTestEnvironment(new TEnglishLocale);

TEST(Store, RowsetIDsCountAcrossStoresAndRestartWhenTheOnlyStoreIsCleared)
{
    TNEStore store;
    EXPECT_EQ(TNEStore::LiveStoreCount(), 1);
    EXPECT_EQ(store.CreateRowset(u"A", u"A", TextStructure, rmActive), 0);
    EXPECT_EQ(store.CreateRowset(u"B", u"B", TextStructure, rmActive), 1);
    {
        TNEStore other;
        EXPECT_EQ(other.CreateRowset(u"C", u"C", TextStructure, rmActive), 2);
        other.ClearStore(); // two stores alive: the counter goes on
        EXPECT_EQ(TNEStore::NextRowsetID(), 3);
    }
    store.ClearStore();
    EXPECT_EQ(store.RowsetCount(), 0);
    EXPECT_EQ(store.CreateRowset(u"A", u"A", TextStructure, rmActive), 0);
}

TEST(Store, CreateRowsetNormalisesCaptionAndNameAndRefusesBadOnes)
{
    TNEStore store;
    TNERowset& rowset =
        *store.FindRowset(store.CreateRowset(u"  sITE LiST  ", u" logins ", LoginStructure(), rmActive));
    EXPECT_EQ(rowset.Caption(), "Site list");
    EXPECT_EQ(rowset.Name(), "LOGINS");
    EXPECT_EQ(rowset.Kind(), rkMaster);
    EXPECT_EQ(rowset.EffectiveOrder(), loSorted);
    EXPECT_EQ(store.FindRowsetID(u"  logins "), rowset.ID());
    EXPECT_EQ(store.FindRowsetID(u"missing"), -1);

    const std::int32_t second = store.CreateRowset(u"Again", u"LOGINS", TextStructure, rmActive);
    EXPECT_NE(second, rowset.ID());
    EXPECT_EQ(store.FindRowsetID(u"LOGINS"), rowset.ID()); // the older one

    EXPECT_THROW(store.CreateRowset(u"X", u"  ", TextStructure, rmActive), ENERowsetStructureErr);
    EXPECT_THROW(store.CreateRowset(u"X", u"X", TextStructure, TNERowsetMode(0)), ENERowsetStructureErr);
    EXPECT_EQ(store.RowsetCount(), 2);
    EXPECT_EQ(TNEStore::NextRowsetID(), second + 1);
}

TEST(Store, CreateLinkRowsetNamesItsColumnsAfterTargetAndSource)
{
    TLinked data(loRanked, lkUnique);
    TNERowset_Link& links = data.Links;
    EXPECT_EQ(links.Name(), "GROUPITEM_L");
    EXPECT_EQ(links.Kind(), rkLink);
    EXPECT_EQ(links.GetStructure(), Structure({{"Group id", "TARGET_GROUP_ID", "REF", "GROUP"},
                                               {"Item id", "SOURCE_ITEM_ID", "REF", "ITEM"}}));
    EXPECT_EQ(links.TargetRowset(), &data.Groups);
    EXPECT_EQ(links.SourceRowset(), &data.Items);

    EXPECT_THROW(data.Store.CreateLinkRowset(u"L", u"MISSING", loSorted, lkShared, rmActive, u"s", u"ITEM"),
                 ENERowsetStructureErr);
    EXPECT_THROW(data.Store.CreateLinkRowset(u"L", u"GROUP", loSorted, lkShared, rmActive, u"s", u"MISSING"),
                 ENERowsetStructureErr);
    EXPECT_EQ(data.Store.RowsetCount(), 3);
}

TEST(Store, OnlyUniqueLinkRowsetsAskingForRanksAreRanked)
{
    const struct
    {
        TNELinkOrder Order;
        TNELinkKind Kind;
        TNELinkOrder Effective;
    } cases[] = {
        {loRanked, lkUnique, loRanked},
        {loRanked, lkShared, loSorted},
        {loSorted, lkUnique, loSorted},
        {loSorted, lkShared, loSorted},
    };
    for (const auto& test : cases) {
        TLinked data(test.Order, test.Kind);
        EXPECT_EQ(data.Links.EffectiveOrder(), test.Effective);
        TNERow& link = data.Link(0, 0);
        link.SetRank(3);
        EXPECT_EQ(link.Rank(), test.Effective == loRanked ? 3 : 0);
        EXPECT_EQ(data.Items.FindRow(0)->Rank(), 0);
    }
}

TEST(Store, UniqueLinksRefuseASecondLinkOfOneSource)
{
    TLinked data(loSorted, lkUnique);
    data.Link(0, 1);
    TRowsetEvents events(data.Links);
    try {
        data.Link(2, 1);
        ADD_FAILURE() << "a second link of one source was accepted";
    } catch (const ENEEngagedRowErr& error) {
        EXPECT_EQ(error.Message(), "Previously engaged row rejected");
    }
    EXPECT_EQ(data.Links.RowCount(), 1);
    EXPECT_EQ(data.Items.FindRow(1)->EngagedCount(), 1);
    EXPECT_EQ(data.Groups.FindRow(2)->EngagedCount(), 0);
    // Observers that heard of the refused row hear of its removal.
    ASSERT_EQ(events.Events.size(), 1u);
    EXPECT_EQ(events.Events[0].Event, TNERowsetEvent::RowDeleting);

    TLinked shared(loSorted, lkShared);
    shared.Link(0, 1);
    shared.Link(2, 1);
    EXPECT_EQ(shared.Items.FindRow(1)->EngagedCount(), 2);
}

TEST(Store, AChangedLinkNeedsBothReferences)
{
    TLinked data(loSorted, lkShared);
    TNERow& link = *data.Links.FindRow(data.Links.InsertRow(JoinItems({"0", "9"}))); // source missing: null
    EXPECT_EQ(link.GetReferenceID(1), -1);
    link.SetReference(0, data.Groups.FindRow(1));
    try {
        link.Post();
        ADD_FAILURE() << "a link without a source was posted";
    } catch (const ENEInvalidRowErr& error) {
        EXPECT_EQ(error.Message(), "Invalid row error");
    }
    EXPECT_EQ(link.GetReferenceID(0), 0);
    EXPECT_EQ(data.Groups.FindRow(0)->EngagedCount(), 1);
    EXPECT_EQ(data.Groups.FindRow(1)->EngagedCount(), 0);

    link.SetReference(1, data.Items.FindRow(2));
    link.Post();
    EXPECT_EQ(data.Groups.FindRow(1)->EngagedCount(), 1);
    EXPECT_EQ(data.Groups.FindRow(0)->EngagedCount(), 0);
}

TEST(Store, ClearStoreDestroysLinksBeforeTheRowsTheyReference)
{
    TLinked data(loRanked, lkUnique);
    data.Link(0, 0);
    data.Link(0, 1);
    data.Link(1, 2);
    TNERowset& extra = *data.Store.FindRowset(data.Store.CreateRowset(
        u"Extra", u"EXTRA", Structure({{"Item", "ITEM", "REF", "ITEM"}, {"Group", "GROUP", "REF", "GROUP"}}),
        rmActive));
    extra.InsertRow(JoinItems({"0", "1"}));
    TRowsetEvents groups(data.Groups);
    EXPECT_THROW(data.Groups.DeleteRow(0), ENEIllegalDeleteErr);
    data.Store.ClearStore();
    EXPECT_EQ(data.Store.RowsetCount(), 0);
    EXPECT_EQ(groups.Events, (std::vector<TRowsetEvents::TEvent>{{TNERowsetEvent::Destroying, -1}}));
}

TEST(Store, ChangeCountMovesWithEveryAnnouncedChangeOnly)
{
    TLinked data(loRanked, lkUnique);
    TNERowset& groups = data.Groups;
    std::uint64_t last = data.Store.ChangeCount();
    const auto moved = [&] {
        const bool result = data.Store.ChangeCount() > last;
        last = data.Store.ChangeCount();
        return result;
    };
    TNERow& row = *groups.FindRow(0);
    const TNETimeStamp before = data.Store.Modified();

    groups.InsertRow({});
    EXPECT_TRUE(moved()) << "insert";
    row.SetString(0, u"edited");
    EXPECT_FALSE(moved()) << "an edit not posted (a cancelled editor)";
    row.Post();
    EXPECT_TRUE(moved()) << "changing post";
    row.Post();
    EXPECT_FALSE(moved()) << "post without change";
    row.SetString(0, u"  edited ");
    row.Post();
    EXPECT_FALSE(moved()) << "post of the same text";
    TNERow& link = data.Link(0, 0);
    EXPECT_TRUE(moved()) << "link insert";
    link.SetRank(2);
    EXPECT_TRUE(moved()) << "rank change";
    link.SetRank(2);
    EXPECT_FALSE(moved()) << "same rank";
    EXPECT_THROW(data.Link(1, 0), ENEEngagedRowErr);
    EXPECT_FALSE(moved()) << "refused insert";
    EXPECT_THROW(groups.DeleteRow(0), ENEIllegalDeleteErr);
    EXPECT_FALSE(moved()) << "refused delete";
    groups.DeleteRow(1);
    EXPECT_TRUE(moved()) << "delete";
    EXPECT_GE(CompareTimeStamps(data.Store.Modified(), before), 0);
    EXPECT_EQ(CompareTimeStamps(data.Store.Modified(), groups.Modified()), 0);
}

} // namespace
