#include "foundation/NXml.h"

#include "foundation/NException.h"

#include <QBuffer>
#include <QIODevice>
#include <QStringBuilder>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <strings.h>
#include <unordered_map>
#include <vector>

namespace {

struct TEntity
{
    char16_t Character;
    QStringView Text;
};

constexpr TEntity Entities[] = {
    {u'&', u"&amp;"}, {u'<', u"&lt;"}, {u'>', u"&gt;"}, {u'"', u"&quot;"}, {u'\'', u"&apos;"},
};

const TEntity* EntityOfCharacter(QChar Character)
{
    for (const TEntity& entity : Entities) {
        if (entity.Character == Character.unicode())
            return &entity;
    }
    return nullptr;
}

const TEntity* EntityAt(QStringView Text)
{
    for (const TEntity& entity : Entities) {
        if (Text.startsWith(entity.Text))
            return &entity;
    }
    return nullptr;
}

// Reads the rest of a device into secure bytes, straight into their storage.
TNESecureBytes ReadRemainder(QIODevice& Source)
{
    TNESecureBytes bytes;
    bytes.Reserve(std::max<qsizetype>(Source.bytesAvailable(), 4096));
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.Bytes().capacity())
            bytes.Reserve(filled + 1);
        bytes.Bytes().resize(bytes.Bytes().capacity());
        const qint64 count = Source.read(bytes.Bytes().data() + filled, bytes.Bytes().size() - filled);
        if (count < 0)
            throw ENESystemErr(Source.errorString());
        if (count == 0)
            break;
        filled += count;
    }
    bytes.Bytes().resize(filled);
    return bytes;
}

// The single-byte form of a text: the low byte of every code unit.
void StoreLowBytes(QStringView Text, char* Destination)
{
    for (QChar character : Text)
        *Destination++ = char(character.unicode() & 0xFF);
}

const char* FindFirstOf(const char* From, const char* End, std::string_view Bytes)
{
    return std::find_first_of(From, End, Bytes.begin(), Bytes.end());
}

} // namespace

QString XmlDeclaration()
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
}

QString XmlIndent(int Level)
{
    return QString(2 * std::max(Level, 0), u' ');
}

QString XmlAttribute(QStringView Name, QStringView Value)
{
    if (Name.isEmpty())
        return {};
    return u' ' % Name % u"=\"" % XmlEscape(Value) % u'"';
}

QString XmlElement(QStringView Name, QStringView AttributeText, QStringView Content)
{
    if (Content.isEmpty())
        return u'<' % Name % AttributeText % u"/>";
    return u'<' % Name % AttributeText % u'>' % XmlEscape(Content) % u"</" % Name % u'>';
}

QString XmlOpenTag(QStringView Name, QStringView AttributeText)
{
    return u'<' % Name % AttributeText % u'>';
}

QString XmlCloseTag(QStringView Name)
{
    return u"</" % Name % u'>';
}

// Both directions size the result once, so that escaped secrets are never left behind by a growing string.
QString XmlEscape(QStringView Text)
{
    qsizetype escapedSize = Text.size();
    for (QChar character : Text) {
        if (const TEntity* entity = EntityOfCharacter(character))
            escapedSize += entity->Text.size() - 1;
    }
    if (escapedSize == Text.size())
        return Text.toString();
    QString result;
    result.reserve(escapedSize);
    for (QChar character : Text) {
        if (const TEntity* entity = EntityOfCharacter(character))
            result.append(entity->Text);
        else
            result.append(character);
    }
    return result;
}

QString XmlUnescape(QStringView Text)
{
    QString result;
    result.reserve(Text.size());
    qsizetype index = 0;
    while (index < Text.size()) {
        if (Text[index] != u'&') {
            result.append(Text[index++]);
        } else if (const TEntity* entity = EntityAt(Text.sliced(index))) {
            result.append(QChar(entity->Character));
            index += entity->Text.size();
        } else {
            ++index;
        }
    }
    return result;
}

QString XmlGetAttribute(QStringView Name, QStringView AttributeText)
{
    const QString needle = Name % u'=';
    qsizetype quotesBefore = 0;
    qsizetype quotesCountedTo = 0;
    for (qsizetype from = 0;; ++from) {
        const qsizetype at = AttributeText.indexOf(needle, from);
        if (at < 0)
            return {};
        quotesBefore += AttributeText.sliced(quotesCountedTo, at - quotesCountedTo).count(u'"');
        quotesCountedTo = at;
        if (quotesBefore % 2 != 0) {
            from = at;
            continue;
        }
        const qsizetype open = AttributeText.indexOf(u'"', at + needle.size());
        const qsizetype close = open < 0 ? -1 : AttributeText.indexOf(u'"', open + 1);
        if (close < 0)
            return {};
        return XmlUnescape(AttributeText.sliced(open + 1, close - open - 1));
    }
}

void TNEXmlWriter::WriteLine(QStringView Text)
{
    QByteArray& stream = Stream_.Bytes();
    const qsizetype start = stream.size();
    const qsizetype needed = start + Text.size() + 2;
    Stream_.Reserve(needed);
    stream.resize(needed);
    char* line = stream.data() + start;
    StoreLowBytes(Text, line);
    line[Text.size()] = '\r';
    line[Text.size() + 1] = '\n';
}

void TNEXmlWriter::SaveToStream(QIODevice& Destination) const
{
    if (Destination.write(Stream_.Bytes()) != Stream_.Bytes().size())
        throw ENESystemErr(Destination.errorString());
}

