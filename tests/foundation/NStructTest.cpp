#include "foundation/NStruct.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <chrono>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

int Items[8] = {0, 1, 2, 3, 4, 5, 6, 7};

void* ItemPtr(int Index)
{
    return &Items[Index];
}

int IndexOf(void* Item)
{
    return int(static_cast<int*>(Item) - Items);
}

// Walks the list from First to End and gives the indices of its items.
std::vector<int> Walk(TNESimpleList& List)
{
    std::vector<int> seen;
    for (List.First(); !List.End(); List.Next())
        seen.push_back(IndexOf(List.Current()));
    return seen;
}

void Fill(TNESimpleList& List, int Count)
{
    for (int index = 0; index < Count; ++index)
        List.Add(ItemPtr(index));
}

// Sets the default locale for a scope.
class TLocaleScope
{
public:
    explicit TLocaleScope(const QLocale& Locale) : Previous_(QLocale()) { QLocale::setDefault(Locale); }
    ~TLocaleScope() { QLocale::setDefault(Previous_); }

private:
    QLocale Previous_;
};

TNETimeStamp StampOf(int Year, int Month, int Day, int Milliseconds)
{
    return {Milliseconds, std::int32_t(QDate(Year, Month, Day).toJulianDay() - QDate(1, 1, 1).toJulianDay() + 1)};
}

} // namespace

TEST(NStruct, ListRaisesOnEmptyAndPastTheEnd)
{
    TNESimpleList list;
    EXPECT_TRUE(list.End());
    EXPECT_THROW(list.Current(), ENEEmptyStructureErr);
    EXPECT_THROW(list.RemoveFirst(), ENEEmptyStructureErr);
    EXPECT_THROW(list.RemoveLast(), ENEEmptyStructureErr);
    EXPECT_THROW(list.RemoveCurrent(), ENEEmptyStructureErr);

    Fill(list, 3);
    EXPECT_TRUE(list.End()); // not walked yet
    EXPECT_EQ(Walk(list), (std::vector<int>{0, 1, 2}));
    EXPECT_THROW(list.Current(), ENEInvalidElementErr);
    EXPECT_THROW(list.RemoveCurrent(), ENEInvalidElementErr);
    list.Next(); // stays past the end
    EXPECT_TRUE(list.End());
    EXPECT_EQ(list.Count(), 3);
    try {
        list.Current();
    } catch (const ENEException& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Invalid element error"));
    }
}

TEST(NStruct, AddingKeepsTheCurrentItem)
{
    TNESimpleList list;
    list.Add(ItemPtr(0));
    list.First();
    list.Add(ItemPtr(1)); // the head was current and stays current
    EXPECT_EQ(IndexOf(list.Current()), 0);
    list.Next();
    list.Add(ItemPtr(2));
    EXPECT_EQ(IndexOf(list.Current()), 1);
    list.Next();
    list.Next();
    EXPECT_TRUE(list.End());
    EXPECT_EQ(Walk(list), (std::vector<int>{0, 1, 2}));
}

TEST(NStruct, RemovingKeepsTheWalkOnTheRightItem)
{
    const struct
    {
        const char* Name;
        int StepsAfterFirst; // Next calls before the removal
        int Removal;         // 0 first, 1 last, 2 current
        int Removed;         // item returned
        int CurrentAfter;    // -1: the walk is past the end
        std::vector<int> Left;
    } cases[] = {
        {"current in the middle", 1, 2, 1, 2, {0, 2, 3}},
        {"current at the head", 0, 2, 0, 1, {1, 2, 3}},
        {"current at the tail", 3, 2, 3, -1, {0, 1, 2}},
        {"first while the second is current", 1, 0, 0, 1, {1, 2, 3}},
        {"first while it is current", 0, 0, 0, 1, {1, 2, 3}},
        {"last while it is current", 3, 1, 3, -1, {0, 1, 2}},
        {"last while the head is current", 0, 1, 3, 0, {0, 1, 2}},
        {"last while the walk is past the end", 4, 1, 3, -1, {0, 1, 2}},
        {"first while the walk is past the end", 4, 0, 0, -1, {1, 2, 3}},
    };
    for (const auto& testCase : cases) {
        TNESimpleList list;
        Fill(list, 4);
        list.First();
        for (int step = 0; step < testCase.StepsAfterFirst; ++step)
            list.Next();
        void* removed = testCase.Removal == 0   ? list.RemoveFirst()
                        : testCase.Removal == 1 ? list.RemoveLast()
                                                : list.RemoveCurrent();
        EXPECT_EQ(IndexOf(removed), testCase.Removed) << testCase.Name;
        EXPECT_EQ(list.Count(), 3) << testCase.Name;
        if (testCase.CurrentAfter < 0)
            EXPECT_TRUE(list.End()) << testCase.Name;
        else
            EXPECT_EQ(IndexOf(list.Current()), testCase.CurrentAfter) << testCase.Name;
        EXPECT_EQ(Walk(list), testCase.Left) << testCase.Name;
    }
}

