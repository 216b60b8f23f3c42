#include "store/NStoreStreamer.h"

#include "foundation/NInteger.h"
#include "store/NRowset.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/TestData.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <chrono>
#include <gtest/gtest.h>
#include <random>

namespace {

QByteArray Written(TNEStore& Store)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    TNEStoreStreamer().WriteStore(Store, buffer);
    return bytes;
}

void Read(TNEStore& Store, QByteArray Bytes, TNEStoreStreamer& Streamer)
{
    QBuffer buffer(&Bytes);
    buffer.open(QIODevice::ReadOnly);
    Streamer.ReadStore(Store, buffer);
}

void Read(TNEStore& Store, QByteArray Bytes)
{
    TNEStoreStreamer streamer;
    Read(Store, std::move(Bytes), streamer);
}

TNERowset& Rowset(TNEStore& Store, QStringView Name)
{
    TNERowset* rowset = Store.FindRowset(Store.FindRowsetID(Name));
    if (!rowset)
        throw std::runtime_error("no rowset " + Name.toString().toStdString());
    return *rowset;
}

// ID, 17-digit time stamp and value list of every row, in ascending ID.
QStringList RowDump(TNERowset& Rowset)
{
    QStringList dump;
    TNERowIterator rows(Rowset);
    for (rows.First(); !rows.IsDone(); rows.Next()) {
        const TNERow& row = *rows.Current();
        dump.append(QString::number(row.ID()) + u' ' + FormatTimeStamp(row.Modified()) + u' ' + row.GetValues() + u' ' +
                    QString::number(row.Rank()));
    }
    return dump;
}

struct TVaultVector
{
    QByteArray Plain;
    QByteArray Document;
    QStringList Rows; // as RowDump gives them
    QJsonArray FileRows;
};

std::vector<TVaultVector> VaultVectors()
{
    const QJsonArray cases = QJsonDocument::fromJson(ReadTestData("vectors/manifest.json")).object()["cases"].toArray();
    std::vector<TVaultVector> vectors;
    for (const QJsonValue& entry : cases) {
        const QJsonObject vault = entry.toObject();
        TVaultVector vector;
        vector.Plain = ReadTestData("vectors/" + vault["plain_payload_file"].toString());
        vector.Document = vector.Plain.mid(vault["document_offset_in_plain"].toInt(), vault["document_length"].toInt());
        vector.FileRows = vault["file_rows"].toArray();
        for (const QJsonValue& fileRow : vector.FileRows) {
            QStringList values;
            for (const QJsonValue& value : fileRow["values"].toArray())
                values.append(value.toString());
            vector.Rows.append(QString::number(fileRow["id"].toInt()) + u' ' + fileRow["stamp"].toString() + u' ' +
                               JoinItems(values) + QStringLiteral(" 0"));
        }
        vectors.push_back(vector);
    }
    return vectors;
}

// The vault's schema holding the rows of a vector with their IDs and time stamps.
void FillLogins(TNEStore& Store, const QJsonArray& FileRows)
{
    TNERowset& logins = *Store.FindRowset(Store.CreateRowset(u"Login", u"LOGIN", LoginStructure(), rmActive));
    for (const QJsonValue& fileRow : FileRows) {
        QStringList values;
        for (const QJsonValue& value : fileRow["values"].toArray())
            values.append(value.toString());
        const std::int32_t id = logins.InsertRow(JoinItems(values), fileRow["id"].toInt());
        logins.FindRow(id)->LoadModified(ParseTimeStamp(fileRow["stamp"].toString()));
    }
}

// A document of the given store element around one login rowset of the given rows.
QByteArray LoginDocument(const QByteArray& StoreTag, const QByteArray& Rows)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n" + StoreTag +
           "\r\n  <rowset name=\"Login;LOGIN;\" type=\"MASTER;\" mode=\"ACTIVE;\" order=\"SORTED;\">\r\n"
           "    <column>Text;TEXT;STR;</column>\r\n" +
           Rows + "  </rowset>\r\n</store>\r\n";
}

