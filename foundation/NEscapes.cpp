#include "foundation/NEscapes.h"

namespace {

// The value of a hexadecimal digit of either case; any other character counts as 0.
int HexDigitValue(QChar Digit)
{
    const char16_t code = Digit.unicode();
    if (code >= u'0' && code <= u'9')
        return code - u'0';
    if (code >= u'A' && code <= u'F')
        return code - u'A' + 10;
    if (code >= u'a' && code <= u'f')
        return code - u'a' + 10;
    return 0;
}

// The number of characters Text decodes to: an escape and its digits give one, an escape without all its digits
// ends the text.
qsizetype DecodedSize(QStringView Text, QChar Escape, int Digits)
{
    qsizetype size = 0;
    for (qsizetype index = 0; index < Text.size(); ++index, ++size) {
        if (Text[index] != Escape)
            continue;
        if (Text.size() - index - 1 < Digits)
            break;
        index += Digits;
    }
    return size;
}

} // namespace

// Written through a pointer into storage sized exactly once: no append checks per character, no room wasted in the
// row that keeps the text, and a decoded password is never left behind in storage a growing string gave up.
QString DecodeEscapes(QStringView Text, QChar Escape, int Digits)
{
    const qsizetype size = DecodedSize(Text, Escape, Digits);
    if (size == 0)
        return {};
    QString result(size, Qt::Uninitialized);
    QChar* out = result.data();
    for (qsizetype index = 0; index < Text.size() && out < result.constData() + size; ++index) {
        if (Text[index] != Escape) {
            *out++ = Text[index];
            continue;
        }
        char16_t code = 0;
        for (int digit = 1; digit <= Digits; ++digit)
            code = char16_t(code * 16 + HexDigitValue(Text[index + digit]));
        *out++ = QChar(code);
        index += Digits;
    }
    return result;
}

void AppendEscape(QString& Result, QChar Escape, char16_t Code, int Digits)
{
    static constexpr char16_t HexDigits[] = u"0123456789ABCDEF";
    int shown = Digits;
    while (shown < 4 && (Code >> (4 * shown)) != 0)
        ++shown;
    Result.append(Escape);
    for (int digit = shown - 1; digit >= 0; --digit)
        Result.append(QChar(HexDigits[(Code >> (4 * digit)) & 0xF]));
}