TEST(NStruct, RemovingEveryItemEmptiesTheList)
{
    TNESimpleList list;
    Fill(list, 3);
    list.First();
    while (!list.End())
        list.RemoveCurrent();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_THROW(list.Current(), ENEEmptyStructureErr);
    list.Add(ItemPtr(5)); // the emptied list is usable again
    EXPECT_EQ(Walk(list), (std::vector<int>{5}));
    EXPECT_EQ(IndexOf(list.RemoveLast()), 5);
    EXPECT_TRUE(list.End());
}

TEST(NStruct, ObjectListForwardsTyped)
{
    TNEObjectList<int> list;
    list.Add(&Items[3]);
    list.Add(&Items[4]);
    list.First();
    EXPECT_EQ(list.Current(), &Items[3]);
    EXPECT_EQ(list.RemoveLast(), &Items[4]);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.RemoveCurrent(), &Items[3]);
    EXPECT_THROW(list.RemoveFirst(), ENEEmptyStructureErr);
}

TEST(NStruct, QueueAndStackKeepTheirOrderAndRaiseWhenEmpty)
{
    TNESimpleQueue queue;
    TNESimpleStack stack;
    EXPECT_THROW(queue.Pop(), ENEEmptyStructureErr);
    EXPECT_THROW(stack.Pop(), ENEEmptyStructureErr);
    for (int index = 0; index < 3; ++index) {
        queue.Push(ItemPtr(index));
        stack.Push(ItemPtr(index));
    }
    EXPECT_EQ(IndexOf(queue.Pop()), 0);
    queue.Push(ItemPtr(3));
    EXPECT_EQ(IndexOf(queue.Pop()), 1);
    EXPECT_EQ(IndexOf(queue.Pop()), 2);
    EXPECT_EQ(IndexOf(queue.Pop()), 3);
    EXPECT_THROW(queue.Pop(), ENEEmptyStructureErr);
    queue.Push(ItemPtr(4)); // the emptied queue links its tail anew
    EXPECT_EQ(IndexOf(queue.Pop()), 4);

    EXPECT_EQ(stack.Count(), 3);
    EXPECT_EQ(IndexOf(stack.Pop()), 2);
    EXPECT_EQ(IndexOf(stack.Pop()), 1);
    EXPECT_EQ(IndexOf(stack.Pop()), 0);
    EXPECT_EQ(stack.Count(), 0);
}

TEST(NStruct, LongStructuresAreFreedWithoutExhaustingTheStack)
{
    constexpr int count = 1000000;
    TNESimpleList list;
    TNESimpleQueue queue;
    TNESimpleStack stack;
    for (int index = 0; index < count; ++index) {
        list.Add(ItemPtr(0));
        queue.Push(ItemPtr(0));
        stack.Push(ItemPtr(0));
    }
    EXPECT_EQ(list.Count() + queue.Count() + stack.Count(), 3 * count);
}

