#include "foundation/NFieldList.h"

#include "foundation/NEscapes.h"

#include <algorithm>

namespace {

constexpr QChar ItemTerminator = u';';
constexpr QChar ItemEscape = u'=';

bool IsItemCharacter(QChar Character)
{
    const char16_t code = Character.unicode();
    return (code >= u'A' && code <= u'Z') || (code >= u'a' && code <= u'z') || (code >= u'0' && code <= u'9') ||
           code == u'+' || code == u'/';
}

} // namespace

// Sized once: the text may be a password, and a growing result would leave partial copies in freed memory.
QString EncodeItem(QStringView Text)
{
    qsizetype encodedSize = Text.size();
    for (const QChar character : Text) {
        if (!IsItemCharacter(character))
            encodedSize += 4;
    }
    QString result;
    result.reserve(encodedSize);
    for (const QChar character : Text) {
        if (IsItemCharacter(character))
            result.append(character);
        else
            AppendEscape(result, ItemEscape, character.unicode(), 4);
    }
    return result;
}

QString DecodeItem(QStringView Text)
{
    return DecodeEscapes(Text, ItemEscape, 4);
}

void AppendItem(QString& List, QStringView Text)
{
    List.append(EncodeItem(Text));
    List.append(ItemTerminator);
}

QString JoinItems(const QStringList& Items)
{
    QString list;
    for (const QString& item : Items)
        AppendItem(list, item);
    return list;
}

QString NextItem(qsizetype& Position, QStringView List)
{
    if (Position < 0)
        return {};
    const qsizetype length = List.size();
    qsizetype start = 0;
    if (Position > 0) {
        // Position normally sits just past a terminator; from anywhere else, skip to the next one.
        qsizetype terminator = Position - 1 < length ? List.indexOf(ItemTerminator, Position - 1) : length;
        start = terminator < 0 ? length : std::min(terminator + 1, length);
    }
    qsizetype end = List.indexOf(ItemTerminator, start);
    if (end < 0)
        end = length;
    Position = end + 1;
    return DecodeItem(List.sliced(start, end - start));
}

QString ItemAt(int Index, QStringView List)
{
    qsizetype start = 0;
    for (int skipped = 0; skipped < Index; ++skipped) {
        const qsizetype terminator = List.indexOf(ItemTerminator, start);
        if (terminator < 0)
            return {};
        start = terminator + 1;
    }
    qsizetype end = List.indexOf(ItemTerminator, start);
    if (end < 0)
        end = List.size();
    return DecodeItem(List.sliced(start, end - start));
}

qsizetype IndexOfItem(QStringView Text, QStringView List)
{
    qsizetype position = 0;
    while (position < List.size()) {
        const qsizetype before = position;
        if (NextItem(position, List) == Text)
            return before;
    }
    return position;
}
