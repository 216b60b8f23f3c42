#include "foundation/NInteger.h"

#include <cstdint>
#include <limits>

namespace {

char32_t CodeAt(QStringView text, qsizetype index)
{
    return text[index].unicode();
}

char32_t CodeAt(QByteArrayView text, qsizetype index)
{
    return static_cast<unsigned char>(text[index]);
}

template <typename Text> int ParseDigits(const Text& text, int fallback)
{
    const qsizetype length = text.size();
    qsizetype index = 0;
    bool negative = false;
    if (index < length && (CodeAt(text, index) == '+' || CodeAt(text, index) == '-')) {
        negative = CodeAt(text, index) == '-';
        ++index;
    }
    if (index == length)
        return fallback;
    // One more than INT_MAX is allowed while reading so that INT_MIN fits.
    const std::int64_t limit = std::int64_t(std::numeric_limits<int>::max()) + (negative ? 1 : 0);
    std::int64_t value = 0;
    for (; index < length; ++index) {
        const char32_t character = CodeAt(text, index);
        if (character < '0' || character > '9')
            return fallback;
        value = value * 10 + (character - '0');
        if (value > limit)
            return fallback;
    }
    return int(negative ? -value : value);
}

} // namespace

int ParseInteger(QStringView Text, int Default)
{
    return ParseDigits(Text, Default);
}

int ParseInteger(QByteArrayView Text, int Default)
{
    return ParseDigits(Text, Default);
}
