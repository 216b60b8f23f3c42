#include "foundation/NTextUtilities.h"

#include <QLocale>

#include <algorithm>
#include <utility>

namespace {

bool IsBlank(QChar Character)
{
    return Character.unicode() <= 0x20;
}

// Cuts Text at the separator at Index, returns the front or the back and leaves the other side in Text; without a
// separator (Index -1) returns all of Text and empties it.
QString TakeSide(QString& Text, qsizetype Index, bool TakeFront)
{
    if (Index < 0)
        return std::exchange(Text, QString());
    QString front = Text.left(Index);
    QString back = Text.mid(Index + 1);
    Text = TakeFront ? std::move(back) : std::move(front);
    return TakeFront ? front : back;
}

// The length of the line break at Index of Text: 2 for CR LF, 1 for a lone CR or LF, 0 for any other character.
qsizetype LineBreakAt(QStringView Text, qsizetype Index)
{
    if (Text[Index] == u'\n')
        return 1;
    if (Text[Index] != u'\r')
        return 0;
    return Index + 1 < Text.size() && Text[Index + 1] == u'\n' ? 2 : 1;
}

// Text with each line break replaced. Notes may hold secrets: the result is sized once, so no shorter copy of it is
// left behind in freed memory.
QString ReplaceLineBreaks(QStringView Text, QStringView Replacement)
{
    qsizetype size = Text.size();
    for (qsizetype index = 0; index < Text.size(); ++index) {
        if (const qsizetype length = LineBreakAt(Text, index)) {
            size += Replacement.size() - length;
            index += length - 1;
        }
    }
    QString result;
    result.reserve(size);
    qsizetype copied = 0;
    for (qsizetype index = 0; index < Text.size(); ++index) {
        if (const qsizetype length = LineBreakAt(Text, index)) {
            result.append(Text.sliced(copied, index - copied)).append(Replacement);
            index += length - 1;
            copied = index + 1;
        }
    }
    return result.append(Text.sliced(copied));
}

bool HasLineBreak(QStringView Text)
{
    return std::any_of(Text.begin(), Text.end(),
                       [](QChar Character) { return Character == u'\n' || Character == u'\r'; });
}

} // namespace

QStringView TrimmedView(QStringView Text)
{
    qsizetype begin = 0;
    qsizetype end = Text.size();
    while (begin < end && IsBlank(Text[begin]))
        ++begin;
    while (end > begin && IsBlank(Text[end - 1]))
        --end;
    return Text.sliced(begin, end - begin);
}

QString Trim(QStringView Text)
{
    return TrimmedView(Text).toString();
}

QString SplitFirst(QChar Separator, QString& Text)
{
    return TakeSide(Text, Text.indexOf(Separator), true);
}

QString SplitLast(QChar Separator, QString& Text)
{
    return TakeSide(Text, Text.lastIndexOf(Separator), false);
}

QString Capitalize(QStringView Text)
{
    QString result = Trim(Text).toLower();
    if (result.isEmpty())
        return result;
    const bool isPair = result.size() > 1 && result[0].isHighSurrogate() && result[1].isLowSurrogate();
    const char32_t first = isPair ? QChar::surrogateToUcs4(result[0], result[1]) : result[0].unicode();
    const char32_t upper = QChar::toUpper(first);
    result.replace(0, isPair ? 2 : 1, QString::fromUcs4(&upper, 1));
    return result;
}

QString FormatThousands(std::int64_t Value)
{
    const std::uint64_t magnitude = Value < 0 ? 0 - std::uint64_t(Value) : std::uint64_t(Value);
    const QString digits = QString::number(magnitude);
    const QString separator = QLocale().groupSeparator();
    QString result = Value < 0 ? QStringLiteral("-") : QString();
    for (qsizetype index = 0; index < digits.size(); ++index) {
        if (index > 0 && (digits.size() - index) % 3 == 0)
            result.append(separator);
        result.append(digits[index]);
    }
    return result;
}

QString ToStoredLineBreaks(QStringView Text)
{
    return ReplaceLineBreaks(Text, u"\r\n");
}

QString ToDisplayLineBreaks(QStringView Text)
{
    return ReplaceLineBreaks(Text, u"\n");
}

QString ToSingleLine(QStringView Text)
{
    return ReplaceLineBreaks(Text, u" ");
}

QString ToSingleLine(const QString& Text)
{
    return HasLineBreak(Text) ? ReplaceLineBreaks(Text, u" ") : Text;
}
