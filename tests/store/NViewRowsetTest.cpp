#include "store/NViewRowset.h"

#include "StoreTestSupport.h"

#include <memory>

namespace {

const auto* const Locale = testing::AddGlobalTestEnvironment(new TEnglishLocale);

using E = TNERowsetEvent;
using TEvents = std::vector<TRowsetEvents::TEvent>;

// Owners and entries with a text and a nullable owner reference; views select entries.
struct TEntries
{
    TEntries()
        : Store(std::make_unique<TNEStore>()),
          Owners(*Store->FindRowset(Store->CreateRowset(u"Owner", u"OWNER", Structure({{"N", "N", "STR"}}), rmActive))),
          Entries(*Store->FindRowset(Store->CreateRowset(
              u"Entry", u"ENTRY", Structure({{"Kind", "KIND", "STR"}, {"Owner", "OWNER", "REF", "OWNER", "NULLABLE"}}),
              rmActive)))
    {
        Owners.InsertRow({});
        Owners.InsertRow({});
    }
    TNERowset_View& View(std::vector<TNEViewCondition> Conditions)
    {
        return static_cast<TNERowset_View&>(
            *Store->FindRowset(Store->CreateViewRowset(u"View", u"VIEW", Entries.ID(), std::move(Conditions))));
    }
    std::int32_t Entry(const QString& Kind, const QString& Owner = {})
    {
        return Entries.InsertRow(JoinItems({Kind, Owner}));
    }

    std::unique_ptr<TNEStore> Store;
    TNERowset& Owners;
    TNERowset& Entries;
};

TEST(ViewRowset, IsARegisteredReadOnlyRowsetWithTheSourcesColumns)
{
    TEntries data;
    data.Entry("mail");
    TNERowset_View& view = data.View({{0, {"mail", -1}}});
    EXPECT_EQ(data.Store->RowsetCount(), 3);
    EXPECT_EQ(view.ID(), 2);
    EXPECT_EQ(view.Kind(), rkView);
    EXPECT_EQ(view.Name(), "VIEW");
    EXPECT_EQ(view.GetStructure(), data.Entries.GetStructure());
    EXPECT_EQ(view.RowCount(), 1);
    EXPECT_EQ(view.FindRow(0), data.Entries.FindRow(0));
    EXPECT_THROW(view.InsertRow({}), ENEIllegalWriteErr);

    EXPECT_THROW(data.View({{2, {}}}), ENERowsetStructureErr);
    EXPECT_THROW(data.Store->CreateViewRowset(u"V", u"V", 99, {}), ENERowsetStructureErr);
    EXPECT_EQ(data.Store->RowsetCount(), 3);
}

TEST(ViewRowset, FollowsInsertsEditsAndDeletesOfItsSource)
{
    TEntries data;
    TNERowset_View& view = data.View({{0, {"mail", -1}}, {1, {{}, 1}}});
    TRowsetEvents events(view);
    const std::uint64_t changes = data.Store->ChangeCount();

    const std::int32_t match = data.Entry("mail", "1");
    data.Entry("mail", "0");
    data.Entry("web", "1");
    TNERow& row = *data.Entries.FindRow(match);
    row.SetString(0, u"web");
    row.Post(); // stops matching
    row.SetString(0, u"mail");
    row.Post(); // matches again
    row.SetReference(1, data.Owners.FindRow(1));
    TNERow& other = *data.Entries.FindRow(1);
    other.SetReference(1, data.Owners.FindRow(1));
    other.Post();                  // starts matching
    other.SetString(0, u" mail "); // the same text once trimmed: no change
    other.Post();
    data.Entries.DeleteRow(match);

    EXPECT_EQ(
        events.Events,
        (TEvents{
            {E::RowInserted, 0}, {E::RowDeleting, 0}, {E::RowInserted, 0}, {E::RowInserted, 1}, {E::RowDeleting, 0}}));
    EXPECT_EQ(view.RowCount(), 1);
    EXPECT_EQ(view.FindRow(1), &other);
    // The view's announcements repeat its source's: the store counts each change once.
    EXPECT_EQ(data.Store->ChangeCount() - changes, 7u);
}

TEST(ViewRowset, ConditionsMatchExactly)
{
    const struct
    {
        QString Kind;
        QString Owner;
        TNEViewCondition Condition;
        bool Matches;
    } cases[] = {
        {QString::fromUtf8("caf\u00e9"), "", {0, {QString::fromUtf8("caf\u00e9"), -1}}, true},
        {QString::fromUtf8("cafe\u0301"), "", {0, {QString::fromUtf8("caf\u00e9"), -1}}, false},
        {"Mail", "", {0, {"mail", -1}}, false},
        {"x", "", {1, {{}, -1}}, true},
        {"x", "0", {1, {{}, -1}}, false},
        {"x", "0", {1, {{}, 0}}, true},
        {"x", "1", {1, {{}, 0}}, false},
    };
    for (const auto& test : cases) {
        TEntries data;
        const std::int32_t id = data.Entry(test.Kind, test.Owner);
        TNERowset_View& view = data.View({test.Condition});
        EXPECT_EQ(view.Matches(*data.Entries.FindRow(id)), test.Matches) << test.Kind.toStdString();
        EXPECT_EQ(view.RowCount(), test.Matches ? 1 : 0);
    }
}

TEST(ViewRowset, SurvivesItsSourceGoingFirstOrLast)
{
    // The store destroys newer rowsets first: the view goes before its source.
    {
        TEntries data;
        data.Entry("mail");
        TNERowset_View& view = data.View({{0, {"mail", -1}}});
        TNEVirtualRowset selection(view);
        selection.Add(data.Entries.FindRow(0));
        data.Store.reset();
        EXPECT_EQ(selection.Rowset(), nullptr);
    }
    // A source removed before its view leaves the view empty and detached.
    {
        TEntries data;
        data.Entry("mail");
        TNERowset_View& view = data.View({{0, {"mail", -1}}});
        TRowsetEvents events(view);
        data.Store->Rowsets().Remove(&data.Entries);
        EXPECT_EQ(view.SourceRowset(), nullptr);
        EXPECT_EQ(view.RowCount(), 0);
        EXPECT_TRUE(events.Events.empty());
        data.Store->ClearStore();
        EXPECT_EQ(events.Events, (TEvents{{E::Destroying, -1}}));
    }
}

} // namespace
