#include "app/cli/CliCsv.h"

#include "tests/support/ErrorMessage.h"

#include <gtest/gtest.h>

TEST(CliCsv, QuotesOnlyFieldsThatNeedIt)
{
    const struct
    {
        QStringList Fields;
        const char* Record;
    } cases[] = {
        {{u"a"_qs, u"b c"_qs, u""_qs}, "a,b c,\r\n"},
        {{u"x,y"_qs}, "\"x,y\"\r\n"},
        {{u"say \"hi\""_qs}, "\"say \"\"hi\"\"\"\r\n"},
        {{u"line one\r\nline two"_qs, u"lf\nonly"_qs}, "\"line one\r\nline two\",\"lf\nonly\"\r\n"},
        {{u" blanks "_qs}, " blanks \r\n"},
    };
    for (const auto& example : cases)
        EXPECT_EQ(CsvRecord(example.Fields), QString::fromUtf8(example.Record));
}

TEST(CliCsv, ReadsBackWhatItWrites)
{
    const QList<QStringList> records = {
        {u"site"_qs, u"login"_qs, u"password"_qs, u"note"_qs},
        {u"café"_qs, u"a,b"_qs, u"x<y&z>\"w\""_qs, u"line one\r\nline two"_qs},
        {u""_qs, u" "_qs, u"\"\""_qs, u"\n"_qs},
    };
    QString text;
    for (const QStringList& record : records)
        text += CsvRecord(record);
    const std::vector<TCliCsvRecord> parsed = ParseCsv(text);
    ASSERT_EQ(parsed.size(), records.size());
    for (qsizetype index = 0; index < records.size(); ++index)
        EXPECT_EQ(parsed[std::size_t(index)].Fields, records[index]);
    EXPECT_EQ(parsed[1].Line, 2);
    // The line end inside the second record's note moves the third record's line on.
    EXPECT_EQ(parsed[2].Line, 4);
}

TEST(CliCsv, AcceptsCommonVariantsOfTheLayout)
{
    const struct
    {
        const char* Text;
        QList<QStringList> Records;
    } cases[] = {
        {"a,b\nc,d", {{u"a"_qs, u"b"_qs}, {u"c"_qs, u"d"_qs}}},
        {"\xEF\xBB\xBF"
         "a\r\n\r\n\nb\r\n",
         {{u"a"_qs}, {u"b"_qs}}},
        {"a,\n,", {{u"a"_qs, u""_qs}, {u""_qs, u""_qs}}},
        {"\"\",\"q\"\r\n", {{u""_qs, u"q"_qs}}},
        {"", {}},
    };
    for (const auto& example : cases) {
        QList<QStringList> records;
        for (const TCliCsvRecord& record : ParseCsv(QString::fromUtf8(example.Text)))
            records += record.Fields;
        EXPECT_EQ(records, example.Records) << example.Text;
    }
}

TEST(CliCsv, NamesTheLineOfMalformedText)
{
    const struct
    {
        const char* Text;
        const char* Message;
    } cases[] = {
        {"a\nb\"c", "Line 2: a quote inside a field that is not quoted"},
        {"a\n\"b\"c", "Line 2: text after a closing quote"},
        {"a\n\"b,\nc", "Line 2: a quoted field is not closed"},
        {"\"x\ny\"\n\"z\" ", "Line 3: text after a closing quote"},
    };
    for (const auto& example : cases)
        EXPECT_EQ(MessageOf([&] { ParseCsv(QString::fromUtf8(example.Text)); }), example.Message) << example.Text;
}
