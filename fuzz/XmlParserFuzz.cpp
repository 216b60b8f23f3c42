#include "foundation/NXml.h"

#include <QBuffer>
#include <QByteArray>

#include <cstddef>
#include <cstdint>

// Arbitrary bytes as a document: walks every element and asks for everything the parser hands out. The bytes are
// shared, not copied, so the sanitizers see any read past their end.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(Data), qsizetype(Size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TNEXmlParser parser;
    parser.LoadFromStream(buffer);
    for (parser.NextElement(); !parser.Eof(); parser.NextElement()) {
        if (parser.Offset() >= parser.Size())
            __builtin_trap();
        const QString attributes = parser.AttributeText();
        XmlGetAttribute(u"id", attributes);
        XmlGetAttribute(parser.ElementName(), attributes);
        const QString text = parser.ElementText();
        if (XmlUnescape(XmlEscape(text)) != text)
            __builtin_trap();
        XmlUnescape(text);
    }
    parser.Reset();
    parser.FindElement(u"row");
    return 0;
}