TEST(NStruct, EncodesAndDecodesItems)
{
    const struct
    {
        const char16_t* Plain;
        const char16_t* Encoded;
    } cases[] = {
        {u"", u""},
        {u"AZaz09+/", u"AZaz09+/"},
        {u"a=b", u"a=003Db"},
        {u"b c", u"b=0020c"},
        {u";", u"=003B"},
        {u"\u00E9", u"=00E9"},
        {u"\u0416", u"=0416"},          // Cyrillic: the full 16-bit value
        {u"\U0001F600", u"=D83D=DE00"}, // a surrogate pair: two escapes
        {u"\uFF21", u"=FF21"},          // a full-width letter is not one of the 64
    };
    for (const auto& testCase : cases) {
        const QString plain = QString::fromUtf16(testCase.Plain);
        EXPECT_EQ(EncodeItem(plain), QString::fromUtf16(testCase.Encoded)) << plain.toStdString();
        EXPECT_EQ(DecodeItem(QString::fromUtf16(testCase.Encoded)), plain) << plain.toStdString();
    }
}

TEST(NStruct, DecodingToleratesMalformedEscapes)
{
    const struct
    {
        const char16_t* Encoded;
        const char16_t* Plain;
    } cases[] = {
        {u"=003d", u"="},                              // lower-case digits
        {u"x=00g1y", u"x\u0001y"},                     // a non-digit counts as 0
        {u"ab=004", u"ab"},                            // a cut-short escape is dropped
        {u"ab=", u"ab"},           {u"b c;", u"b c;"}, // other characters are copied
    };
    for (const auto& testCase : cases)
        EXPECT_EQ(DecodeItem(QString::fromUtf16(testCase.Encoded)), QString::fromUtf16(testCase.Plain));
}

TEST(NStruct, JoinsAndReadsFieldLists)
{
    const QString list = JoinItems({QStringLiteral("a"), QStringLiteral("b c"), QStringLiteral(";")});
    EXPECT_EQ(list, QStringLiteral("a;b=0020c;=003B;"));

    QString appended = QStringLiteral("a;");
    AppendItem(appended, QString());
    EXPECT_EQ(appended, QStringLiteral("a;;"));

    qsizetype position = 0;
    EXPECT_EQ(NextItem(position, list), QStringLiteral("a"));
    EXPECT_EQ(position, 2);
    EXPECT_EQ(NextItem(position, list), QStringLiteral("b c"));
    EXPECT_EQ(NextItem(position, list), QStringLiteral(";"));
    EXPECT_EQ(position, list.size());
    EXPECT_EQ(NextItem(position, list), QString());

    position = 3; // inside an item: reading starts after its terminator
    EXPECT_EQ(NextItem(position, list), QStringLiteral(";"));
    position = -1;
    EXPECT_EQ(NextItem(position, list), QString());

    position = 0; // the last item may lack its terminator
    NextItem(position, u"x;y");
    EXPECT_EQ(NextItem(position, u"x;y"), QStringLiteral("y"));
}

TEST(NStruct, FindsItemsByIndexAndByText)
{
    const QString list = QStringLiteral("a;b=0020c;;=003B;");
    const struct
    {
        int Index;
        const char* Item;
    } byIndex[] = {{0, "a"}, {1, "b c"}, {2, ""}, {3, ";"}, {4, ""}, {9, ""}};
    for (const auto& testCase : byIndex)
        EXPECT_EQ(ItemAt(testCase.Index, list), QString::fromLatin1(testCase.Item)) << testCase.Index;

    const struct
    {
        const char* Item;
        qsizetype Position;
    } byText[] = {{"a", 0}, {"b c", 2}, {"", 10}, {";", 11}, {"A", 17}, {"missing", 17}};
    for (const auto& testCase : byText)
        EXPECT_EQ(IndexOfItem(QString::fromLatin1(testCase.Item), list), testCase.Position) << testCase.Item;
    EXPECT_EQ(IndexOfItem(u"a", u""), 0);

    qsizetype before = IndexOfItem(u"b c", list); // the position reads the found item next
    EXPECT_EQ(NextItem(before, list), QStringLiteral("b c"));
}

