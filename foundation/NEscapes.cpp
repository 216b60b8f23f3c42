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

} // namespace

// Written through a pointer into storage sized once for the longest result: no append checks per character, and
// a decoded password is never left behind in storage a growing string gave up.
QString DecodeEscapes(QStringView Text, QChar Escape, int Digits)
{
    QString result(Text.size(), Qt::Uninitialized);
    QChar* out = result.data();
    for (qsizetype index = 0; index < Text.size(); ++index) {
        if (Text[index] != Escape) {
            *out++ = Text[index];
            continue;
        }
        if (Text.size() - index - 1 < Digits)
            break;
        char16_t code = 0;
        for (int digit = 1; digit <= Digits; ++digit)
            code = char16_t(code * 16 + HexDigitValue(Text[index + digit]));
        *out++ = QChar(code);
        index += Digits;
    }
    result.truncate(out - result.constData());
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