// Groups, items with a reference to their group, and three link rowsets between them.
struct TLinkedStore
{
    TLinkedStore()
    {
        Store.CreateRowset(u"Group", u"GROUP", TextStructure, rmActive);
        Store.CreateRowset(u"Item", u"ITEM",
                           Structure({{"Text", "TEXT", "STR"}, {"Group", "GROUP_ID", "REF", "GROUP"}}), rmActive);
        Store.CreateLinkRowset(u"Shared", u"GROUP", loSorted, lkShared, rmActive, u"SHARED", u"ITEM");
        Store.CreateLinkRowset(u"Unique", u"GROUP", loRanked, lkUnique, rmActive, u"UNIQUE", u"ITEM");
        Store.CreateLinkRowset(u"Sorted", u"ITEM", loSorted, lkUnique, rmStatic, u"SORTED", u"GROUP");
        for (const char* text : {"one", "two", "three"})
            Rowset(Store, u"GROUP").InsertRow(JoinItems({text}));
        Rowset(Store, u"ITEM").SetDefaults(JoinItems({"unnamed", "2"}));
        for (const char* values : {"a;0;", "b;;", "c;2;"})
            Rowset(Store, u"ITEM").InsertRow(QString::fromLatin1(values), -1);
        Rowset(Store, u"GROUPITEM_SHARED").InsertRow(u"0;0;");
        Rowset(Store, u"GROUPITEM_SHARED").InsertRow(u"1;0;");
        TNERowset& unique = Rowset(Store, u"GROUPITEM_UNIQUE");
        static_cast<TNERow_Link*>(unique.FindRow(unique.InsertRow(u"2;1;")))->LoadRank(7);
        static_cast<TNERow_Link*>(unique.FindRow(unique.InsertRow(u"2;2;")))->LoadRank(-3);
    }

    TNEStore Store;
};

} // namespace

TEST(NStoreStreamer, WritesTheVaultVectorsByteForByteAndReadsThemBack)
{
    for (const TVaultVector& vector : VaultVectors()) {
        TNEStore written;
        FillLogins(written, vector.FileRows);
        // Appends at the device's position: the lead filler stays in front.
        QByteArray payload = vector.Plain.left(vector.Plain.indexOf('<'));
        QBuffer buffer(&payload);
        buffer.open(QIODevice::WriteOnly | QIODevice::Append);
        TNEStoreStreamer().WriteStore(written, buffer);
        EXPECT_EQ(payload, vector.Plain.left(vector.Plain.indexOf('<') + vector.Document.size()));

        TNEStore read;
        TNEStoreStreamer streamer;
        Read(read, vector.Plain, streamer);
        EXPECT_EQ(streamer.Version(), 2);
        ASSERT_EQ(read.RowsetCount(), 1);
        TNERowset& logins = Rowset(read, u"LOGIN");
        EXPECT_EQ(logins.Caption(), "Login");
        EXPECT_EQ(logins.GetStructure(), LoginStructure());
        EXPECT_EQ(RowDump(logins), vector.Rows);
        EXPECT_EQ(Written(read), vector.Document);
    }
}

TEST(NStoreStreamer, WritesAnEmptyStoreAsThreeLines)
{
    TNEStore store;
    EXPECT_EQ(Written(store), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<store version=\"2\">\r\n</store>\r\n");
}

TEST(NStoreStreamer, ReadsNothingWithoutAStoreOfVersionOneOrTwo)
{
    const struct
    {
        QByteArray Document;
        std::int32_t Version;
    } cases[] = {
        {"", 0},
        {"no markup at all", 0},
        {"<?xml version=\"1.0\"?>\r\n<stores version=\"2\"/>", 0},
        {LoginDocument("<store version=\"3\">", "    <row id=\"0;\">x;</row>\r\n"), 3},
        {LoginDocument("<store version=\"0\">", "    <row id=\"0;\">x;</row>\r\n"), 0},
        {LoginDocument("<store version=\"two\">", ""), 2147483647},
        {LoginDocument("<store>", ""), 2147483647},
        {LoginDocument("<Store version=\"2\">", ""), 0},
    };
    for (const auto& entry : cases) {
        TNEStore store;
        TNEStoreStreamer streamer;
        Read(store, entry.Document, streamer);
        EXPECT_EQ(store.RowsetCount(), 0) << entry.Document.constData();
        EXPECT_EQ(streamer.Version(), entry.Version) << entry.Document.constData();
    }
}