TEST(NStruct, ParsesTimeStampsFromFixedPositions)
{
    const struct
    {
        const char* Text;
        TNETimeStamp Expected;
    } cases[] = {
        {"20240229235959999", StampOf(2024, 2, 29, 86399999)},
        {"20240229235959999 and more", StampOf(2024, 2, 29, 86399999)},
        {"00010101000000000", MinTimeStamp},
        {"00010102000000001", {1, 2}},
        {"99991231000000000", {0, 3652059}},
        {"20240230000000000", MinTimeStamp}, // no such date
        {"20242401000000000", MinTimeStamp},
        {"00000101000000000", MinTimeStamp}, // no year 0
        {"20240101240000000", MinTimeStamp}, // hour 24
        {"20240101006000000", MinTimeStamp},
        {"20240101000060000", MinTimeStamp},
        {"2024", StampOf(2024, 1, 1, 0)}, // missing fields take their defaults
        {"202403", StampOf(2024, 3, 1, 0)},
        {"2024031", StampOf(2024, 3, 1, 0)}, // a field cut short by the end still counts
        {"2024xx15", StampOf(2024, 1, 15, 0)},
        {"+0240101", StampOf(1, 1, 1, 0)}, // a sign is not a digit
        {"20240101 1000000", StampOf(2024, 1, 1, 0)},
        {"", MinTimeStamp},
        {"garbage", MinTimeStamp},
    };
    for (const auto& testCase : cases) {
        const TNETimeStamp stamp = ParseTimeStamp(QString::fromLatin1(testCase.Text));
        EXPECT_EQ(stamp.Date, testCase.Expected.Date) << testCase.Text;
        EXPECT_EQ(stamp.Time, testCase.Expected.Time) << testCase.Text;
    }
}

TEST(NStruct, FormatsTimeStampsAsSeventeenDigits)
{
    const struct
    {
        TNETimeStamp Stamp;
        const char* Text;
    } cases[] = {
        {MinTimeStamp, "00010101000000000"},
        {StampOf(2024, 2, 29, 86399999), "20240229235959999"},
        {StampOf(1999, 12, 31, 3723004), "19991231010203004"},
        {{0, 3652059}, "99991231000000000"},
        {{0, 0}, "00010101000000000"}, // dates outside 1..9999 give the minimum
        {{0, 3652060}, "00010101000000000"},
        {{-1, 5}, "00010101000000000"}, // so do times outside one day
        {{86400000, 5}, "00010101000000000"},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(FormatTimeStamp(testCase.Stamp), QString::fromLatin1(testCase.Text)) << testCase.Text;
        EXPECT_EQ(CompareTimeStamps(ParseTimeStamp(FormatTimeStamp(testCase.Stamp)),
                                    ParseTimeStamp(QString::fromLatin1(testCase.Text))),
                  0);
    }

    const QDateTime moment(QDate(2023, 7, 14), QTime(8, 30, 15, 250));
    EXPECT_EQ(FormatTimeStamp(TimeStampOf(moment)), QStringLiteral("20230714083015250"));
}

// The current time stamp follows the local time zone, whole and fractional hour offsets alike, within a second of
// the zone changing.
TEST(NStruct, StampsTheCurrentTimeInTheLocalZone)
{
    const QByteArray previousZone = qgetenv("TZ");
    for (const char* zone : {"UTC", "Asia/Kathmandu", "America/St_Johns", "Europe/Berlin"}) {
        qputenv("TZ", zone);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        bool isBetween = false;
        while (!isBetween && std::chrono::steady_clock::now() < deadline) {
            const TNETimeStamp before = TimeStampOf(QDateTime::currentDateTime());
            const TNETimeStamp stamp = CurrentTimeStamp();
            const TNETimeStamp after = TimeStampOf(QDateTime::currentDateTime());
            isBetween = CompareTimeStamps(before, stamp) <= 0 && CompareTimeStamps(stamp, after) <= 0;
        }
        EXPECT_TRUE(isBetween) << zone;
    }
    previousZone.isNull() ? qunsetenv("TZ") : qputenv("TZ", previousZone);
}

