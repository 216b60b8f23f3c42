#pragma once

#include "foundation/NMethod.h"
#include "foundation/NSecureBuffer.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <memory>

class QIODevice;
class TNEXmlClosingTags;

// The minimal XML of the vault's payload: documents are byte strings holding one byte per character (the low byte
// of each UTF-16 code unit, so Latin-1 text survives), one element per line, lines ending CR LF. No tree, no
// validation, no comments, CDATA or character references.

// The declaration line "<?xml version="1.0" encoding="UTF-8"?>".
QString XmlDeclaration();
// Two spaces per level.
QString XmlIndent(int Level);
// " name="value"" with the value escaped; empty when the name is empty.
QString XmlAttribute(QStringView Name, QStringView Value);
// "<name attributes/>" when the content is empty, else "<name attributes>content</name>" with the content escaped.
QString XmlElement(QStringView Name, QStringView AttributeText, QStringView Content);
QString XmlOpenTag(QStringView Name, QStringView AttributeText);
QString XmlCloseTag(QStringView Name);
// Replaces & < > " ' by their entities; nothing else is escaped.
QString XmlEscape(QStringView Text);
// The inverse of XmlEscape; an "&" that starts none of the five entities is dropped.
QString XmlUnescape(QStringView Text);
// The unescaped value of the attribute Name in an element's raw attribute text, or an empty text. An occurrence
// of the name inside another attribute's quoted value does not count.
QString XmlGetAttribute(QStringView Name, QStringView AttributeText);

// Collects a document line by line in memory and hands it over in one piece. The bytes may hold secrets: they
// never move in memory without the old copy being zeroed, and they are zeroed when the writer goes. A destination
// that keeps secrets too grows the same way (TNESecureBytesDevice).
class TNEXmlWriter
{
public:
    TNEXmlWriter() = default;
    TNEXmlWriter(const TNEXmlWriter&) = delete;
    TNEXmlWriter& operator=(const TNEXmlWriter&) = delete;

    // Appends the text in single-byte form and CR LF.
    void WriteLine(QStringView Text);
    // Writes every byte collected so far at the destination's current position.
    void SaveToStream(QIODevice& Destination) const;

private:
    TNESecureBytes Stream_;
};

// What a piece of text handed out by the parser is, for its OnRead event.
enum class TNEXmlTextKind : std::uint8_t
{
    Attribute = 0,
    ElementText = 1,
    ElementName = 2,
};

// Walks a document element by element, handing out names, raw attribute texts and raw element texts on request.
// It scans the document's bytes in place and never reads outside them, whatever they hold; every walk stays
// linear in the document's length.
class TNEXmlParser
{
public:
    // Sees every text before it is handed out and may change it.
    using TReadEvent = TNEMethod<void(TNEXmlTextKind, QString&)>;

    TNEXmlParser();
    ~TNEXmlParser();
    TNEXmlParser(const TNEXmlParser&) = delete;
    TNEXmlParser& operator=(const TNEXmlParser&) = delete;

    TReadEvent OnRead;

    // The current element ends with "/>" (true also before the first element).
    bool EmptyElement() const { return EmptyElement_; }

    // Takes the rest of the source, from its current position, as the document and starts over. A QBuffer's bytes
    // are shared, not copied: they must stay unchanged until this parser loads another stream or goes. Other
    // devices are read once into a copy of the parser's own. The parser zeroes the bytes when it drops the last
    // reference to them.
    void LoadFromStream(QIODevice& Source);
    // Back to the start of the document, before its first element.
    void Reset();
    // Moves to the next start tag; at the end of the document Eof becomes true.
    void NextElement();
    // The current element's name; empty before the first element.
    QString ElementName();
    // The raw text after the element's name up to the first "/" or ">".
    QString AttributeText();
    // The raw text between the start tag and the element's closing tag, entities included; empty for an empty
    // element or one without a closing tag.
    QString ElementText();
    // Whether the current element is empty or its closing tag follows its start tag: false for an element the
    // document ends inside.
    bool HasClosingTag();
    // From the current element on, moves to the first element named exactly Name, or to the end.
    void FindElement(QStringView Name);
    bool Eof() const { return Position_ == nullptr; }
    // Where the parser stands, in bytes from the start of the document; 0 at the end.
    qsizetype Offset() const { return Position_ ? Position_ - Begin_ : 0; }
    qsizetype Size() const { return End_ - Begin_; }

private:
    void Discard();
    QString Handed(TNEXmlTextKind Kind, QString Text) const;
    const char* TagEnd(const char* From);
    // The "<" of the closing tag of the current element, named Name, after ContentStart, or null.
    const char* ClosingTag(const QString& Name, const char* ContentStart);

    TNESecureBytes Buffer_;
    const char* Begin_ = nullptr;
    const char* End_ = nullptr;
    // Null at the end of the document.
    const char* Position_ = nullptr;
    bool EmptyElement_ = true;
    QByteArrayView Name_;
    // The last tag end found and where that search began: every position in between has the same tag end, so
    // elements sharing one unterminated run are not scanned again.
    const char* TagEndSearchedFrom_ = nullptr;
    const char* TagEndFound_ = nullptr;
    std::unique_ptr<TNEXmlClosingTags> ClosingTags_;
};