TEST(NStoreStreamer, WidensTheTwoDigitEscapesOfVersionOne)
{
    const QByteArray version1 =
        "<store version=\"1\">\r\n"
        "  <rowset name=\"My=20logins;LOGIN;\" type=\"MASTER;\" mode=\"ACTIVE;\" order=\"SORTED;\">\r\n"
        "    <column>Site=20name;SITE=5FNAME;STR;260;</column>\r\n"
        "    <column>Note;NOTE;STR;</column>\r\n"
        "    <default>;none=2E;</default>\r\n"
        "    <row id=\"4;20240229120000000;\">caf=E9;a=3Db;</row>\r\n"
        "  </rowset>\r\n</store>\r\n";
    QByteArray version2 = version1;
    version2.replace("version=\"1\"", "version=\"2\"").replace("=20", "=0020").replace("=5F", "=005F");
    version2.replace("=2E", "=002E").replace("=E9", "=00E9").replace("=3D", "=003D");
    TNEStore old;
    TNEStoreStreamer streamer;
    Read(old, version1, streamer);
    EXPECT_EQ(streamer.Version(), 1);
    TNEStore current;
    Read(current, version2);
    TNERowset& rowset = Rowset(old, u"LOGIN");
    EXPECT_EQ(rowset.Caption(), "My logins");
    EXPECT_EQ(rowset.Columns(0).Name(), "SITE_NAME");
    EXPECT_EQ(rowset.GetDefaults(), JoinItems({"", "none."}));
    EXPECT_EQ(rowset.FindRow(4)->GetString(0), u"caf\u00e9");
    EXPECT_EQ(rowset.FindRow(4)->GetString(1), "a=b");
    EXPECT_EQ(RowDump(rowset), RowDump(Rowset(current, u"LOGIN")));
    EXPECT_EQ(Written(old), Written(current));
}

TEST(NStoreStreamer, KeepsModesIDsAndTheNextID)
{
    TNEStore written;
    TNERowset& logins = *written.FindRowset(written.CreateRowset(u"Login", u"LOGIN", TextStructure, rmActive));
    logins.InsertRow(u"three;", 3);
    logins.InsertRow(u"seven;", 7);
    TNERowset& frozen = *written.FindRowset(written.CreateRowset(u"Frozen", u"FROZEN", TextStructure, rmActive));
    for (int row = 0; row < 4; ++row)
        frozen.InsertRow(u"x;");
    written.FindRowset(written.CreateRowset(u"Modeless", u"MODELESS", {}, rmActive))->InsertRow({});
    // A static rowset and one without a mode, as only a document can make them.
    QByteArray document = Written(written);
    const auto setMode = [&document](const QByteArray& Name, const QByteArray& Mode) {
        const QByteArray tag = "name=\"" + Name + "\" type=\"MASTER;\" mode=\"";
        document.replace(tag + "ACTIVE;\"", tag + Mode + '"');
    };
    setMode("Frozen;FROZEN;", "STATIC;");
    setMode("Modeless;MODELESS;", "");

    EXPECT_TRUE(document.contains(";\"/>\r\n")) << "a row without columns is an empty element";
    TNEStore read;
    Read(read, document);
    EXPECT_EQ(Written(read), document);
    EXPECT_EQ(RowDump(Rowset(read, u"LOGIN")), RowDump(logins));
    EXPECT_EQ(Rowset(read, u"LOGIN").InsertRow({}), 8);
    EXPECT_EQ(Rowset(read, u"FROZEN").Mode(), rmStatic);
    EXPECT_EQ(Rowset(read, u"FROZEN").RowCount(), 4);
    EXPECT_EQ(Rowset(read, u"MODELESS").Mode(), TNERowsetMode(0));
    EXPECT_EQ(Rowset(read, u"MODELESS").RowCount(), 1);
}

