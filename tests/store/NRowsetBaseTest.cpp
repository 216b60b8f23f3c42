#include "store/NRowsetBase.h"

#include "StoreTestSupport.h"

#include <memory>
#include <optional>

namespace {

const auto* const Locale = testing::AddGlobalTestEnvironment(new TEnglishLocale);

// A store with one master rowset "ITEM" of the given structure.
struct TItems
{
    explicit TItems(const QString& ItemStructure = LoginStructure(), TNERowsetMode Mode = rmActive)
        : Rowset(*Store.FindRowset(Store.CreateRowset(u"Item", u"ITEM", ItemStructure, Mode)))
    {}
    TNEStore Store;
    TNERowset& Rowset;
};

std::optional<QString> StructureError(const QString& ItemStructure)
{
    TNEStore store;
    store.CreateRowset(u"Target", u"TARGET", Structure({{"Text", "TEXT", "STR"}}), rmActive);
    try {
        store.CreateRowset(u"Item", u"ITEM", ItemStructure, rmActive);
    } catch (const ENERowsetStructureErr& error) {
        EXPECT_EQ(store.RowsetCount(), 1);
        EXPECT_EQ(TNEStore::NextRowsetID(), 1);
        return error.Message();
    }
    return std::nullopt;
}

TEST(Rowset, DefineColumnsRefusesStructuresThatMakeNoColumns)
{
    const QString plain = QStringLiteral("Rowset structure error");
    const struct
    {
        QList<QStringList> Columns;
        std::optional<QString> Error;
    } cases[] = {
        {{{"Text", "TEXT", "STR", "10"}, {"Link", "LINK", "REF", "target", "nullable"}}, std::nullopt},
        {{{"Text", "", "STR"}}, plain},
        {{{"Text", " ", "STR"}}, plain},
        {{{"Number", "NUMBER", "int"}}, QStringLiteral("Rowset structure error (unknown field: INT)")},
        {{{"Link", "LINK", "REF", "MISSING"}}, plain},
        {{{"Link", "LINK", "REF"}}, plain},
        {{{"Text", "TEXT", "STR", "-1"}}, plain},
        {{{"Name", "Name", "STR"}, {"Other", "NAME", "STR"}},
         QStringLiteral("Rowset structure error (duplicate column names)")},
    };
    for (const auto& test : cases)
        EXPECT_EQ(StructureError(Structure(test.Columns)), test.Error) << Structure(test.Columns).toStdString();
}

TEST(Rowset, GetStructureWritesWhatDefineColumnsReadsBack)
{
    TNEStore store;
    store.CreateRowset(u"Target", u"TARGET", Structure({{"Text", "TEXT", "STR"}}), rmActive);
    const QString written = Structure({{"Site name", "SITE_NAME", "STR", "260"},
                                       {"Note", "NOTE", "STR", "", "1"},
                                       {"Plain", "PLAIN", "STR"},
                                       {"Owner", "OWNER", "REF", "TARGET", "NULLABLE"},
                                       {"Kept", "KEPT", "REF", "TARGET"}});
    TNERowset& rowset = *store.FindRowset(store.CreateRowset(u"Item", u"ITEM", written, rmActive));
    EXPECT_EQ(rowset.GetStructure(), written);
    TNERowset& copy = *store.FindRowset(store.CreateRowset(u"Copy", u"COPY", rowset.GetStructure(), rmActive));
    EXPECT_EQ(copy.GetStructure(), written);

    const TNEColumn& note = rowset.Columns(1);
    EXPECT_EQ(note.Caption(), "Note");
    EXPECT_EQ(note.Size(), 0);
    EXPECT_TRUE(note.Flag());
    EXPECT_EQ(rowset.Columns(3).Kind(), ckReference);
    EXPECT_EQ(rowset.Columns(3).Size(), 0);
    EXPECT_TRUE(rowset.Columns(3).Flag());
    EXPECT_FALSE(rowset.Columns(4).Flag());
    EXPECT_EQ(rowset.IndexOfColumn(u"site_name"), 0);
    EXPECT_EQ(rowset.IndexOfColumn(u"MISSING"), -1);
    EXPECT_THROW(rowset.Columns(5), ENEInvalidIndexErr);
}

TEST(Rowset, SetStringTrimsAndCutsToTheColumnSize)
{
    TItems items(Structure({{"Short", "SHORT", "STR", "4"}, {"Long", "LONG", "STR", "0"}}));
    const struct
    {
        int Column;
        QString Written;
        QString Kept;
    } cases[] = {
        {0, "  ab  ", "ab"},
        {0, "abcdef", "abcd"},
        {0, " abc de", "abc"}, // cut to "abc " then trimmed again
        {0, "\t\r\n", ""},
        {1, QString(70000, u'x'), QString(65535, u'x')},
        {1, "  two words  ", "two words"},
        {0, "abcd", "abcd"}, // a text that fits is kept as it is
    };
    for (const auto& test : cases) {
        // Written as a view, handed over whole, and read from a field list: each is fitted alike.
        TNERow& viewed = *items.Rowset.FindRow(items.Rowset.InsertRow({}));
        viewed.SetString(test.Column, QStringView(test.Written));
        viewed.Post();
        TNERow& moved = *items.Rowset.FindRow(items.Rowset.InsertRow({}));
        moved.SetString(test.Column, QString(test.Written));
        moved.Post();
        QStringList values{QString(), QString()};
        values[test.Column] = test.Written;
        TNERow& inserted = *items.Rowset.FindRow(items.Rowset.InsertRow(JoinItems(values)));
        for (const TNERow* row : {&viewed, &moved, &inserted})
            EXPECT_EQ(row->GetString(test.Column), test.Kept) << test.Written.left(20).toStdString();
    }
}

TEST(Rowset, EditsDifferingOnlyInCodeUnitsAreKept)
{
    // Composed and decomposed accents, and a control character inside, are equal to a collator but not to the user.
    const struct
    {
        QString Before;
        QString After;
    } cases[] = {
        {QString::fromUtf8("caf\u00e9"), QString::fromUtf8("cafe\u0301")},
        {"ab", "a\u0001b"},
        {"secret", "Secret"},
    };
    for (const auto& test : cases) {
        TItems items;
        TNERow& row = *items.Rowset.FindRow(items.Rowset.InsertRow(JoinItems({test.Before})));
        TRowsetEvents events(items.Rowset);
        row.SetString(0, test.After);
        row.Post();
        EXPECT_EQ(row.GetString(0), test.After);
        EXPECT_EQ(events.Events, (std::vector<TRowsetEvents::TEvent>{{TNERowsetEvent::RowChanged, row.ID()}}));
    }
}

TEST(Rowset, InsertRowKeepsGivenIDsAndCountsOnFromTheHighest)
{
    TItems items;
    TNERowset& rowset = items.Rowset;
    EXPECT_EQ(rowset.InsertRow({}, 7), 7);
    EXPECT_EQ(rowset.InsertRow({}), 8);
    EXPECT_EQ(rowset.InsertRow({}, 3), 3);
    EXPECT_EQ(rowset.InsertRow({}), 9);
    // An ID that could not be written and read back counts as none.
    EXPECT_EQ(rowset.InsertRow({}, 2147483647), 10);
    EXPECT_EQ(rowset.InsertRow({}, TNERowset::MaxRowID), TNERowset::MaxRowID);
    EXPECT_EQ(rowset.NextID(), 2147483647);
    EXPECT_THROW(rowset.InsertRow({}), ENEInvalidIndexErr);
    EXPECT_EQ(rowset.RowCount(), 6);
    EXPECT_EQ(rowset.NextID(), 2147483647);
}

TEST(Rowset, ARefusedDuplicateIDIsNeverAnnouncedAndChangesNothing)
{
    TItems items;
    TNERowset& rowset = items.Rowset;
    rowset.InsertRow(JoinItems({"kept"}), 4);
    TRowsetEvents events(rowset);
    const std::uint64_t changes = items.Store.ChangeCount();
    EXPECT_THROW(rowset.InsertRow(JoinItems({"intruder"}), 4), ENEDuplicateItemErr);
    EXPECT_TRUE(events.Events.empty());
    EXPECT_EQ(items.Store.ChangeCount(), changes);
    EXPECT_EQ(rowset.RowCount(), 1);
    EXPECT_EQ(rowset.FindRow(4)->GetString(0), "kept");
    EXPECT_EQ(rowset.NextID(), 5);
}

TEST(Rowset, DeleteRowRefusesMissingRowsAndStaticRowsets)
{
    TItems items;
    items.Rowset.InsertRow({});
    TRowsetEvents events(items.Rowset);
    EXPECT_THROW(items.Rowset.DeleteRow(5), ENEInvalidIndexErr);
    EXPECT_TRUE(events.Events.empty());
    EXPECT_EQ(items.Rowset.RowCount(), 1);

    TNEStore frozen;
    ReadWithMode(items.Store, frozen, u"STATIC;"_qs);
    TNERowset& rowset = *frozen.FindRowset(frozen.FindRowsetID(u"ITEM"));
    ASSERT_EQ(rowset.Mode(), rmStatic);
    EXPECT_THROW(rowset.DeleteRow(0), ENEIllegalWriteErr);
    EXPECT_THROW(rowset.InsertRow({}), ENEIllegalWriteErr);
    EXPECT_THROW(rowset.SetDefaults(JoinItems({"x"})), ENEIllegalWriteErr);
    EXPECT_EQ(rowset.RowCount(), 1);
}

// An observer refuses the row, or gives its ID to a row of its own so that the rowset cannot take it.
TEST(Rowset, ARowRefusedAfterItsAnnouncementIsFreedAndCountsNoChange)
{
    for (const bool takesTheID : {false, true}) {
        TNEStore store;
        TNERowset& targets = *store.FindRowset(store.CreateRowset(u"Target", u"TARGET", TextStructure, rmActive));
        targets.InsertRow({});
        TNERowset& items = *store.FindRowset(store.CreateRowset(
            u"Item", u"ITEM", Structure({{"T", "T", "STR"}, {"R", "R", "REF", "TARGET"}}), rmActive));
        struct TIntruder
        {
            void Observe(TNERowset* Sender)
            {
                if (Sender->LastEvent() != TNERowsetEvent::RowInserted || Sender->EventRow()->GetString(0) != u"new")
                    return;
                if (!TakesTheID)
                    throw ENEAbort();
                Sender->InsertRow({}, Sender->EventRow()->ID());
            }
            bool TakesTheID;
        } intruder{takesTheID};
        items.ObservationPoint().AddObserver({&intruder, &TIntruder::Observe});
        const std::uint64_t changes = store.ChangeCount();

        EXPECT_ANY_THROW(items.InsertRow(JoinItems({"new", "0"})));
        EXPECT_EQ(targets.FindRow(0)->EngagedCount(), 0) << "the refused row let go of its target";
        EXPECT_EQ(store.ChangeCount(), changes + (takesTheID ? 1 : 0)) << "only the intruder's row counts";
        EXPECT_EQ(items.RowCount(), takesTheID ? 1 : 0);
        items.ObservationPoint().RemoveObserver({&intruder, &TIntruder::Observe});
    }
}

TEST(Rowset, AnnouncesEveryChangeWithItsRowAndTheDestructionLast)
{
    auto store = std::make_unique<TNEStore>();
    TNERowset& rowset = *store->FindRowset(store->CreateRowset(u"Item", u"ITEM", LoginStructure(), rmActive));
    TRowsetEvents events(rowset);
    int rowsSeenAtDestruction = -1;
    struct TDestructionProbe
    {
        void Observe(TNERowset* Sender)
        {
            if (Sender->LastEvent() == TNERowsetEvent::Destroying)
                *Rows = Sender->RowCount();
        }
        int* Rows;
    } probe{&rowsSeenAtDestruction};
    rowset.ObservationPoint().AddObserver({&probe, &TDestructionProbe::Observe});

    const std::int32_t id = rowset.InsertRow(JoinItems({"site"}));
    TNERow& row = *rowset.FindRow(id);
    row.SetString(1, u"name");
    row.Post();
    row.Post(); // nothing new: no announcement
    row.SetString(1, u"name");
    row.Post();
    rowset.InsertRow({});
    rowset.DeleteRow(id);
    EXPECT_EQ(rowset.LastEvent(), TNERowsetEvent::None);
    EXPECT_EQ(rowset.EventRow(), nullptr);
    store.reset();

    using E = TNERowsetEvent;
    EXPECT_EQ(
        events.Events,
        (std::vector<TRowsetEvents::TEvent>{
            {E::RowInserted, 0}, {E::RowChanged, 0}, {E::RowInserted, 1}, {E::RowDeleting, 0}, {E::Destroying, -1}}));
    EXPECT_EQ(rowsSeenAtDestruction, 0);
}

TEST(Rowset, DefaultsFillEmptyItemsAndReadBackAsAFieldList)
{
    TNEStore store;
    TNERowset& target =
        *store.FindRowset(store.CreateRowset(u"Target", u"TARGET", Structure({{"T", "T", "STR"}}), rmActive));
    target.InsertRow({}, 2);
    TNERowset& rowset = *store.FindRowset(store.CreateRowset(
        u"Item", u"ITEM",
        Structure({{"A", "A", "STR", "3"}, {"B", "B", "REF", "TARGET", "NULLABLE"}, {"C", "C", "STR"}}), rmActive));
    const struct
    {
        QStringList Written;
        QStringList Read;
    } cases[] = {
        {{"", "", "c"}, {"", "", "c"}},
        {{" abcdef ", "2"}, {"abc", "2", "c"}}, // the columns after the last item keep their defaults
        {{"z"}, {"z", "2", "c"}},
        {{}, {"z", "2", "c"}},
        {{"", "9", ""}, {}}, // a missing row is no default; nothing left means no defaults at all
        {{"", "x"}, {}},
    };
    for (const auto& test : cases) {
        rowset.SetDefaults(JoinItems(test.Written));
        EXPECT_EQ(rowset.GetDefaults(), JoinItems(test.Read)) << test.Written.join('|').toStdString();
    }

    rowset.SetDefaults(JoinItems({"def", "2", "c"}));
    TNERow& row = *rowset.FindRow(rowset.InsertRow(JoinItems({"", "", "own"})));
    EXPECT_EQ(row.GetValues(), JoinItems({"def", "2", "own"}));
    EXPECT_EQ(target.FindRow(2)->EngagedCount(), 1);
}

TEST(Rowset, DeleteUnengagedRowsKeepsReferencedRows)
{
    TNEStore store;
    TNERowset& target =
        *store.FindRowset(store.CreateRowset(u"Target", u"TARGET", Structure({{"T", "T", "STR"}}), rmActive));
    TNERowset& rowset =
        *store.FindRowset(store.CreateRowset(u"Item", u"ITEM", Structure({{"B", "B", "REF", "TARGET"}}), rmActive));
    for (int id = 0; id < 4; ++id)
        target.InsertRow({});
    rowset.InsertRow(JoinItems({"1"}));
    rowset.InsertRow(JoinItems({"3"}));
    target.DeleteUnengagedRows();
    EXPECT_EQ(target.RowCount(), 2);
    EXPECT_NE(target.FindRow(1), nullptr);
    EXPECT_NE(target.FindRow(3), nullptr);
}

} // namespace
