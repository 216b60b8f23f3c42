#include "store/NStoreMerger.h"

#include "store/NRowset.h"
#include "store/NStoreStreamer.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/TestData.h"

#include <QBuffer>

#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

TNERowset& Rowset(TNEStore& Store, QStringView Name)
{
    return *Store.FindRowset(Store.FindRowsetID(Name));
}

TNERowset& AddRowset(TNEStore& Store, QStringView Name, const QString& Structure, TNERowsetMode Mode = rmActive)
{
    return *Store.FindRowset(Store.CreateRowset(Name, Name, Structure, Mode));
}

// ID and value list of every row, in ascending ID.
QStringList Rows(TNERowset& Rowset)
{
    QStringList rows;
    TNERowIterator iterator(Rowset);
    for (iterator.First(); !iterator.IsDone(); iterator.Next())
        rows.append(QString::number(iterator.Current()->ID()) + u' ' + iterator.Current()->GetValues());
    return rows;
}

// Each rowset's name, then its rows as Rows gives them.
QStringList StoreRows(TNEStore& Store)
{
    QStringList rows;
    TNERowsetIterator rowsets(Store);
    for (rowsets.First(); !rowsets.IsDone(); rowsets.Next())
        rows << rowsets.Current()->Name() << Rows(*rowsets.Current());
    return rows;
}

} // namespace

TEST(NStoreMerger, KeepsRowIDsAndTextsInAnEmptyTarget)
{
    TNEStore source;
    TNERowset& logins = AddRowset(source, u"LOGIN", LoginStructure());
    for (const std::int32_t id : {0, 1, 5})
        logins.InsertRow(JoinItems({"site" + QString::number(id), "name", "secret", ""}), id);
    TNEStore target;
    TNERowset& merged = AddRowset(target, u"LOGIN", LoginStructure());

    TNEStoreMerger().Merge(source, target);
    EXPECT_EQ(Rows(merged), Rows(logins));
    EXPECT_EQ(merged.InsertRow({}), 6);
}

TEST(NStoreMerger, MatchesColumnsByNameAndKindAndIgnoresTheRest)
{
    TNEStore source;
    AddRowset(source, u"OTHER", TextStructure).InsertRow(u"other;");
    AddRowset(source, u"GROUP", TextStructure).InsertRow(u"group;");
    TNERowset& from = AddRowset(source, u"ENTRY",
                                Structure({{"Name", "NAME", "STR"},
                                           {"Extra", "EXTRA", "STR"},
                                           {"Group", "GROUP_ID", "STR"},
                                           {"Kind", "KIND", "REF", "OTHER"}}));
    from.InsertRow(u"first;extra;0;0;", 2);

    TNEStore target;
    AddRowset(target, u"GROUP", TextStructure);
    AddRowset(target, u"KIND", TextStructure);
    TNERowset& into = AddRowset(target, u"ENTRY",
                                Structure({{"Group", "GROUP_ID", "REF", "GROUP"},
                                           {"Kind", "kind", "REF", "KIND"},
                                           {"Name", "name", "STR"},
                                           {"Missing", "MISSING", "STR"},
                                           {"Fallback", "FALLBACK", "STR"}}));
    into.SetDefaults(JoinItems({"", "", "", "", "default"}));

    TNEStoreMerger().Merge(source, target);
    // GROUP_ID changed kind, KIND points at a rowset the target lacks, EXTRA has no target column.
    EXPECT_EQ(Rows(into), QStringList({"2 ;;first;;default;"}));
    EXPECT_EQ(Rows(Rowset(target, u"GROUP")), QStringList({"0 group;"}));
    EXPECT_EQ(Rowset(target, u"KIND").RowCount(), 0);
}

TEST(NStoreMerger, TranslatesReferencesToRowsThatTookAnotherID)
{
    TNEStore source;
    TNERowset& groups = AddRowset(source, u"GROUP", TextStructure);
    groups.InsertRow(u"zero;", 0);
    groups.InsertRow(u"one;", 1);
    TNERowset& items = AddRowset(source, u"ITEM", Structure({{"Group", "GROUP_ID", "REF", "GROUP"}}));
    items.InsertRow(u"0;", 0);
    items.InsertRow(u"1;", 1);
    items.InsertRow(u";", 2);

    TNEStore target;
    TNERowset& targetGroups = AddRowset(target, u"GROUP", TextStructure);
    targetGroups.InsertRow(u"taken;", 1);
    TNERowset& targetItems = AddRowset(target, u"ITEM", Structure({{"Group", "GROUP_ID", "REF", "GROUP"}}));
    targetItems.InsertRow({}, 0);

    TNEStoreMerger().Merge(source, target);
    // Source item 0 finds ID 0 taken and takes 1, which item 1 then finds taken, and so on.
    EXPECT_EQ(Rows(targetGroups), QStringList({"0 zero;", "1 taken;", "2 one;"}));
    EXPECT_EQ(Rows(targetItems), QStringList({"0 ;", "1 0;", "2 2;", "3 ;"}));
}

