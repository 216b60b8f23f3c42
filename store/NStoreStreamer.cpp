#include "store/NStoreStreamer.h"

#include "foundation/NException.h"
#include "foundation/NInteger.h"
#include "foundation/NSecureBuffer.h"
#include "foundation/NStruct.h"
#include "foundation/NXml.h"
#include "store/NLinkRowset.h"
#include "store/NStore.h"
#include "store/NStoreErrors.h"

#include <QIODevice>
#include <QStringBuilder>

#include <algorithm>
#include <limits>

namespace {

// Element and attribute names; read case-sensitively.
constexpr QStringView StoreElement = u"store";
constexpr QStringView RowsetElement = u"rowset";
constexpr QStringView ColumnElement = u"column";
constexpr QStringView DefaultElement = u"default";
constexpr QStringView RowElement = u"row";
constexpr QStringView VersionAttribute = u"version";
constexpr QStringView NameAttribute = u"name";
constexpr QStringView TypeAttribute = u"type";
constexpr QStringView ModeAttribute = u"mode";
constexpr QStringView OrderAttribute = u"order";
constexpr QStringView IdAttribute = u"id";

const QString MasterKeyword = QStringLiteral("MASTER");
const QString LinkKeyword = QStringLiteral("LINK");

// The keywords of an enumeration's values; a value without one is written as an empty item, and a text that is
// none of them reads as 0.
template <typename Value> struct TKeyword
{
    QStringView Text;
    Value Meaning;
};

constexpr TKeyword<TNERowsetMode> ModeKeywords[] = {{u"ACTIVE", rmActive}, {u"STATIC", rmStatic}};
constexpr TKeyword<TNELinkKind> LinkKindKeywords[] = {{u"SHARED", lkShared}, {u"UNIQUE", lkUnique}};
constexpr TKeyword<TNELinkOrder> OrderKeywords[] = {{u"RANKED", loRanked}, {u"SORTED", loSorted}};

template <typename Value, std::size_t Count>
QStringView KeywordOf(const TKeyword<Value> (&Keywords)[Count], Value Meaning)
{
    for (const TKeyword<Value>& keyword : Keywords) {
        if (keyword.Meaning == Meaning)
            return keyword.Text;
    }
    return {};
}

template <typename Value, std::size_t Count> Value MeaningOf(const TKeyword<Value> (&Keywords)[Count], QStringView Text)
{
    for (const TKeyword<Value>& keyword : Keywords) {
        if (keyword.Text == Text)
            return keyword.Meaning;
    }
    return Value(0);
}

// Nesting levels of the document's lines.
constexpr int StoreLevel = 0;
constexpr int RowsetLevel = 1;
constexpr int ContentLevel = 2;

// The longest a field list item grows when encoded: every code unit may become "=" and four digits.
constexpr qsizetype EncodedUnitSize = 5;
// The longest encoded row ID, rank or reference with its terminator.
constexpr qsizetype IntegerItemSize = 12;

std::int32_t ClampToInt32(std::int64_t Value)
{
    return std::int32_t(std::clamp<std::int64_t>(Value, 0, std::numeric_limits<std::int32_t>::max()));
}

bool IsRanked(const TNERowset& Rowset)
{
    return Rowset.EffectiveOrder() == loRanked;
}

// --- Writing ---

QString RowsetNameItems(const TNERowset& Rowset)
{
    if (Rowset.Kind() != rkLink)
        return JoinItems({Rowset.Caption(), Rowset.Name()});
    // A link rowset's name is its target's and source's names, "_" and a suffix; the suffix is what it was made with.
    QString front = Rowset.Name();
    return JoinItems({Rowset.Caption(), SplitLast(u'_', front)});
}

QString RowsetTypeItems(const TNERowset& Rowset)
{
    if (Rowset.Kind() != rkLink)
        return JoinItems({MasterKeyword});
    const auto& links = static_cast<const TNERowset_Link&>(Rowset);
    const TNERowset* target = links.TargetRowset();
    const TNERowset* source = links.SourceRowset();
    return JoinItems({LinkKeyword, KeywordOf(LinkKindKeywords, links.LinkKind()).toString(),
                      target ? target->Name() : QString(), source ? source->Name() : QString()});
}

// No item for a mode without a keyword.
QString RowsetModeItems(TNERowsetMode Mode)
{
    const QStringView keyword = KeywordOf(ModeKeywords, Mode);
    return keyword.isEmpty() ? QString() : JoinItems({keyword.toString()});
}

QString RowsetStartTag(const TNERowset& Rowset)
{
    const QString attributes =
        XmlAttribute(NameAttribute, RowsetNameItems(Rowset)) + XmlAttribute(TypeAttribute, RowsetTypeItems(Rowset)) +
        XmlAttribute(ModeAttribute, RowsetModeItems(Rowset.Mode())) +
        XmlAttribute(OrderAttribute, JoinItems({KeywordOf(OrderKeywords, Rowset.EffectiveOrder()).toString()}));
    return XmlIndent(RowsetLevel) + XmlOpenTag(RowsetElement, attributes);
}

// Row ID, time stamp and, in a ranked link rowset, rank.
QString RowIdItems(const TNERow& Row)
{
    QStringList items{QString::number(Row.ID()), FormatTimeStamp(Row.Modified())};
    if (IsRanked(Row.Rowset()))
        items.append(QString::number(Row.Rank()));
    return JoinItems(items);
}

// The room the encoded values of a row take at most.
qsizetype ValuesCapacity(const TNERow& Row)
{
    const TNERowset& rowset = Row.Rowset();
    qsizetype capacity = 0;
    for (int column = 0; column < rowset.ColumnCount(); ++column) {
        if (rowset.Columns(column).Kind() == ckString)
            capacity += EncodedUnitSize * Row.GetString(column).size() + 1;
        else
            capacity += IntegerItemSize;
    }
    return capacity;
}

// Appends the row's values as a field list: a REF cell as the row ID in decimal (empty for null), a STR cell as its
// text. The encoded texts are zeroed once appended.
void AppendRowValues(TNESecureText& Line, const TNERow& Row)
{
    const TNERowset& rowset = Row.Rowset();
    for (int column = 0; column < rowset.ColumnCount(); ++column) {
        TNESecureText encoded;
        if (rowset.Columns(column).Kind() == ckString)
            encoded = TNESecureText(EncodeItem(Row.GetString(column)));
        else if (Row.GetReferenceID(column) >= 0)
            encoded = TNESecureText(QString::number(Row.GetReferenceID(column)));
        Line.Append(encoded.Text());
        Line.Append(u";");
    }
}

// One row element. The line holds the row's secrets: it is sized once, so that it never moves, and zeroed after
// the writer has copied it. A field list holds no character XML escapes, so the values go in as they are.
void WriteRow(TNEXmlWriter& Writer, const TNERow& Row)
{
    const QString start = XmlIndent(ContentLevel) % u'<' % RowElement % XmlAttribute(IdAttribute, RowIdItems(Row));
    const QString end = XmlCloseTag(RowElement);
    TNESecureText line;
    line.Reserve(start.size() + 1 + ValuesCapacity(Row) + end.size());
    line.Append(start);
    if (Row.Rowset().ColumnCount() == 0) {
        line.Append(u"/>");
    } else {
        line.Append(u">");
        AppendRowValues(line, Row);
        line.Append(end);
    }
    Writer.WriteLine(line.Text());
}

bool IsWritten(const TNERowset& Rowset)
{
    return Rowset.Kind() != rkView;
}

// --- Reading ---

// Documents of version 1 escaped a character of a field list with two hexadecimal digits where version 2 writes
// four; their texts are widened before anyone reads them.
void UpgradeVersion1Text(TNEXmlTextKind Kind, QString& Text)
{
    if (Kind == TNEXmlTextKind::ElementName)
        return;
    // Attribute texts: only an "=" inside a quoted value escapes; the last character is never followed by digits.
    const bool isAttribute = Kind == TNEXmlTextKind::Attribute;
    const qsizetype scanned = isAttribute ? Text.size() - 1 : Text.size();
    qsizetype escapes = 0;
    bool isQuoted = false;
    for (qsizetype index = 0; index < scanned; ++index) {
        if (Text[index] == u'"')
            isQuoted = !isQuoted;
        else if (Text[index] == u'=' && (isQuoted || !isAttribute))
            ++escapes;
    }
    if (escapes == 0)
        return;
    // The text may hold a password: the widened one is sized once and the old one zeroed.
    const TNESecureText old(std::move(Text));
    QString widened;
    widened.reserve(old.Text().size() + 2 * escapes);
    isQuoted = false;
    for (qsizetype index = 0; index < old.Text().size(); ++index) {
        const QChar character = old.Text()[index];
        widened.append(character);
        if (index >= scanned)
            continue;
        if (character == u'"')
            isQuoted = !isQuoted;
        else if (character == u'=' && (isQuoted || !isAttribute))
            widened.append(u"00");
    }
    Text = std::move(widened);
}

// Creates the rowset a start tag describes, active so that its rows can go in; null for a type that is neither
// master nor link.
TNERowset* CreateRowsetOf(TNEStore& Store, QStringView Attributes, QStringView Structure)
{
    const QString type = XmlGetAttribute(TypeAttribute, Attributes);
    const QString name = XmlGetAttribute(NameAttribute, Attributes);
    const QString kind = ItemAt(0, type);
    if (kind == MasterKeyword)
        return Store.FindRowset(Store.CreateRowset(ItemAt(0, name), ItemAt(1, name), Structure, rmActive));
    if (kind == LinkKeyword) {
        const TNELinkOrder order = MeaningOf(OrderKeywords, ItemAt(0, XmlGetAttribute(OrderAttribute, Attributes)));
        const TNELinkKind linkKind = MeaningOf(LinkKindKeywords, ItemAt(1, type));
        return Store.FindRowset(Store.CreateLinkRowset(ItemAt(0, name), ItemAt(2, type), order, linkKind, rmActive,
                                                       ItemAt(1, name), ItemAt(3, type)));
    }
    return nullptr;
}

// Inserts a row with the ID, time stamp and rank its id attribute records. An ID that is not a number, or lies
// beyond the row IDs, gives the rowset's next ID.
void LoadRow(TNERowset& Rowset, QStringView IdItems, QStringView Values)
{
    qsizetype position = 0;
    const std::int32_t requestedID = ParseInteger(NextItem(position, IdItems), -1);
    const TNETimeStamp stamp = ParseTimeStamp(NextItem(position, IdItems));
    const std::int32_t rank = ParseInteger(NextItem(position, IdItems), 0);
    TNERow& row = *Rowset.FindRow(Rowset.InsertRow(Values, requestedID));
    if (CompareTimeStamps(stamp, MinTimeStamp) > 0)
        row.LoadModified(stamp);
    if (rank != 0 && Rowset.Kind() == rkLink)
        static_cast<TNERow_Link&>(row).LoadRank(rank);
}

} // namespace

