#include "foundation/NXml.h"

#include "foundation/NException.h"
#include "tests/support/TestData.h"

#include <QBuffer>
#include <QByteArray>
#include <QRandomGenerator>
#include <QString>

#include <gtest/gtest.h>
#include <memory>
#include <vector>

// Readable failure messages for texts.
void PrintTo(const QString& Text, std::ostream* Out)
{
    *Out << '"' << Text.toStdString() << '"';
}

namespace {

struct TElement
{
    QString Name;
    QString Attributes;
    QString Text;
    bool Empty = false;

    friend bool operator==(const TElement&, const TElement&) = default;
    friend std::ostream& operator<<(std::ostream& Out, const TElement& Element)
    {
        return Out << '{' << Element.Name.toStdString() << " | " << Element.Attributes.toStdString() << " | "
                   << Element.Text.toStdString() << (Element.Empty ? " | empty}" : "}");
    }
};

// A parser over an exact-size copy of the bytes, so that the sanitizers see any read past the document's end.
class TParsedBytes
{
public:
    explicit TParsedBytes(QByteArrayView Document, qsizetype Start = 0)
        : Storage_(std::make_unique<char[]>(size_t(Document.size()))),
          Bytes_(QByteArray::fromRawData(Storage_.get(), Document.size()))
    {
        std::copy(Document.begin(), Document.end(), Storage_.get());
        Buffer_.setBuffer(&Bytes_);
        Buffer_.open(QIODevice::ReadOnly);
        Buffer_.seek(Start);
        Parser.LoadFromStream(Buffer_);
    }

    std::vector<TElement> Walk()
    {
        std::vector<TElement> elements;
        for (Parser.NextElement(); !Parser.Eof(); Parser.NextElement())
            elements.push_back(
                {Parser.ElementName(), Parser.AttributeText(), Parser.ElementText(), Parser.EmptyElement()});
        return elements;
    }

    TNEXmlParser Parser;

private:
    std::unique_ptr<char[]> Storage_;
    QByteArray Bytes_;
    QBuffer Buffer_;
};

std::vector<TElement> Walk(QByteArrayView Document)
{
    return TParsedBytes(Document).Walk();
}

QByteArray Written(const QStringList& Lines)
{
    TNEXmlWriter writer;
    for (const QString& line : Lines)
        writer.WriteLine(line);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writer.SaveToStream(buffer);
    return bytes;
}

// A small store document in the layout the store streamer writes.
QByteArray StoreDocument()
{
    return Written({
        XmlDeclaration(),
        XmlOpenTag(u"store", XmlAttribute(u"version", u"2")),
        XmlIndent(1) +
            XmlOpenTag(u"rowset", XmlAttribute(u"name", u"Login;LOGIN;") + XmlAttribute(u"type", u"MASTER;")),
        XmlIndent(2) + XmlElement(u"column", {}, u"Site=0020name;SITE=005FNAME;STR;260;"),
        XmlIndent(2) + XmlElement(u"row", XmlAttribute(u"id", u"0;20240301091500250;"), u"a&b;"),
        XmlIndent(2) + XmlElement(u"row", XmlAttribute(u"id", u"1;20240302180559000;"), {}),
        XmlIndent(1) + XmlCloseTag(u"rowset"),
        XmlCloseTag(u"store"),
    });
}

const std::vector<TElement> StoreElements = {
    {"?xml", " version=\"1.0\" encoding=\"UTF-8\"?", "", false},
    {"store", " version=\"2\"",
     "\r\n  <rowset name=\"Login;LOGIN;\" type=\"MASTER;\">\r\n"
     "    <column>Site=0020name;SITE=005FNAME;STR;260;</column>\r\n"
     "    <row id=\"0;20240301091500250;\">a&amp;b;</row>\r\n"
     "    <row id=\"1;20240302180559000;\"/>\r\n  </rowset>\r\n",
     false},
    {"rowset", " name=\"Login;LOGIN;\" type=\"MASTER;\"",
     "\r\n    <column>Site=0020name;SITE=005FNAME;STR;260;</column>\r\n"
     "    <row id=\"0;20240301091500250;\">a&amp;b;</row>\r\n    <row id=\"1;20240302180559000;\"/>\r\n  ",
     false},
    {"column", "", "Site=0020name;SITE=005FNAME;STR;260;", false},
    {"row", " id=\"0;20240301091500250;\"", "a&amp;b;", false},
    {"row", " id=\"1;20240302180559000;\"", "", true},
};

} // namespace