TEST(NStruct, ComparesTimeStampsDateFirst)
{
    const struct
    {
        TNETimeStamp Left;
        TNETimeStamp Right;
        int Expected;
    } cases[] = {
        {{0, 2}, {86399999, 1}, 1}, {{5, 1}, {6, 1}, -1}, {{7, 3}, {7, 3}, 0}, {{0, -1}, {0, 1}, -1}, // signed
        {{-5, 1}, {0, 1}, -1},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(CompareTimeStamps(testCase.Left, testCase.Right), testCase.Expected);
        EXPECT_EQ(CompareTimeStamps(testCase.Right, testCase.Left), -testCase.Expected);
    }
}

TEST(NStruct, PercentCodesFileNames)
{
    const struct
    {
        const char16_t* Plain;
        const char16_t* Encoded;
    } cases[] = {
        {u"plain name.fkx", u"plain name.fkx"},
        {u"100%", u"100%25"},
        {u"a/b:c<d>e?f\\g|h", u"a%2Fb%3Ac%3Cd%3Ee%3Ff%5Cg%7Ch"},
        {u"*\"\u0416", u"*\"\u0416"},
    };
    for (const auto& testCase : cases) {
        const QString plain = QString::fromUtf16(testCase.Plain);
        const QString encoded = QString::fromUtf16(testCase.Encoded);
        EXPECT_EQ(PercentEncode(plain), encoded);
        EXPECT_EQ(PercentDecode(encoded), plain);
        EXPECT_TRUE(IsValidFileName(encoded)) << encoded.toStdString();
    }
    EXPECT_EQ(PercentDecode(u"%2f%7c"), QStringLiteral("/|"));
    EXPECT_EQ(PercentDecode(u"a%zz"), QString(QChar(u'a')) + QChar(0));
    EXPECT_EQ(PercentDecode(u"ab%4"), QStringLiteral("ab"));
    EXPECT_EQ(PercentDecode(u"ab%"), QStringLiteral("ab"));
}

TEST(NStruct, RejectsFileNamesWithReservedCharacters)
{
    for (const char16_t character : std::u16string_view(u"/:<>?\\|"))
        EXPECT_FALSE(IsValidFileName(QStringLiteral("name") + QChar(character))) << char(character);
    EXPECT_FALSE(IsValidFileName(QStringLiteral("a") + QChar(0) + QStringLiteral(".fkx"))); // would cut the name short
    EXPECT_TRUE(IsValidFileName(u"50% off * \"quoted\".fkx"));
}

TEST(NStruct, SplitsAtTheFirstAndTheLastSeparator)
{
    const struct
    {
        const char* Text;
        const char* FirstPart;
        const char* FirstRest;
        const char* LastPart;
        const char* LastRest;
    } cases[] = {
        {"LOGIN_SITE_NAME", "LOGIN", "SITE_NAME", "NAME", "LOGIN_SITE"},
        {"NOSEPARATOR", "NOSEPARATOR", "", "NOSEPARATOR", ""},
        {"_EDGE_", "", "EDGE_", "", "_EDGE"},
        {"", "", "", "", ""},
    };
    for (const auto& testCase : cases) {
        QString first = QString::fromLatin1(testCase.Text);
        EXPECT_EQ(SplitFirst(u'_', first), QString::fromLatin1(testCase.FirstPart)) << testCase.Text;
        EXPECT_EQ(first, QString::fromLatin1(testCase.FirstRest)) << testCase.Text;
        QString last = QString::fromLatin1(testCase.Text);
        EXPECT_EQ(SplitLast(u'_', last), QString::fromLatin1(testCase.LastPart)) << testCase.Text;
        EXPECT_EQ(last, QString::fromLatin1(testCase.LastRest)) << testCase.Text;
    }
}