TEST(NStoreStreamer, WritesAndReadsLinkRowsetsReferencesDefaultsAndRanks)
{
    TLinkedStore linked;
    linked.Store.CreateViewRowset(u"View", u"VIEW", Rowset(linked.Store, u"GROUP").ID(), {});
    const QByteArray document = Written(linked.Store);
    EXPECT_FALSE(document.contains("VIEW"));
    EXPECT_TRUE(document.contains("<rowset name=\"Unique;UNIQUE;\" type=\"LINK;UNIQUE;GROUP;ITEM;\" mode=\"ACTIVE;\" "
                                  "order=\"RANKED;\">"));
    EXPECT_TRUE(document.contains("<rowset name=\"Sorted;SORTED;\" type=\"LINK;UNIQUE;ITEM;GROUP;\" mode=\"STATIC;\" "
                                  "order=\"SORTED;\">"));
    EXPECT_TRUE(document.contains("    <default>unnamed;2;</default>\r\n"));

    TNEStore read;
    Read(read, document);
    EXPECT_EQ(read.RowsetCount(), 5);
    for (const QStringView name : {u"GROUP", u"ITEM", u"GROUPITEM_SHARED", u"GROUPITEM_UNIQUE", u"ITEMGROUP_SORTED"}) {
        EXPECT_EQ(RowDump(Rowset(read, name)), RowDump(Rowset(linked.Store, name))) << name.toString().toStdString();
        EXPECT_EQ(Rowset(read, name).GetStructure(), Rowset(linked.Store, name).GetStructure());
        EXPECT_EQ(Rowset(read, name).EffectiveOrder(), Rowset(linked.Store, name).EffectiveOrder());
        EXPECT_EQ(Rowset(read, name).Mode(), Rowset(linked.Store, name).Mode());
    }
    auto& unique = static_cast<TNERowset_Link&>(Rowset(read, u"GROUPITEM_UNIQUE"));
    EXPECT_EQ(unique.LinkKind(), lkUnique);
    EXPECT_EQ(unique.FindRow(1)->Rank(), -3);
    EXPECT_EQ(Rowset(read, u"ITEM").FindRow(1)->GetReferenceID(1), 2) << "the default reference";
    EXPECT_EQ(Rowset(read, u"GROUP").FindRow(2)->EngagedCount(), 4);
    EXPECT_EQ(Written(read), document);
}

TEST(NStoreStreamer, SkipsRowsetsOfUnknownTypeAndNullsReferencesToMissingRows)
{
    const QByteArray document = "<store version=\"2\">\r\n"
                                "  <rowset name=\"Odd;ODD;\" type=\"TABLE;\">\r\n"
                                "    <column>Text;TEXT;STR;</column>\r\n"
                                "    <row id=\"0;\">x;</row>\r\n"
                                "  </rowset>\r\n"
                                "  <rowset name=\"Group;GROUP;\" type=\"MASTER;\" mode=\"ACTIVE;\">\r\n"
                                "    <column>Text;TEXT;STR;</column>\r\n"
                                "    <row id=\"x;bad;\">first;</row>\r\n"
                                "    <row id=\"2147483647;\">second;</row>\r\n"
                                "  </rowset>\r\n"
                                "  <rowset name=\"Item;ITEM;\" type=\"MASTER;\" mode=\"ACTIVE;\">\r\n"
                                "    <column>Group;GROUP_ID;REF;GROUP;</column>\r\n"
                                "    <row id=\"5;\">1;</row>\r\n"
                                "    <row id=\"6;\">9;</row>\r\n"
                                "  </rowset>\r\n"
                                "</store>\r\n";
    TNEStore store;
    Read(store, document);
    EXPECT_EQ(store.RowsetCount(), 2);
    EXPECT_EQ(Rowset(store, u"GROUP").RowCount(), 2);
    EXPECT_EQ(Rowset(store, u"GROUP").FindRow(0)->GetString(0), "first") << "an ID that is no number";
    EXPECT_EQ(Rowset(store, u"GROUP").FindRow(1)->GetString(0), "second") << "an ID beyond the row IDs";
    EXPECT_EQ(Rowset(store, u"ITEM").FindRow(5)->GetReferenceID(0), 1);
    EXPECT_EQ(Rowset(store, u"ITEM").FindRow(6)->GetReferenceID(0), -1);
}

TEST(NStoreStreamer, RaisesRowErrorsAndKeepsWhatWasReadBefore)
{
    TNEStore store;
    const QByteArray document = LoginDocument("<store version=\"2\">", "    <row id=\"1;\">a;</row>\r\n"
                                                                       "    <row id=\"1;\">b;</row>\r\n"
                                                                       "    <row id=\"2;\">c;</row>\r\n");
    EXPECT_THROW(Read(store, document), ENEDuplicateItemErr);
    EXPECT_EQ(Rowset(store, u"LOGIN").RowCount(), 1);
    EXPECT_EQ(Rowset(store, u"LOGIN").FindRow(1)->GetString(0), "a");

    TNEStore links;
    EXPECT_THROW(Read(links, "<store version=\"2\"><rowset name=\"L;X;\" type=\"LINK;SHARED;A;B;\"></rowset></store>"),
                 ENERowsetStructureErr);
}