TEST(NXml, FormattingRoutinesGiveTheExactTexts)
{
    const struct
    {
        QString Actual;
        QString Expected;
    } cases[] = {
        {XmlDeclaration(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"},
        {XmlIndent(0), ""},
        {XmlIndent(2), "    "},
        {XmlIndent(-1), ""},
        {XmlAttribute(u"", u"value"), ""},
        {XmlAttribute(u"id", u""), " id=\"\""},
        {XmlAttribute(u"id", u"a&b\"c"), " id=\"a&amp;b&quot;c\""},
        {XmlElement(u"row", u"", u""), "<row/>"},
        {XmlElement(u"row", u"", u"x<y"), "<row>x&lt;y</row>"},
        {XmlElement(u"row", u" id=\"1\"", u""), "<row id=\"1\"/>"},
        {XmlElement(u"row", u" id=\"1\"", u"a"), "<row id=\"1\">a</row>"},
        {XmlOpenTag(u"store", u" version=\"2\""), "<store version=\"2\">"},
        {XmlOpenTag(u"rowset", u""), "<rowset>"},
        {XmlCloseTag(u"store"), "</store>"},
    };
    for (const auto& testCase : cases)
        EXPECT_EQ(testCase.Actual, testCase.Expected);
}

TEST(NXml, EscapingReplacesExactlyTheFiveCharactersAndUnescapingUndoesIt)
{
    const struct
    {
        QString Plain;
        QString Escaped;
    } cases[] = {
        {"", ""},
        {"plain text", "plain text"},
        {"&<>\"'", "&amp;&lt;&gt;&quot;&apos;"},
        {"a&b", "a&amp;b"},
        {"&amp;", "&amp;amp;"},
        {"tab\tline\r\nnul" + QString(QChar(0)) + "\x01", "tab\tline\r\nnul" + QString(QChar(0)) + "\x01"},
        {QString::fromUtf8("caf\u00e9 \u0416"), QString::fromUtf8("caf\u00e9 \u0416")},
        {QString(1000, u'&'), QString("&amp;").repeated(1000)},
        {QString(59, u'x') + "<" + QString(70, u'"'), QString(59, u'x') + "&lt;" + QString("&quot;").repeated(70)},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(XmlEscape(testCase.Plain), testCase.Escaped) << testCase.Plain.left(80).toStdString();
        EXPECT_EQ(XmlUnescape(testCase.Escaped), testCase.Plain) << testCase.Escaped.left(80).toStdString();
    }
}

TEST(NXml, UnescapingDropsAnAmpersandThatStartsNoEntity)
{
    const struct
    {
        const char* Escaped;
        const char* Plain;
    } cases[] = {
        {"a&b", "ab"},
        {"&", ""},
        {"&amp", "amp"},
        {"&unknown;", "unknown;"},
        {"&&lt;", "<"},
        {"&amp;lt;", "&lt;"},
        {"&#65;", "#65;"},
        {"&AMP;", "AMP;"},
        {"&lt &gt;", "lt >"},
        {"x&", "x"},
        {"&quot&quot;", "quot\""},
    };
    for (const auto& testCase : cases)
        EXPECT_EQ(XmlUnescape(QString::fromLatin1(testCase.Escaped)), testCase.Plain) << testCase.Escaped;
}

TEST(NXml, GetAttributeFindsTheRealAttributeOutsideQuotedValues)
{
    const struct
    {
        const char* Name;
        const char* Text;
        const char* Expected;
    } cases[] = {
        {"id", " id=\"7\"", "7"},
        {"type", " name=\"type=LINK\" type=\"MASTER;\"", "MASTER;"},
        {"mode", " name=\"a\" type=\"mode=x\" mode=\"ACTIVE;\"", "ACTIVE;"},
        {"name", " name=\"a&amp;b\"", "a&b"},
        {"name", " name=\"&lt;&quot;&gt;\"", "<\">"},
        {"order", " name=\"a\"", ""},
        {"name", " name=\"\" type=\"x\"", ""},
        {"name", " name=\"unterminated", ""},
        {"name", " name=", ""},
        {"Name", " name=\"a\"", ""},
        {"name", " name = \"a\"", ""},
        {"type", " name=\"type=\"", ""},
        {"id", "", ""},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(XmlGetAttribute(QString::fromLatin1(testCase.Name), QString::fromLatin1(testCase.Text)),
                  testCase.Expected)
            << testCase.Name << " in " << testCase.Text;
    }
}

TEST(NXmlWriter, WritesOneBytePerCodeUnitAndEndsEveryLineWithCrLf)
{
    const struct
    {
        QStringList Lines;
        QByteArray Bytes;
    } cases[] = {
        {{}, ""},
        {{""}, "\r\n"},
        {{"<store version=\"2\">", "</store>"}, "<store version=\"2\">\r\n</store>\r\n"},
        {{QString::fromUtf8("\u00e9\u0416\u0100")}, QByteArray("\xE9\x16\x00\r\n", 5)},
        {{QString(100000, u'x')}, QByteArray(100000, 'x') + "\r\n"},
    };
    for (const auto& testCase : cases)
        EXPECT_EQ(Written(testCase.Lines), testCase.Bytes);
}

TEST(NXmlWriter, SavesAtTheDestinationsPosition)
{
    TNEXmlWriter writer;
    writer.WriteLine(u"<a/>");
    QByteArray payload("a0");
    QBuffer buffer(&payload);
    buffer.open(QIODevice::ReadWrite);
    buffer.seek(2);
    writer.SaveToStream(buffer);
    writer.SaveToStream(buffer);
    EXPECT_EQ(payload, "a0<a/>\r\n<a/>\r\n");
    EXPECT_EQ(buffer.pos(), payload.size());

    QBuffer readOnly(&payload);
    readOnly.open(QIODevice::ReadOnly);
    EXPECT_THROW(writer.SaveToStream(readOnly), ENESystemErr);
}

TEST(NXmlParser, WalksEveryElementWithItsRawAttributesAndText)
{
    EXPECT_EQ(Walk(StoreDocument()), StoreElements);
}

TEST(NXmlParser, IgnoresFillerBeforeAndAfterTheDocument)
{
    const QByteArray document = StoreDocument();
    for (const QByteArray& lead : {QByteArray(), QByteArray("a0"), QByteArray("Zq8x3kLm")}) {
        for (const QByteArray& tail : {QByteArray(), QByteArray("7"), QByteArray("xY4Tz0a")})
            EXPECT_EQ(Walk(lead + document + tail), StoreElements) << lead.data() << " / " << tail.data();
    }
}

TEST(NXmlParser, StartsAtTheBuffersPositionAndMeasuresFromThere)
{
    const QByteArray document = StoreDocument();
    TParsedBytes parsed("a0" + document, 2);
    EXPECT_EQ(parsed.Parser.Size(), document.size());
    EXPECT_EQ(parsed.Parser.Offset(), 0);
    EXPECT_FALSE(parsed.Parser.Eof());
    parsed.Parser.FindElement(u"column");
    EXPECT_EQ(parsed.Parser.Offset(), document.indexOf("<column") + qsizetype(strlen("<column")));
    EXPECT_EQ(parsed.Walk().size(), 2u);
    EXPECT_EQ(parsed.Parser.Offset(), 0);
}

TEST(NXmlParser, FindElementMatchesNamesExactlyFromTheCurrentElementOn)
{
    TParsedBytes parsed(StoreDocument());
    TNEXmlParser& parser = parsed.Parser;
    parser.FindElement(u"row");
    EXPECT_EQ(parser.AttributeText(), " id=\"0;20240301091500250;\"");
    parser.FindElement(u"row");
    EXPECT_EQ(parser.AttributeText(), " id=\"0;20240301091500250;\"");
    parser.NextElement();
    parser.FindElement(u"row");
    EXPECT_TRUE(parser.EmptyElement());
    parser.FindElement(u"store");
    EXPECT_TRUE(parser.Eof());

    parser.Reset();
    EXPECT_TRUE(parser.EmptyElement());
    EXPECT_EQ(parser.ElementName(), "");
    for (const char16_t* missing : {u"Row", u"ro", u"rows", u"xml"}) {
        parser.Reset();
        parser.FindElement(missing);
        EXPECT_TRUE(parser.Eof());
        EXPECT_EQ(parser.Offset(), 0);
    }
}

TEST(NXmlParser, ReadsEachElementTextUpToTheFirstClosingTagOfItsName)
{
    const struct
    {
        QByteArray Document;
        std::vector<TElement> Elements;
    } cases[] = {
        {"<a>x</a>", {{"a", "", "x", false}}},
        {"<a></a>", {{"a", "", "", false}}},
        {"<a/>", {{"a", "", "", true}}},
        {"<a x=\"1/2\">t</a>", {{"a", " x=\"1", "", true}}},
        {"<a><a>x</a>", {{"a", "", "<a>x", false}, {"a", "", "x", false}}},
        {"<row>x</rowset>", {{"row", "", "", false}}},
        {"<row>x</ro>", {{"row", "", "", false}}},
        {"<a>1</a</a>", {{"a", "", "1</a", false}}},
        {"<a>1</b/a>2</a>", {{"a", "", "1</b/a>2", false}}},
        {"<a\tb>x</a\tb>", {{"a\tb", "", "x", false}}},
        {"<a<b>x</a<b>", {{"a<b", "", "x", false}, {"b", "", "", false}}},
        {"< x>y</>", {{"", " x", "y", false}}},
        {"<a>x</a ><b>y</b>", {{"a", "", "", false}, {"b", "", "y", false}}},
        {"<a b=\"<c>\">t</a>", {{"a", " b=\"<c", "\">t", false}, {"c", "", "", false}}},
        {"</a><a>\r\nx\r\n</a>", {{"a", "", "\r\nx\r\n", false}}},
    };
    for (const auto& testCase : cases)
        EXPECT_EQ(Walk(testCase.Document), testCase.Elements) << testCase.Document.data();
}

TEST(NXmlParser, HandsEveryTextToOnReadWhichMayChangeIt)
{
    struct TRecorder
    {
        QStringList Seen;
        void Read(TNEXmlTextKind Kind, QString& Text)
        {
            Seen << QString::number(int(Kind)) + ':' + Text;
            if (Kind != TNEXmlTextKind::ElementName)
                Text.replace(QStringLiteral("="), QStringLiteral("=00"));
        }
    } recorder;
    TParsedBytes parsed("<?xml?><store><a k=\"=1\">v=2</a><b/></store>");
    TNEXmlParser& parser = parsed.Parser;
    parser.OnRead = TNEXmlParser::TReadEvent(&recorder, &TRecorder::Read);

    EXPECT_EQ(parser.ElementText(), "");
    parser.FindElement(u"a");
    EXPECT_EQ(parser.AttributeText(), " k=00\"=001\"");
    EXPECT_EQ(parser.ElementText(), "v=002");
    parser.NextElement();
    EXPECT_EQ(parser.ElementText(), "");
    parser.NextElement();
    parser.NextElement();
    ASSERT_TRUE(parser.Eof());
    EXPECT_EQ(parser.AttributeText(), "");
    EXPECT_EQ(recorder.Seen,
              QStringList({"2:", "2:", "2:?xml?", "2:store", "2:a", "0: k=\"=1\"", "2:a", "1:v=2", "2:b"}));
}

TEST(NXmlParser, LeavesNoDocumentForAnEmptyStream)
{
    TParsedBytes parsed("");
    EXPECT_TRUE(parsed.Parser.Eof());
    EXPECT_EQ(parsed.Parser.Size(), 0);
    EXPECT_TRUE(parsed.Walk().empty());
    EXPECT_EQ(parsed.Parser.ElementText(), "");
    EXPECT_EQ(parsed.Parser.AttributeText(), "");

    TParsedBytes atTheEnd("<a/>", 4);
    EXPECT_TRUE(atTheEnd.Parser.Eof());
}

namespace {

// A device handing out its bytes a few at a time, as a pipe would, or failing after them.
class TTrickleDevice : public QIODevice
{
public:
    TTrickleDevice(QByteArray Bytes, bool FailsAtTheEnd) : Bytes_(std::move(Bytes)), FailsAtTheEnd_(FailsAtTheEnd)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* Data, qint64 MaxSize) override
    {
        if (Read_ == Bytes_.size())
            return FailsAtTheEnd_ ? -1 : 0;
        const qint64 count = std::min<qint64>({MaxSize, 777, Bytes_.size() - Read_});
        std::copy_n(Bytes_.constData() + Read_, count, Data);
        Read_ += count;
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray Bytes_;
    bool FailsAtTheEnd_;
    qsizetype Read_ = 0;
};

} // namespace

TEST(NXmlParser, ReadsOtherDevicesToTheirEnd)
{
    QByteArray document = StoreDocument();
    while (document.size() < 20000)
        document.insert(document.indexOf("  </rowset>"), "    <row id=\"9;\"/>\r\n");

    TTrickleDevice device(document, false);
    TNEXmlParser parser;
    parser.LoadFromStream(device);
    EXPECT_EQ(parser.Size(), document.size());
    parser.FindElement(u"store");
    EXPECT_TRUE(parser.ElementText().endsWith("<row id=\"9;\"/>\r\n  </rowset>\r\n"));

    TTrickleDevice failing(document, true);
    EXPECT_THROW(parser.LoadFromStream(failing), ENESystemErr);
    EXPECT_TRUE(parser.Eof());
}

namespace {

// The closing-tag search exactly as stated: each "<" from the end of the start tag on, followed by "/" and the
// name up to the next ">". Slow, and therefore only for checking the parser on small documents.
QString ReferenceElementText(QByteArrayView Document, qsizetype Offset, const QByteArray& Name)
{
    const auto firstAfterName = [&](char Byte) {
        const qsizetype at = Document.indexOf(Byte, Offset);
        return at < 0 ? Document.size() : at;
    };
    const qsizetype tagEnd = std::min(firstAfterName('/'), firstAfterName('>'));
    if (tagEnd == Document.size() || Document[tagEnd] == '/')
        return {};
    for (qsizetype open = Document.indexOf('<', tagEnd + 1); open >= 0; open = Document.indexOf('<', open + 1)) {
        const qsizetype close = Document.indexOf('>', open + 1);
        if (open + 1 < Document.size() && Document[open + 1] == '/' && close >= 0 &&
            Document.sliced(open + 2, close - open - 2) == Name)
            return QString::fromLatin1(Document.sliced(tagEnd + 1, open - tagEnd - 1));
    }
    return {};
}

} // namespace

TEST(NXmlParser, ReadsTheSameCompleteElementsFromADocumentTruncatedAnywhere)
{
    for (const char* vector : {"vectors/vault-a.plain", "vectors/vault-b.plain"}) {
        const QByteArray document = ReadTestData(vector);
        const std::vector<TElement> complete = Walk(document);
        ASSERT_GT(complete.size(), 4u);
        for (qsizetype length = 0; length <= document.size(); ++length) {
            const std::vector<TElement> elements = Walk(QByteArrayView(document).first(length));
            ASSERT_LE(elements.size(), complete.size());
            for (size_t index = 0; index < elements.size(); ++index) {
                const TElement& element = elements[index];
                EXPECT_EQ(element.Name, complete[index].Name) << vector << " cut at " << length;
                EXPECT_EQ(element.Attributes, complete[index].Attributes) << vector << " cut at " << length;
                EXPECT_EQ(element.Empty, complete[index].Empty) << vector << " cut at " << length;
                EXPECT_TRUE(element.Text.isEmpty() || element.Text == complete[index].Text)
                    << vector << " cut at " << length;
            }
        }
        EXPECT_EQ(Walk(document.first(document.lastIndexOf('>') + 1)), complete) << vector;
    }
}

TEST(NXmlParser, ReadsWhatItCanOfUnterminatedTagsQuotesAndEntities)
{
    const struct
    {
        QByteArray Document;
        std::vector<TElement> Elements;
    } cases[] = {
        {"<", {}},
        {"<a", {}},
        {"<a x=\"1", {}},
        {"</", {}},
        {"<<<<", {}},
        {"<a>", {{"a", "", "", false}}},
        {"<a>text", {{"a", "", "", false}}},
        {"<a>text</a", {{"a", "", "", false}}},
        {"<a>t</", {{"a", "", "", false}}},
        {"<a/", {{"a", "", "", true}}},
        {"<a b=\"/>", {{"a", " b=\"", "", true}}},
        {"<a x=\"&amp\">&lt</a>", {{"a", " x=\"&amp\"", "&lt", false}}},
        {"\"\"\"<a x=\"\">", {{"a", " x=\"\"", "", false}}},
        {"<a <b <c>", {{"a", " <b <c", "", false}, {"b", " <c", "", false}, {"c", "", "", false}}},
    };
    for (const auto& testCase : cases)
        EXPECT_EQ(Walk(testCase.Document), testCase.Elements) << testCase.Document.data();

    EXPECT_EQ(XmlGetAttribute(u"x", u" x=\"&amp\""), "amp");
    EXPECT_EQ(XmlUnescape(u"&lt"), "lt");
}

TEST(NXmlParser, StaysLinearOnLongRunsOfUnclosedElements)
{
    constexpr int count = 100000;
    QByteArray sameName;
    QByteArray distinctNames;
    QByteArray oneOpenTag;
    QByteArray openClosingTags;
    for (int index = 0; index < count; ++index) {
        sameName += "<a x=\"1\">";
        distinctNames += "<e" + QByteArray::number(index) + ">t";
        oneOpenTag += "<a <a <a ";
        openClosingTags += "</a";
    }
    oneOpenTag += ">";
    openClosingTags += "><a>x</a>";

    const struct
    {
        const char* Label;
        const QByteArray& Document;
        int Elements;
    } cases[] = {
        {"same name", sameName, count},
        {"distinct names", distinctNames, count},
        {"one open tag", oneOpenTag, 3 * count},
        {"open closing tags", openClosingTags, 1},
    };
    for (const auto& testCase : cases) {
        TParsedBytes parsed(testCase.Document);
        TNEXmlParser& parser = parsed.Parser;
        int elements = 0;
        qsizetype lastOffset = 0;
        for (parser.NextElement(); !parser.Eof(); parser.NextElement()) {
            ++elements;
            EXPECT_GT(parser.Offset(), lastOffset);
            lastOffset = parser.Offset();
            parser.ElementName();
            parser.ElementText();
        }
        EXPECT_EQ(elements, testCase.Elements) << testCase.Label;
        parser.Reset();
        parser.FindElement(u"absent");
        EXPECT_TRUE(parser.Eof()) << testCase.Label;
    }
}

TEST(NXmlParser, HandsOutHugeNamesAttributesAndTexts)
{
    const QByteArray huge(16 * 1024 * 1024, 'x');
    TParsedBytes parsed("<a v=\"" + huge + "\">" + huge + "</a><" + huge + ">t</" + huge + ">");
    TNEXmlParser& parser = parsed.Parser;
    parser.NextElement();
    EXPECT_EQ(XmlGetAttribute(u"v", parser.AttributeText()).size(), huge.size());
    EXPECT_EQ(parser.ElementText().size(), huge.size());
    parser.NextElement();
    EXPECT_EQ(parser.ElementName().size(), huge.size());
    EXPECT_EQ(parser.ElementText(), "t");
}

TEST(NXmlParser, WalksRandomBytesWithinTheDocumentAndFindsTheStatedClosingTags)
{
    static constexpr char alphabet[] = "<<<>>//  \"\"&;=ab";
    QRandomGenerator random(7);
    for (int round = 0; round < 3000; ++round) {
        QByteArray document(random.bounded(300), '\0');
        for (char& byte : document)
            byte = random.bounded(8) == 0 ? char(random.bounded(256)) : alphabet[random.bounded(16)];
        TParsedBytes parsed(document);
        TNEXmlParser& parser = parsed.Parser;
        for (parser.NextElement(); !parser.Eof(); parser.NextElement()) {
            ASSERT_LT(parser.Offset(), parser.Size());
            const QString name = parser.ElementName();
            const QString expected = ReferenceElementText(document, parser.Offset(), name.toLatin1());
            ASSERT_EQ(parser.ElementText(), expected) << document.toHex().data();
            XmlGetAttribute(u"a", parser.AttributeText());
        }
    }
}

TEST(NXmlParser, ScansAQBuffersBytesInPlaceAndLeavesThemToTheirOwner)
{
    const QByteArray document = "a0" + StoreDocument();
    QByteArray payload = document;
    payload.detach();
    const char* bytes = payload.constData();
    {
        QBuffer buffer(&payload);
        buffer.open(QIODevice::ReadOnly);
        buffer.seek(2);
        TNEXmlParser parser;
        parser.LoadFromStream(buffer);
        EXPECT_EQ(buffer.pos(), payload.size());
        parser.FindElement(u"row");
        EXPECT_EQ(parser.ElementText(), "a&amp;b;");
    }
    EXPECT_EQ(payload.constData(), bytes);
    EXPECT_EQ(payload, document);
}