TEST(NStruct, ConvertsLineBreaksToTheStoredTheShownAndTheSingleLineForm)
{
    const struct
    {
        QString Text;
        QString Stored;
        QString Shown;
        QString SingleLine;
    } cases[] = {
        {u""_qs, u""_qs, u""_qs, u""_qs},
        {u"no break"_qs, u"no break"_qs, u"no break"_qs, u"no break"_qs},
        {u"a\nb"_qs, u"a\r\nb"_qs, u"a\nb"_qs, u"a b"_qs},
        {u"a\r\nb"_qs, u"a\r\nb"_qs, u"a\nb"_qs, u"a b"_qs},
        {u"a\rb"_qs, u"a\r\nb"_qs, u"a\nb"_qs, u"a b"_qs},
        // LF before CR is two breaks; CR before CR LF is a lone CR and a pair.
        {u"\n\r\r\n\n\r"_qs, u"\r\n\r\n\r\n\r\n\r\n"_qs, u"\n\n\n\n\n"_qs, u"     "_qs},
        {u"end\r"_qs, u"end\r\n"_qs, u"end\n"_qs, u"end "_qs},
    };
    for (const auto& example : cases) {
        const std::string name = example.Text.toUtf8().toHex().toStdString();
        EXPECT_EQ(ToStoredLineBreaks(example.Text), example.Stored) << name;
        EXPECT_EQ(ToDisplayLineBreaks(example.Text), example.Shown) << name;
        EXPECT_EQ(ToSingleLine(example.Text), example.SingleLine) << name;
        EXPECT_EQ(ToSingleLine(QStringView(example.Text)), example.SingleLine) << name;
        // A text without a break is handed on, not copied: lists show the store's own texts.
        EXPECT_EQ(ToSingleLine(example.Text).constData() == example.Text.constData(),
                  example.Text == example.SingleLine)
            << name;
        // What the memo shows goes back in as it was kept.
        EXPECT_EQ(ToStoredLineBreaks(ToDisplayLineBreaks(example.Stored)), example.Stored) << name;
        EXPECT_EQ(ToDisplayLineBreaks(ToStoredLineBreaks(example.Shown)), example.Shown) << name;
    }
}

TEST(NStruct, CapitalizesWithoutLanguageTailoring)
{
    const struct
    {
        const char16_t* Text;
        const char16_t* Expected;
    } cases[] = {
        {u"", u""},
        {u" \t\u0001 ", u""},
        {u"  SITE NAME\n", u"Site name"},
        {u"login", u"Login"},
        {u"IDENTITY", u"Identity"},
        {u"\u00E9T\u00C9", u"\u00C9t\u00E9"},
        {u"\U00010428\U00010400", u"\U00010400\U00010428"}, // Deseret: a pair in both cases
        {u"\u00A0x", u"\u00A0x"},                           // a no-break space is not trimmed
    };
    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    for (const QLocale& locale : {QLocale(QLocale::C), turkish}) {
        TLocaleScope scope(locale);
        for (const auto& testCase : cases)
            EXPECT_EQ(Capitalize(QString::fromUtf16(testCase.Text)), QString::fromUtf16(testCase.Expected))
                << locale.name().toStdString();
        // Names are matched upper-cased: a Turkish dotted capital I would break "LOGIN".
        EXPECT_EQ(QStringLiteral("login").toUpper(), QStringLiteral("LOGIN"));
        EXPECT_EQ(Trim(u"\u0002 padded \u001F"), QStringLiteral("padded"));
    }
}

TEST(NStruct, FormatsThousandsWithTheLocaleSeparator)
{
    const struct
    {
        std::int64_t Value;
        const char* English;
    } cases[] = {
        {0, "0"},
        {999, "999"},
        {1000, "1,000"},
        {-1234567, "-1,234,567"},
        {100000, "100,000"},
        {std::numeric_limits<std::int64_t>::min(), "-9,223,372,036,854,775,808"},
    };
    {
        TLocaleScope scope(QLocale(QLocale::English, QLocale::UnitedStates));
        for (const auto& testCase : cases)
            EXPECT_EQ(FormatThousands(testCase.Value), QString::fromLatin1(testCase.English));
    }
    TLocaleScope scope(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FormatThousands(-1234567), QStringLiteral("-1.234.567"));
}