TEST(NStoreMerger, LeavesStaticAndUnmatchedRowsetsAlone)
{
    TNEStore source;
    AddRowset(source, u"FROZEN", TextStructure).InsertRow(u"x;");
    AddRowset(source, u"STRAY", TextStructure).InsertRow(u"y;");
    TNEStore target;
    TNERowset& frozen = AddRowset(target, u"FROZEN", TextStructure, rmStatic);
    TNERowset& lonely = AddRowset(target, u"LONELY", TextStructure);

    TNEStoreMerger().Merge(source, target);
    EXPECT_EQ(frozen.RowCount(), 0);
    EXPECT_EQ(lonely.RowCount(), 0);
    EXPECT_EQ(target.RowsetCount(), 2);
}

TEST(NStoreMerger, CopiesLinksWithTheirRanksAndDropsLinksWithoutEnds)
{
    TLinked source(loRanked, lkUnique);
    source.Link(0, 0, 5);
    source.Link(0, 1, 2);
    source.Link(3, 4, 9);
    TLinked target(loRanked, lkUnique);
    target.Items.DeleteRow(4);

    TNEStoreMerger().Merge(source.Store, target.Store);
    // The target's groups and items 0-3 take new IDs 5-9 and 5-8; item 4 was free.
    EXPECT_EQ(target.LinksOf(5), (std::map<std::int32_t, std::int32_t>{{5, 5}, {6, 2}}));
    EXPECT_EQ(target.LinksOf(8), (std::map<std::int32_t, std::int32_t>{{4, 9}}));
}

TEST(NStoreMerger, DropsLinksWithoutEndsAndLeavesNoHalfLinkBehind)
{
    TLinked source(loSorted, lkShared);
    source.Link(0, 0);
    source.Link(1, 2);
    // Ends translate only to rows of the target: an empty static rowset gives none.
    struct TTarget
    {
        explicit TTarget(TNERowsetMode ItemMode)
            : Groups(AddRowset(Store, u"GROUP", TextStructure, rmStatic)),
              Items(AddRowset(Store, u"ITEM", TextStructure, ItemMode)),
              Links(*Store.FindRowset(
                  Store.CreateLinkRowset(u"Links", u"group", loSorted, lkShared, rmActive, u" l ", u"item")))
        {}
        TNEStore Store;
        TNERowset& Groups;
        TNERowset& Items;
        TNERowset& Links;
    };

    TTarget noEnds(rmStatic);
    TNEStoreMerger().Merge(source.Store, noEnds.Store);
    EXPECT_EQ(noEnds.Links.RowCount(), 0);

    TTarget oneEnd(rmActive);
    EXPECT_THROW(TNEStoreMerger().Merge(source.Store, oneEnd.Store), ENEInvalidRowErr);
    EXPECT_EQ(oneEnd.Links.RowCount(), 0);
    EXPECT_EQ(oneEnd.Items.RowCount(), 5) << "rows merged before the error stay";
}

TEST(NStoreMerger, MergesAVaultDocumentIntoTheLoginSchema)
{
    QByteArray plain = ReadTestData("vectors/vault-b.plain");
    QBuffer buffer(&plain);
    buffer.open(QIODevice::ReadOnly);
    TNEStore read;
    TNEStoreStreamer().ReadStore(read, buffer);
    TNEStore document;
    TNERowset& logins = AddRowset(document, u"LOGIN", LoginStructure());

    TNEStoreMerger().Merge(read, document);
    EXPECT_EQ(Rows(logins), Rows(Rowset(read, u"LOGIN")));
    EXPECT_EQ(logins.FindRow(4)->GetString(0), u"caf\u00e9");
    EXPECT_EQ(logins.FindRow(3)->GetString(3), "line one\r\nline two");
}

