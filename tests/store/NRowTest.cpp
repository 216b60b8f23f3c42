#include "store/NRow.h"

#include "StoreTestSupport.h"

namespace {

const auto* const Locale = testing::AddGlobalTestEnvironment(new TEnglishLocale);

// Owners with a text and persons referencing an owner: one REF column that must not be nulled, one that may.
struct TOwnership
{
    TOwnership()
        : Owners(*Store.FindRowset(Store.CreateRowset(
              u"Owner", u"OWNER", Structure({{"Name", "NAME", "STR"}, {"Town", "TOWN", "STR"}}), rmActive))),
          Persons(*Store.FindRowset(Store.CreateRowset(u"Person", u"PERSON",
                                                       Structure({{"Name", "NAME", "STR"},
                                                                  {"Owner", "OWNER", "REF", "OWNER"},
                                                                  {"Deputy", "DEPUTY", "REF", "OWNER", "NULLABLE"}}),
                                                       rmActive)))
    {}
    TNERow& Owner(std::int32_t ID) { return *Owners.FindRow(ID); }
    TNERow& Person(std::int32_t ID) { return *Persons.FindRow(ID); }

    TNEStore Store;
    TNERowset& Owners;
    TNERowset& Persons;
};

TEST(Row, ReferencesToMissingRowsAreInsertedAsNull)
{
    TOwnership data;
    data.Owners.InsertRow(JoinItems({"Ann"}), 1);
    TNERow& person = data.Person(data.Persons.InsertRow(JoinItems({"Bob", "5", "1"})));
    EXPECT_EQ(person.GetReference(1), nullptr);
    EXPECT_EQ(person.GetReferenceID(1), -1);
    EXPECT_EQ(person.GetReference(2), &data.Owner(1));
    EXPECT_EQ(person.GetValues(), JoinItems({"Bob", "", "1"}));
}

TEST(Row, ReferenceWritesFollowKindNullabilityAndTargetRowset)
{
    TOwnership data;
    data.Owners.InsertRow({});
    TNERow& owner = data.Owner(0);
    TNERow& person = data.Person(data.Persons.InsertRow({}));
    TNERow& other = data.Person(data.Persons.InsertRow({}));

    person.SetReference(1, nullptr); // already null: allowed
    EXPECT_THROW(person.SetReference(1, &other), ENEInvalidValueErr);
    EXPECT_THROW(person.SetString(1, u"x"), ENETypeMismatchErr);
    EXPECT_THROW(person.SetReference(0, &owner), ENETypeMismatchErr);
    EXPECT_THROW(person.GetString(1), ENETypeMismatchErr);
    EXPECT_THROW(person.GetReference(0), ENETypeMismatchErr);
    EXPECT_THROW(person.GetStringByName(u"MISSING"), ENEInvalidIndexErr);

    person.SetReference(1, &owner);
    person.SetReference(2, &owner);
    person.Post();
    EXPECT_THROW(person.SetReference(1, nullptr), ENEInvalidValueErr);
    person.SetReference(2, nullptr);
    person.Post();
    EXPECT_EQ(person.GetReference(2), nullptr);
    EXPECT_EQ(person.GetReference(1), &owner);
}

TEST(Row, EngagedCountsFollowPostsDeletesAndRowsetDestruction)
{
    TOwnership data;
    data.Owners.InsertRow({});
    data.Owners.InsertRow({});
    TNERow& first = data.Owner(0);
    TNERow& second = data.Owner(1);
    TNERow& person = data.Person(data.Persons.InsertRow(JoinItems({"p", "0", "0"})));
    EXPECT_EQ(first.EngagedCount(), 2);

    person.SetReference(1, &second);
    EXPECT_EQ(second.EngagedCount(), 0); // an edit counts only once posted
    person.Post();
    EXPECT_EQ(first.EngagedCount(), 1);
    EXPECT_EQ(second.EngagedCount(), 1);
    EXPECT_THROW(data.Owners.DeleteRow(1), ENEIllegalDeleteErr);
    EXPECT_EQ(data.Owners.RowCount(), 2);

    data.Persons.InsertRow(JoinItems({"q", "1"}));
    EXPECT_EQ(second.EngagedCount(), 2);
    data.Persons.DeleteRow(person.ID());
    EXPECT_EQ(first.EngagedCount(), 0);
    EXPECT_EQ(second.EngagedCount(), 1);
    data.Owners.DeleteRow(0);

    data.Store.ClearStore(); // persons go first and release the remaining owner before it goes
    EXPECT_EQ(data.Store.RowsetCount(), 0);
}

TEST(Row, GetTextShowsColumnsReferencesAndTheWholeRow)
{
    TOwnership data;
    data.Owners.InsertRow(JoinItems({"Ann", "Oslo"}));
    TNERow& person = data.Person(data.Persons.InsertRow(JoinItems({"Bob", "0"})));
    TNERow& owner = data.Owner(0);
    owner.SetString(1, u"line one\r\nline two\nthree\rfour");
    owner.Post();
    const struct
    {
        int Column;
        QString Text;
    } cases[] = {
        {0, "Bob"}, {1, "(Ann, line one line two three four)"},           {2, "()"},
        {3, ""},    {-1, "Bob, (Ann, line one line two three four), ()"},
    };
    for (const auto& test : cases)
        EXPECT_EQ(person.GetText(test.Column), test.Text) << test.Column;

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(owner.GetText(-1), "Ann; line one line two three four");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

TEST(Row, CompareRowsOrdersByColumnsThenStampThenID)
{
    TOwnership data;
    data.Owners.InsertRow(JoinItems({"Ann"}));
    data.Owners.InsertRow(JoinItems({"Bea"}));
    auto person = [&](const QString& Name, const QString& Owner, std::int32_t ID) {
        return &data.Person(data.Persons.InsertRow(JoinItems({Name, Owner}), ID));
    };
    TNERow* apple = person("apple", "0", 1);
    TNERow* Apple = person("Apple", "0", 2);
    TNERow* banana = person("banana", "0", 3);
    TNERow* toAnn = person("same", "0", 4);
    TNERow* toBea = person("same", "1", 5);
    TNERow* twinA = person("twin", "0", 6);
    TNERow* twinB = person("twin", "0", 7);
    twinA->LoadModified({0, 5});
    twinB->LoadModified({0, 5});
    TNERow* older = person("stamp", "0", 8);
    TNERow* newer = person("stamp", "0", 9);
    older->LoadModified({500, 5});
    newer->LoadModified({0, 6});
    TNERow* owner = &data.Owner(0);

    const struct
    {
        const TNERow* Left;
        const TNERow* Right;
        int Result;
    } cases[] = {
        {nullptr, nullptr, 0}, {apple, nullptr, 1},
        {nullptr, apple, -1},  {apple, banana, -1}, // locale order, not code units ("B" < "a")
        {Apple, banana, -1},   {apple, Apple, -1},  // case-sensitive, lower case first
        {toAnn, toBea, -1},                         // references compare the referenced rows
        {twinB, twinA, 1},                          // same values and stamp: IDs
        {newer, older, 1},                          // same values: stamps, date first
        {owner, apple, -1},                         // "Ann" < "apple"
    };
    for (const auto& test : cases) {
        EXPECT_EQ(CompareRows(test.Left, test.Right), test.Result)
            << (test.Left ? test.Left->GetText(-1).toStdString() : "nil") << " vs "
            << (test.Right ? test.Right->GetText(-1).toStdString() : "nil");
    }
    EXPECT_EQ(CompareField(apple, banana, -1), 0);
    EXPECT_EQ(CompareField(apple, banana, 3), 0);
    EXPECT_EQ(CompareField(apple, owner, 1), CompareLocaleText(u"(Ann, )", u"")); // kinds differ: texts compared
}

TEST(Row, ARefusedPostRestoresValuesAndCounts)
{
    TOwnership data;
    data.Owners.InsertRow({});
    data.Owners.InsertRow({});
    TNERow& person = data.Person(data.Persons.InsertRow(JoinItems({"kept", "0"})));
    struct TRefuser
    {
        void Observe(TNERowset* Sender)
        {
            if (Sender->LastEvent() == TNERowsetEvent::RowChanged)
                throw ENEInvalidRowErr();
        }
    } refuser;
    data.Persons.ObservationPoint().AddObserver({&refuser, &TRefuser::Observe});
    const TNETimeStamp stamp = person.Modified();
    const std::uint64_t changes = data.Store.ChangeCount();

    person.SetString(0, u"lost");
    person.SetReference(1, &data.Owner(1));
    EXPECT_THROW(person.Post(), ENEInvalidRowErr);
    EXPECT_EQ(person.GetValues(), JoinItems({"kept", "0", ""}));
    EXPECT_EQ(data.Owner(0).EngagedCount(), 1);
    EXPECT_EQ(data.Owner(1).EngagedCount(), 0);
    EXPECT_EQ(person.Modified(), stamp);
    EXPECT_EQ(data.Store.ChangeCount(), changes);
}

} // namespace

TEST(Row, DestroyingARowLeavesCopiesOfItsTextsToTheirHolders)
{
    TOwnership data;
    const std::int32_t id = data.Owners.InsertRow(u"Ada;Bath;");
    TNERow& row = data.Owner(id);
    const QString name = row.GetString(0);     // shares the row's storage
    row.SetString(1, QStringLiteral("Wells")); // an edit never posted
    const QString town = row.GetString(1);
    data.Owners.DeleteRow(id);
    EXPECT_EQ(name, QStringLiteral("Ada"));
    EXPECT_EQ(town, QStringLiteral("Bath"));
}