TEST(NStruct, ChecksAndCreatesFiles)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString fileName = folder.filePath(QStringLiteral("new.fkx"));
    EXPECT_FALSE(FileExists(fileName));
    EXPECT_TRUE(FolderExists(folder.path()));
    EXPECT_FALSE(FileExists(folder.path()));

    EXPECT_TRUE(CanCreateFile(fileName));
    EXPECT_TRUE(FileExists(fileName));
    EXPECT_FALSE(FolderExists(fileName));
    const QFileInfo created(fileName);
    EXPECT_EQ(created.size(), 0);
    EXPECT_EQ(created.permissions() &
                  (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup | QFileDevice::WriteOther),
              QFileDevice::Permissions());

    QFile existing(fileName);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("kept");
    existing.close();
    EXPECT_TRUE(CanCreateFile(fileName));
    EXPECT_EQ(QFileInfo(fileName).size(), 4); // an existing file is left as it is

    EXPECT_FALSE(CanCreateFile(folder.filePath(QStringLiteral("missing/new.fkx"))));
    EXPECT_FALSE(CanCreateFile(folder.path()));                       // a folder is not a file
    EXPECT_FALSE(CanCreateFile(fileName + QStringLiteral("/below"))); // below a file
}

TEST(NStruct, GivesAFileItsLocalWriteTime)
{
    QTemporaryDir folder;
    const QString fileName = folder.filePath(QStringLiteral("dated"));
    ASSERT_TRUE(CanCreateFile(fileName));
    const QDateTime written(QDate(2021, 3, 4), QTime(5, 6, 7));
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(written, QFileDevice::FileModificationTime));
    file.close();

    const QDateTime read = FileDateTime(QFileInfo(fileName));
    EXPECT_EQ(read, written);
    EXPECT_EQ(read.timeSpec(), Qt::LocalTime);
    EXPECT_FALSE(FileDateTime(QFileInfo(folder.filePath(QStringLiteral("none")))).isValid());
}

TEST(NStruct, FindsTheLetterCaseOfAPathOnDisk)
{
    QTemporaryDir temporary;
    const QString root = temporary.path();
    ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("Alpha/DELTA")));
    ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("Alpha/delta")));
    ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("GAMMA")));
    for (const char* file : {"Alpha/Beta.TXT", "gamma"})
        ASSERT_TRUE(CanCreateFile(root + u'/' + QString::fromLatin1(file)));

    const struct
    {
        const char* Asked;
        const char* Found;
    } cases[] = {
        {"/alpha/beta.txt", "/Alpha/Beta.TXT"},
        {"/ALPHA/", "/Alpha/"},
        {"/alpha/Delta/x", "/Alpha/DELTA/x"}, // sorted order decides between two folders
        {"/alpha/delta", "/Alpha/delta"},     // an exact match is kept
        {"/Gamma/", "/GAMMA/"},               // inner components take a folder
        {"/Gamma", "/gamma"},                 // the last one takes a file
        {"/alpha/missing/BETA.txt", "/Alpha/missing/BETA.txt"},
        {"/alpha/./../alpha", "/Alpha/./../alpha"},
        {"//alpha//beta.txt", "/Alpha/Beta.TXT"},
    };
    for (const auto& testCase : cases)
        EXPECT_EQ(ExactCasePath(root + QString::fromLatin1(testCase.Asked)), root + QString::fromLatin1(testCase.Found))
            << testCase.Asked;

    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(root));
    EXPECT_EQ(ExactCasePath(QStringLiteral("alpha/beta.txt")), root + QStringLiteral("/Alpha/Beta.TXT"));
    QDir::setCurrent(previous);
    EXPECT_EQ(ExactCasePath(QStringLiteral("/")), QStringLiteral("/"));
}

TEST(NStruct, KnowsTheRootOfAFileSystem)
{
    QTemporaryDir temporary;
    EXPECT_TRUE(IsDriveRoot(QStringLiteral("/")));
    EXPECT_FALSE(IsDriveRoot(temporary.filePath(QStringLiteral("missing"))));
    ASSERT_TRUE(QDir(temporary.path()).mkdir(QStringLiteral("inner")));
    EXPECT_FALSE(IsDriveRoot(temporary.filePath(QStringLiteral("inner"))));
    ASSERT_TRUE(CanCreateFile(temporary.filePath(QStringLiteral("file"))));
    EXPECT_FALSE(IsDriveRoot(temporary.filePath(QStringLiteral("file"))));
}