// Moving texts out of a source that goes away leaves the target as copying does: rows, IDs, announcements, change
// count; the source keeps only rows a reference holds.
TEST(NStoreMerger, MovingGivesTheTargetWhatCopyingGives)
{
    using TBuild = std::function<void(TNEStore&)>;
    const TBuild logins = [](TNEStore& Store) {
        TNERowset& rowset = AddRowset(Store, u"LOGIN", LoginStructure());
        rowset.InsertRow(JoinItems({"site0", "name", "secret", ""}), 0);
        rowset.InsertRow(JoinItems({"site1", "", "pw", "line one\r\nline two"}), 1);
        rowset.InsertRow(JoinItems({"site5", "other", "", ""}), 5);
    };
    const TBuild loginsWithDefaults = [](TNEStore& Store) {
        AddRowset(Store, u"LOGIN", LoginStructure()).SetDefaults(JoinItems({"", "default", "", "note"}));
    };
    const TBuild narrowSites = [](TNEStore& Store) {
        AddRowset(Store, u"LOGIN",
                  Structure({{"Site", "SITE_NAME", "STR", "3"},
                             {"Login", "LOGIN_NAME", "STR", "64"},
                             {"Password", "PASSWORD", "STR", "64"},
                             {"Note", "NOTE", "STR", "2048", "1"}}));
    };
    const TBuild reordered = [](TNEStore& Store) {
        TNERowset& rowset = AddRowset(
            Store, u"LOGIN", Structure({{"Note", "NOTE", "STR", "2048"}, {"Site", "site_name", "STR", "260"}}));
        rowset.InsertRow(JoinItems({"note", "site"}), 3);
    };
    const TBuild staticLogins = [&](TNEStore& Store) {
        TNEStore active;
        logins(active);
        ReadWithMode(active, Store, QStringLiteral("STATIC;"));
    };
    const TBuild linked = [](TNEStore& Store) {
        TNERowset& groups = AddRowset(Store, u"GROUP", TextStructure);
        TNERowset& items = AddRowset(Store, u"ITEM", TextStructure);
        for (int id = 0; id < 3; ++id) {
            groups.InsertRow(JoinItems({"group" + QString::number(id)}));
            items.InsertRow(JoinItems({"item" + QString::number(id)}));
        }
        TNERowset& rowset = *Store.FindRowset(
            Store.CreateLinkRowset(u"Links", u"group", loSorted, lkShared, rmActive, u" l ", u"item"));
        rowset.InsertRow(JoinItems({"0", "2"}));
        rowset.InsertRow(JoinItems({"1", "1"}));
    };
    const TBuild linkedTarget = [](TNEStore& Store) {
        AddRowset(Store, u"GROUP", TextStructure).InsertRow(u"taken;", 1);
        AddRowset(Store, u"ITEM", TextStructure);
        Store.CreateLinkRowset(u"Links", u"group", loSorted, lkShared, rmActive, u" l ", u"item");
    };
    const struct
    {
        const char* Name;
        TBuild Source;
        TBuild Target;
        int RowsLeftInSource;
    } cases[] = {
        {"alike columns", logins, [](TNEStore& Store) { AddRowset(Store, u"LOGIN", LoginStructure()); }, 0},
        {"target defaults", logins, loginsWithDefaults, 0},
        {"narrower target column", logins, narrowSites, 3},
        {"reordered foreign columns", reordered, [](TNEStore& Store) { AddRowset(Store, u"LOGIN", LoginStructure()); },
         1},
        {"static source", staticLogins, [](TNEStore& Store) { AddRowset(Store, u"LOGIN", LoginStructure()); }, 3},
        {"rows held by links stay", linked, linkedTarget, 2 + 2 + 2},
    };
    for (const auto& testCase : cases) {
        TNEStore copiedSource, movedSource, copied, moved;
        for (TNEStore* store : {&copiedSource, &movedSource})
            testCase.Source(*store);
        for (TNEStore* store : {&copied, &moved})
            testCase.Target(*store);
        std::vector<std::unique_ptr<TRowsetEvents>> copiedEvents, movedEvents;
        for (auto [store, events] : {std::pair{&copied, &copiedEvents}, std::pair{&moved, &movedEvents}}) {
            TNERowsetIterator rowsets(*store);
            for (rowsets.First(); !rowsets.IsDone(); rowsets.Next())
                events->push_back(std::make_unique<TRowsetEvents>(*rowsets.Current()));
        }

        TNEStoreMerger().Merge(copiedSource, copied);
        TNEStoreMerger().MergeMoving(movedSource, moved);
        EXPECT_EQ(StoreRows(moved), StoreRows(copied)) << testCase.Name;
        EXPECT_EQ(moved.ChangeCount(), copied.ChangeCount()) << testCase.Name;
        for (std::size_t index = 0; index < copiedEvents.size(); ++index)
            EXPECT_EQ(movedEvents[index]->Events, copiedEvents[index]->Events) << testCase.Name;
        const int rowsLeft = int(StoreRows(movedSource).size()) - movedSource.RowsetCount();
        EXPECT_EQ(rowsLeft, testCase.RowsLeftInSource) << testCase.Name;
    }
}
