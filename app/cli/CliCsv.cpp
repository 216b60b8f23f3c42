#include "app/cli/CliCsv.h"

#include "foundation/NSecureBuffer.h"

namespace {

bool NeedsQuotes(QStringView Field)
{
    return Field.contains(QLatin1Char(',')) || Field.contains(QLatin1Char('"')) || Field.contains(QLatin1Char('\r')) ||
           Field.contains(QLatin1Char('\n'));
}

// Walks a CSV text field by field, counting lines.
class TCsvReader
{
public:
    explicit TCsvReader(QStringView Text) : Text_(Text)
    {
        if (Text_.startsWith(QChar(0xFEFF)))
            Position_ = 1;
    }

    bool AtEnd() const { return Position_ >= Text_.size(); }
    int Line() const { return Line_; }

    // Reads one record; the position ends after its line end.
    QStringList ReadRecord()
    {
        QStringList fields;
        for (;;) {
            fields += ReadField();
            if (AtEnd())
                return fields;
            if (Text_[Position_] == u',') {
                ++Position_;
                continue;
            }
            SkipLineEnd();
            return fields;
        }
    }

    // An empty line (or the end of a text that ends with a line end) holds no record.
    bool SkipEmptyLine()
    {
        if (LineEndLength() == 0)
            return false;
        SkipLineEnd();
        return true;
    }

private:
    qsizetype LineEndLength() const
    {
        if (Text_.sliced(Position_).startsWith(u"\r\n"))
            return 2;
        return Position_ < Text_.size() && Text_[Position_] == u'\n' ? 1 : 0;
    }

    void SkipLineEnd()
    {
        Position_ += LineEndLength();
        ++Line_;
    }

    QString ReadField() { return !AtEnd() && Text_[Position_] == u'"' ? ReadQuoted() : ReadPlain(); }

    QString ReadPlain()
    {
        const qsizetype begin = Position_;
        while (!AtEnd() && Text_[Position_] != u',' && LineEndLength() == 0) {
            if (Text_[Position_] == u'"')
                throw ECliCsvErr(QStringLiteral("Line %1: a quote inside a field that is not quoted").arg(Line_));
            ++Position_;
        }
        return Text_.sliced(begin, Position_ - begin).toString();
    }

    QString ReadQuoted()
    {
        const int startLine = Line_;
        // Grown in a secure text: the field may be a password.
        TNESecureText field;
        ++Position_;
        for (;;) {
            if (AtEnd())
                throw ECliCsvErr(QStringLiteral("Line %1: a quoted field is not closed").arg(startLine));
            const QChar character = Text_[Position_++];
            if (character == u'\n')
                ++Line_;
            if (character != u'"') {
                field.Append(QStringView(&character, 1));
                continue;
            }
            if (!AtEnd() && Text_[Position_] == u'"') {
                field.Append(QStringView(&character, 1));
                ++Position_;
                continue;
            }
            if (!AtEnd() && Text_[Position_] != u',' && LineEndLength() == 0)
                throw ECliCsvErr(QStringLiteral("Line %1: text after a closing quote").arg(Line_));
            return field.Take();
        }
    }

    QStringView Text_;
    qsizetype Position_ = 0;
    int Line_ = 1;
};

} // namespace

// Grown in a secure text: the fields may be passwords.
QString CsvRecord(const QStringList& Fields)
{
    TNESecureText record;
    for (qsizetype index = 0; index < Fields.size(); ++index) {
        if (index > 0)
            record.Append(u",");
        const QString& field = Fields[index];
        if (!NeedsQuotes(field)) {
            record.Append(field);
            continue;
        }
        record.Append(u"\"");
        for (QChar character : field) {
            record.Append(QStringView(&character, 1));
            if (character == u'"')
                record.Append(u"\"");
        }
        record.Append(u"\"");
    }
    record.Append(u"\r\n");
    return record.Take();
}

std::vector<TCliCsvRecord> ParseCsv(QStringView Text)
{
    std::vector<TCliCsvRecord> records;
    TCsvReader reader(Text);
    while (!reader.AtEnd()) {
        if (reader.SkipEmptyLine())
            continue;
        const int line = reader.Line();
        records.push_back({line, reader.ReadRecord()});
    }
    return records;
}