TEST(NStoreStreamer, ReportsProgressAndStopsWhenAborted)
{
    TLinkedStore linked;
    const QByteArray document = Written(linked.Store);
    const int rows = 3 + 3 + 2 + 2;

    struct TProgress
    {
        void Report(std::int32_t Position, std::int32_t Total, bool& Abort)
        {
            Calls.push_back({Position, Total});
            Abort = int(Calls.size()) == AbortAt;
        }
        std::vector<std::pair<std::int32_t, std::int32_t>> Calls;
        int AbortAt = -1;
    };

    TProgress writing;
    TNEStoreStreamer writer;
    writer.OnProgress = {&writing, &TProgress::Report};
    QByteArray bytes = "lead";
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly | QIODevice::Append);
    writer.WriteStore(linked.Store, buffer);
    ASSERT_EQ(int(writing.Calls.size()), rows);
    EXPECT_EQ(writing.Calls.front(), std::make_pair(1, rows));
    EXPECT_EQ(writing.Calls.back(), std::make_pair(rows, rows));
    writing.Calls.clear();
    writing.AbortAt = 4;
    QByteArray untouched = "lead";
    QBuffer second(&untouched);
    second.open(QIODevice::WriteOnly | QIODevice::Append);
    EXPECT_THROW(writer.WriteStore(linked.Store, second), ENEAbort);
    EXPECT_EQ(untouched, "lead") << "an aborted write leaves the stream untouched";

    TProgress reading;
    TNEStoreStreamer reader;
    reader.OnProgress = {&reading, &TProgress::Report};
    TNEStore read;
    Read(read, document, reader);
    ASSERT_EQ(int(reading.Calls.size()), rows);
    for (std::size_t call = 1; call < reading.Calls.size(); ++call)
        EXPECT_LT(reading.Calls[call - 1].first, reading.Calls[call].first);
    EXPECT_EQ(reading.Calls.back().second, document.size());
    EXPECT_LT(reading.Calls.back().first, document.size()) << "the last row is followed by the static link rowset";

    reading.Calls.clear();
    reading.AbortAt = 2;
    TNEStore partial;
    EXPECT_THROW(Read(partial, document, reader), ENEAbort);
    EXPECT_EQ(partial.RowsetCount(), 1);
    EXPECT_EQ(Rowset(partial, u"GROUP").RowCount(), 2);
}

TEST(NStoreStreamer, ReadsEveryTruncationOfADocumentOrRaisesItsOwnError)
{
    TLinkedStore linked;
    const QByteArray document = Written(linked.Store);
    for (qsizetype length = 0; length <= document.size(); ++length) {
        // A copy of exactly that length, so that the sanitizers see any read past its end.
        const QByteArray truncated(document.constData(), length);
        TNEStore store;
        try {
            Read(store, truncated);
        } catch (const ENEException&) {
        }
    }
}

TEST(NStoreStreamer, SurvivesRandomAndHostileBytes)
{
    std::mt19937 random(11);
    const QByteArray alphabet = "<>/=\";& abcdefgrstowLINKMASTER0123456789\r\n";
    const QByteArray prefix = "<store version=\"2\"><rowset type=\"MASTER;\" name=\"A;A;\"><column>T;T;STR;</column>";
    for (int run = 0; run < 300; ++run) {
        QByteArray bytes(qsizetype(random() % 400), Qt::Uninitialized);
        for (char& byte : bytes)
            byte = run % 2 ? char(random()) : alphabet[qsizetype(random() % alphabet.size())];
        TNEStore store;
        try {
            Read(store, run % 3 ? bytes : prefix + bytes);
        } catch (const ENEException&) {
        }
    }

    // Many rows that never close stay fast: each row's text search must not rescan the rest of the document. (The
    // rowset closes: one the document ends inside is refused as cut short.)
    QByteArray unclosed = prefix;
    for (int row = 0; row < 50'000; ++row)
        unclosed += "<row id=\";\">x;";
    unclosed += "</rowset>";
    const auto start = std::chrono::steady_clock::now();
    TNEStore store;
    Read(store, unclosed);
    EXPECT_EQ(Rowset(store, u"A").RowCount(), 50'000);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}
