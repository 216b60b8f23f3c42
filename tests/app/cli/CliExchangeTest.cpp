#include "app/cli/CliExchange.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliCsv.h"
#include "tests/support/ErrorMessage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

const std::vector<TCliLogin> Logins = {
    {0, u"shop.example"_qs, u"dave"_qs, u"x<y&z>\"w\""_qs, u"note with <tags> & \"quotes\""_qs},
    {3, u"Forum"_qs, u"eve"_qs, u"semi;colon,comma"_qs, u"line one\r\nline two"_qs},
    {4, u"café"_qs, u"françois"_qs, u" naïve "_qs, u""_qs},
};

QByteArray Exported(TCliExchangeFormat Format)
{
    const TNESecureBytes bytes = ExportLogins(Logins, Format);
    return QByteArray(bytes.Bytes().constData(), bytes.Bytes().size());
}

void ExpectSameFields(const std::vector<TCliLogin>& Actual)
{
    ASSERT_EQ(Actual.size(), Logins.size());
    for (std::size_t index = 0; index < Logins.size(); ++index) {
        EXPECT_EQ(Actual[index].ID, -1);
        EXPECT_EQ(Actual[index].Site, Logins[index].Site);
        EXPECT_EQ(Actual[index].Login, Logins[index].Login);
        EXPECT_EQ(Actual[index].Password, Logins[index].Password);
        EXPECT_EQ(Actual[index].Note, Logins[index].Note);
    }
}

} // namespace

TEST(CliExchange, ExportsCsvWithHeaderAndQuoting)
{
    EXPECT_EQ(Exported(TCliExchangeFormat::Csv),
              QByteArray("site,login,password,note\r\n"
                         "shop.example,dave,\"x<y&z>\"\"w\"\"\",\"note with <tags> & \"\"quotes\"\"\"\r\n"
                         "Forum,eve,\"semi;colon,comma\",\"line one\r\nline two\"\r\n"
                         "caf\xC3\xA9,fran\xC3\xA7ois, na\xC3\xAFve ,\r\n"));
}

TEST(CliExchange, ExportsJsonObjectsWithTheFiveKeys)
{
    const QJsonArray array = QJsonDocument::fromJson(Exported(TCliExchangeFormat::Json)).array();
    ASSERT_EQ(array.size(), 3);
    const QJsonObject second = array[1].toObject();
    EXPECT_EQ(second.keys(), (QStringList{u"id"_qs, u"login"_qs, u"note"_qs, u"password"_qs, u"site"_qs}));
    EXPECT_EQ(second[u"id"_qs].toInt(-1), 3);
    EXPECT_EQ(second[u"note"_qs].toString(), u"line one\r\nline two");
}

TEST(CliExchange, ImportsWhatItExportsInBothFormats)
{
    ExpectSameFields(ImportLogins(Exported(TCliExchangeFormat::Csv), TCliExchangeFormat::Csv));
    ExpectSameFields(ImportLogins(Exported(TCliExchangeFormat::Json), TCliExchangeFormat::Json));
    EXPECT_TRUE(ImportLogins("site,login,password,note\n", TCliExchangeFormat::Csv).empty());
    EXPECT_TRUE(ImportLogins("[]", TCliExchangeFormat::Json).empty());
}

TEST(CliExchange, RefusesInputsThatAreNotLogins)
{
    const struct
    {
        TCliExchangeFormat Format;
        const char* Input;
        const char* Message;
    } cases[] = {
        {TCliExchangeFormat::Csv, "", "Line 1: the header line \"site,login,password,note\" is missing"},
        {TCliExchangeFormat::Csv, "a,b,c,d\r\n", "Line 1: the header line \"site,login,password,note\" is missing"},
        {TCliExchangeFormat::Csv, "site,login,password\r\n",
         "Line 1: the header line \"site,login,password,note\" is missing"},
        {TCliExchangeFormat::Csv, "site,login,password,note\r\na,b,c\r\n", "Line 2: 3 fields instead of 4"},
        {TCliExchangeFormat::Csv, "site,login,password,note\r\n\"a\nb\",b,c,d,e\r\n", "Line 2: 5 fields instead of 4"},
        {TCliExchangeFormat::Csv, "site,login,password,note\r\n\"a,b,c,d\r\n", "Line 2: a quoted field is not closed"},
        {TCliExchangeFormat::Json, "{}", "The JSON text is not an array of logins"},
        {TCliExchangeFormat::Json, "[1]", "Login 1 is not an object"},
        {TCliExchangeFormat::Json, "[{}, {\"site\": 5}]", "Login 2: \"site\" is not a text"},
    };
    for (const auto& example : cases)
        EXPECT_EQ(MessageOf([&] { ImportLogins(example.Input, example.Format); }), example.Message) << example.Input;
    EXPECT_THROW(ImportLogins("[{\"site\": ", TCliExchangeFormat::Json), ECliImportErr);
}

TEST(CliExchange, KnowsTheFormatsByName)
{
    EXPECT_EQ(ExchangeFormatNamed(u"csv"_qs), TCliExchangeFormat::Csv);
    EXPECT_EQ(ExchangeFormatNamed(u"json"_qs), TCliExchangeFormat::Json);
    EXPECT_THROW(ExchangeFormatNamed(u"CSV"_qs), ECliUsageErr);
    EXPECT_THROW(ExchangeFormatNamed(u"xml"_qs), ECliUsageErr);
}