// Where the closing tags of each name lie, found in one pass over the document, so that finding the closing tag
// of an element never rescans the rest of the document, however many elements lack one.
class TNEXmlClosingTags
{
public:
    // A closing tag is "</" followed by the name and the next ">". Names never hold a "/", so a "/" on the way
    // rules a candidate out and only the last "</" before a ">" can be one.
    TNEXmlClosingTags(const char* Begin, const char* End)
    {
        const char* nameStart = nullptr;
        for (const char* byte = Begin; byte < End; ++byte) {
            if (*byte == '<' && byte + 1 < End && byte[1] == '/') {
                nameStart = ++byte + 1;
            } else if (*byte == '/') {
                nameStart = nullptr;
            } else if (*byte == '>' && nameStart) {
                TagsByName_[std::string_view(nameStart, size_t(byte - nameStart))].push_back(nameStart - 2);
                nameStart = nullptr;
            }
        }
    }

    // The "<" of the first closing tag of Name that starts at or after From, or null.
    const char* Find(std::string_view Name, const char* From) const
    {
        const auto tags = TagsByName_.find(Name);
        if (tags == TagsByName_.end())
            return nullptr;
        const auto next = std::lower_bound(tags->second.begin(), tags->second.end(), From);
        return next == tags->second.end() ? nullptr : *next;
    }

private:
    std::unordered_map<std::string_view, std::vector<const char*>> TagsByName_;
};

TNEXmlParser::TNEXmlParser() = default;

TNEXmlParser::~TNEXmlParser()
{
    Discard();
}

void TNEXmlParser::Discard()
{
    ClosingTags_.reset();
    // Zeroed when this parser holds the last reference, whether the bytes were read or shared with a QBuffer
    // whose owner has since let go of them.
    Buffer_.Burn();
    Begin_ = End_ = Position_ = nullptr;
    TagEndSearchedFrom_ = TagEndFound_ = nullptr;
    Name_ = {};
    EmptyElement_ = true;
}

void TNEXmlParser::LoadFromStream(QIODevice& Source)
{
    Discard();
    qsizetype start = 0;
    if (auto* shared = qobject_cast<QBuffer*>(&Source)) {
        Buffer_ = TNESecureBytes(shared->buffer());
        start = std::clamp<qsizetype>(shared->pos(), 0, Buffer_.Bytes().size());
        if (shared->isOpen())
            shared->seek(Buffer_.Bytes().size());
    } else {
        Buffer_ = ReadRemainder(Source);
    }
    const QByteArray& bytes = Buffer_.Bytes();
    Begin_ = bytes.constData() + start;
    End_ = bytes.constData() + bytes.size();
    Reset();
}

void TNEXmlParser::Reset()
{
    EmptyElement_ = true;
    Name_ = {};
    Position_ = Begin_ != End_ ? Begin_ : nullptr;
}

void TNEXmlParser::NextElement()
{
    while (Position_) {
        const char* open = static_cast<const char*>(std::memchr(Position_, '<', size_t(End_ - Position_)));
        if (!open) {
            Position_ = nullptr;
            return;
        }
        const char* nameStart = open + 1;
        if (nameStart < End_ && *nameStart == '/') {
            Position_ = nameStart;
            continue;
        }
        EmptyElement_ = false;
        const char* nameEnd = FindFirstOf(nameStart, End_, " />");
        if (nameEnd == End_) {
            Position_ = nullptr;
            return;
        }
        Name_ = QByteArrayView(nameStart, nameEnd);
        Position_ = nameEnd;
        const char* tagEnd = TagEnd(Position_);
        if (tagEnd == End_)
            Position_ = nullptr;
        else if (*tagEnd == '/')
            EmptyElement_ = true;
        return;
    }
}

const char* TNEXmlParser::TagEnd(const char* From)
{
    const bool isCached = TagEndSearchedFrom_ && TagEndSearchedFrom_ <= From && From <= TagEndFound_;
    if (!isCached) {
        TagEndSearchedFrom_ = From;
        TagEndFound_ = FindFirstOf(From, End_, "/>");
    }
    return TagEndFound_;
}

QString TNEXmlParser::Handed(TNEXmlTextKind Kind, QString Text) const
{
    if (OnRead)
        OnRead(Kind, Text);
    return Text;
}

QString TNEXmlParser::ElementName()
{
    return Handed(TNEXmlTextKind::ElementName, QString::fromLatin1(Name_));
}

QString TNEXmlParser::AttributeText()
{
    if (!Position_)
        return {};
    const char* tagEnd = TagEnd(Position_);
    if (tagEnd == End_)
        return {};
    return Handed(TNEXmlTextKind::Attribute, QString::fromLatin1(Position_, tagEnd - Position_));
}

const char* TNEXmlParser::ClosingTag(const QString& Name, const char* ContentStart)
{
    if (!ClosingTags_)
        ClosingTags_ = std::make_unique<TNEXmlClosingTags>(Begin_, End_);
    QByteArray nameBytes(Name.size(), Qt::Uninitialized);
    StoreLowBytes(Name, nameBytes.data());
    return ClosingTags_->Find(std::string_view(nameBytes.constData(), size_t(nameBytes.size())), ContentStart);
}

QString TNEXmlParser::ElementText()
{
    const QString name = ElementName();
    if (!Position_ || EmptyElement_)
        return {};
    // The start tag of a non-empty element ends with ">".
    const char* contentStart = TagEnd(Position_) + 1;
    const char* closingTag = ClosingTag(name, contentStart);
    QString text;
    if (closingTag)
        text = QString::fromLatin1(contentStart, closingTag - contentStart);
    return Handed(TNEXmlTextKind::ElementText, std::move(text));
}

bool TNEXmlParser::HasClosingTag()
{
    if (!Position_ || EmptyElement_)
        return true;
    return ClosingTag(ElementName(), TagEnd(Position_) + 1) != nullptr;
}

void TNEXmlParser::FindElement(QStringView Name)
{
    while (Position_ && ElementName() != Name)
        NextElement();
}
