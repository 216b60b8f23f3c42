#include "app/cli/CliExchange.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliCsv.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>

namespace {

const QStringList CsvHeader = {QStringLiteral("site"), QStringLiteral("login"), QStringLiteral("password"),
                               QStringLiteral("note")};

TNESecureBytes ExportCsv(const std::vector<TCliLogin>& Logins)
{
    TNESecureText text(CsvRecord(CsvHeader));
    for (const TCliLogin& login : Logins)
        text.Append(TNESecureText(CsvRecord({login.Site, login.Login, login.Password, login.Note})).Text());
    return TNESecureBytes(text.Text().toUtf8());
}

// A JSON string of Text: quotes, backslashes and control characters escaped.
void AppendJsonString(TNESecureText& Json, QStringView Text)
{
    Json.Append(u"\"");
    for (QChar character : Text) {
        const char16_t code = character.unicode();
        if (code == u'"' || code == u'\\') {
            Json.Append(u"\\");
            Json.Append(QStringView(&character, 1));
        } else if (code == u'\n') {
            Json.Append(u"\\n");
        } else if (code == u'\r') {
            Json.Append(u"\\r");
        } else if (code == u'\t') {
            Json.Append(u"\\t");
        } else if (code < 0x20) {
            Json.Append(QStringLiteral("\\u%1").arg(int(code), 4, 16, QLatin1Char('0')));
        } else {
            Json.Append(QStringView(&character, 1));
        }
    }
    Json.Append(u"\"");
}

// Written by hand into a secure text, laid out as Qt's indented JSON: a JSON document keeps copies of every value
// that nothing zeroes.
TNESecureBytes ExportJson(const std::vector<TCliLogin>& Logins)
{
    TNESecureText json(QStringLiteral("[\n"));
    for (std::size_t index = 0; index < Logins.size(); ++index) {
        const TCliLogin& login = Logins[index];
        json.Append(QStringLiteral("    {\n        \"id\": %1,\n").arg(login.ID));
        const std::pair<QStringView, QStringView> fields[] = {
            {u"login", login.Login}, {u"note", login.Note}, {u"password", login.Password}, {u"site", login.Site}};
        for (const auto& [key, value] : fields) {
            json.Append(u"        \"");
            json.Append(key);
            json.Append(u"\": ");
            AppendJsonString(json, value);
            json.Append(key == u"site" ? u"\n" : u",\n");
        }
        json.Append(index + 1 < Logins.size() ? u"    },\n" : u"    }\n");
    }
    json.Append(u"]\n");
    return TNESecureBytes(json.Text().toUtf8());
}

std::vector<TCliLogin> ImportCsv(QByteArrayView Bytes)
{
    std::vector<TCliCsvRecord> records = ParseCsv(TNESecureText(QString::fromUtf8(Bytes)).Text());
    // The fields the logins do not share go now; the logins zero the rest.
    const auto burnFields = qScopeGuard([&] {
        for (TCliCsvRecord& record : records)
            for (QString& field : record.Fields)
                TNESecureText(std::move(field)).Burn();
    });
    if (records.empty() || records.front().Fields != CsvHeader)
        throw ECliCsvErr(QStringLiteral("Line 1: the header line \"%1\" is missing").arg(CsvHeader.join(u',')));
    std::vector<TCliLogin> logins;
    for (auto record = records.begin() + 1; record != records.end(); ++record) {
        const QStringList& fields = record->Fields;
        if (fields.size() != CsvHeader.size())
            throw ECliCsvErr(QStringLiteral("Line %1: %2 fields instead of %3")
                                 .arg(record->Line)
                                 .arg(fields.size())
                                 .arg(CsvHeader.size()));
        logins.push_back({-1, fields[0], fields[1], fields[2], fields[3]});
    }
    return logins;
}

QString JsonText(const QJsonObject& Object, const QString& Key, qsizetype Index)
{
    const QJsonValue value = Object.value(Key);
    if (value.isUndefined() || value.isNull())
        return {};
    if (!value.isString())
        throw ECliImportErr(QStringLiteral("Login %1: \"%2\" is not a text").arg(Index + 1).arg(Key));
    return value.toString();
}

std::vector<TCliLogin> ImportJson(QByteArrayView Bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromRawData(Bytes.data(), Bytes.size()), &error);
    if (error.error != QJsonParseError::NoError)
        throw ECliImportErr(QStringLiteral("Invalid JSON at offset %1: %2").arg(error.offset).arg(error.errorString()));
    if (!document.isArray())
        throw ECliImportErr(QStringLiteral("The JSON text is not an array of logins"));
    const QJsonArray array = document.array();
    std::vector<TCliLogin> logins;
    for (qsizetype index = 0; index < array.size(); ++index) {
        if (!array[index].isObject())
            throw ECliImportErr(QStringLiteral("Login %1 is not an object").arg(index + 1));
        const QJsonObject object = array[index].toObject();
        logins.push_back(
            {-1, JsonText(object, QStringLiteral("site"), index), JsonText(object, QStringLiteral("login"), index),
             JsonText(object, QStringLiteral("password"), index), JsonText(object, QStringLiteral("note"), index)});
    }
    return logins;
}

} // namespace

TCliExchangeFormat ExchangeFormatNamed(const QString& Name)
{
    if (Name == u"csv")
        return TCliExchangeFormat::Csv;
    if (Name == u"json")
        return TCliExchangeFormat::Json;
    throw ECliUsageErr(QStringLiteral("Unknown format \"%1\": csv or json").arg(Name));
}

TNESecureBytes ExportLogins(const std::vector<TCliLogin>& Logins, TCliExchangeFormat Format)
{
    return Format == TCliExchangeFormat::Csv ? ExportCsv(Logins) : ExportJson(Logins);
}

std::vector<TCliLogin> ImportLogins(QByteArrayView Bytes, TCliExchangeFormat Format)
{
    return Format == TCliExchangeFormat::Csv ? ImportCsv(Bytes) : ImportJson(Bytes);
}