bool TNEStoreStreamer::IsAborted(std::int64_t Position, std::int64_t Total) const
{
    bool abort = false;
    if (OnProgress)
        OnProgress(ClampToInt32(Position), ClampToInt32(Total), abort);
    return abort;
}

void TNEStoreStreamer::WriteStore(TNEStore& Store, QIODevice& Stream)
{
    // Progress counts the rows that are written, so that it ends at Total.
    std::int64_t total = 0;
    Store.Rowsets().ForEach([&](std::int32_t, TNERowset* Rowset, bool&) {
        if (IsWritten(*Rowset))
            total += Rowset->RowCount();
    });

    TNEXmlWriter writer;
    writer.WriteLine(XmlDeclaration());
    writer.WriteLine(XmlIndent(StoreLevel) +
                     XmlOpenTag(StoreElement, XmlAttribute(VersionAttribute, QString::number(WrittenVersion))));
    std::int64_t written = 0;
    TNERowsetIterator rowsets(Store);
    for (rowsets.First(); !rowsets.IsDone(); rowsets.Next()) {
        TNERowset& rowset = *rowsets.Current();
        if (!IsWritten(rowset))
            continue;
        writer.WriteLine(RowsetStartTag(rowset));
        for (int column = 0; column < rowset.ColumnCount(); ++column)
            writer.WriteLine(XmlIndent(ContentLevel) +
                             XmlElement(ColumnElement, {}, rowset.Columns(column).Descriptor()));
        const QString defaults = rowset.GetDefaults();
        if (!defaults.isEmpty())
            writer.WriteLine(XmlIndent(ContentLevel) + XmlElement(DefaultElement, {}, defaults));
        TNERowIterator rows(rowset);
        for (rows.First(); !rows.IsDone(); rows.Next()) {
            WriteRow(writer, *rows.Current());
            if (IsAborted(++written, total))
                throw ENEAbort();
        }
        writer.WriteLine(XmlIndent(RowsetLevel) + XmlCloseTag(RowsetElement));
    }
    writer.WriteLine(XmlIndent(StoreLevel) + XmlCloseTag(StoreElement));
    writer.SaveToStream(Stream);
}

void TNEStoreStreamer::ReadStore(TNEStore& Store, QIODevice& Stream)
{
    Version_ = 0;
    TNEXmlParser parser;
    parser.LoadFromStream(Stream);
    parser.FindElement(StoreElement);
    if (parser.Eof())
        return;
    Version_ = ParseInteger(XmlGetAttribute(VersionAttribute, parser.AttributeText()),
                            std::numeric_limits<std::int32_t>::max());
    if (Version_ < 1 || Version_ > WrittenVersion)
        return;
    if (Version_ == 1)
        parser.OnRead = TNEXmlParser::TReadEvent(&UpgradeVersion1Text);

    parser.NextElement();
    while (!parser.Eof()) {
        // The writer closes every rowset: one the document ends inside has lost its last rows, and reading on
        // would load the rows before the cut as if they were all.
        if (parser.ElementName() == RowsetElement && !parser.HasClosingTag())
            throw ENEStoreIncompleteErr();
        const QString attributes = parser.AttributeText();
        parser.NextElement();
        QString structure;
        for (; !parser.Eof() && parser.ElementName() == ColumnElement; parser.NextElement())
            AppendItem(structure, parser.ElementText());
        TNERowset* rowset = CreateRowsetOf(Store, attributes, structure);
        if (!rowset)
            continue;
        for (; !parser.Eof() && parser.ElementName() == DefaultElement; parser.NextElement())
            rowset->SetDefaults(parser.ElementText());
        const TNERowsetMode mode = MeaningOf(ModeKeywords, ItemAt(0, XmlGetAttribute(ModeAttribute, attributes)));
        while (!parser.Eof() && parser.ElementName() == RowElement) {
            const TNESecureText values(parser.ElementText());
            LoadRow(*rowset, XmlGetAttribute(IdAttribute, parser.AttributeText()), values.Text());
            parser.NextElement();
            if (IsAborted(parser.Eof() ? parser.Size() : parser.Offset(), parser.Size())) {
                rowset->SetMode(mode);
                throw ENEAbort();
            }
        }
        rowset->SetMode(mode);
    }
}
