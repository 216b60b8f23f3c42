#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The first ByteCount bytes of the hexadecimal fraction of pi (24 3F 6A 88 ...), computed with Machin's formula
// pi = 16 atan(1/5) - 4 atan(1/239) in fixed point. It generates the cipher's initial table and lets a test prove
// the committed table against it.
namespace PiHexFraction {

// Fixed-point number: word 0 is the integer part, the following words the fraction, most significant first.
using TFixed = std::vector<std::uint32_t>;

inline void DivideBy(TFixed& Number, std::uint32_t Divisor)
{
    std::uint64_t remainder = 0;
    for (std::uint32_t& word : Number) {
        const std::uint64_t value = (remainder << 32) | word;
        word = static_cast<std::uint32_t>(value / Divisor);
        remainder = value % Divisor;
    }
}

inline void MultiplyBy(TFixed& Number, std::uint32_t Factor)
{
    std::uint64_t carry = 0;
    for (std::size_t i = Number.size(); i-- > 0;) {
        const std::uint64_t value = std::uint64_t(Number[i]) * Factor + carry;
        Number[i] = static_cast<std::uint32_t>(value);
        carry = value >> 32;
    }
}

// Sum += Addend when Sign > 0, Sum -= Addend otherwise (modulo the word count; the series keeps Sum positive).
inline void Accumulate(TFixed& Sum, const TFixed& Addend, int Sign)
{
    std::int64_t carry = 0;
    for (std::size_t i = Sum.size(); i-- > 0;) {
        const std::int64_t value = std::int64_t(Sum[i]) + Sign * std::int64_t(Addend[i]) + carry;
        Sum[i] = static_cast<std::uint32_t>(value);
        carry = value >> 32;
    }
}

inline bool IsZero(const TFixed& Number)
{
    for (std::uint32_t word : Number)
        if (word != 0)
            return false;
    return true;
}

// atan(1/X) = sum over k of (-1)^k / ((2k + 1) X^(2k + 1)).
inline TFixed ArcTangentOfInverse(std::uint32_t X, std::size_t WordCount)
{
    TFixed sum(WordCount), power(WordCount), term;
    power[0] = 1;
    DivideBy(power, X);
    for (std::uint32_t k = 0; !IsZero(power); ++k) {
        term = power;
        DivideBy(term, 2 * k + 1);
        Accumulate(sum, term, k % 2 == 0 ? 1 : -1);
        DivideBy(power, X * X);
    }
    return sum;
}

inline std::vector<std::uint8_t> Bytes(std::size_t ByteCount)
{
    // Two guard words absorb the truncation of every division.
    const std::size_t wordCount = 1 + (ByteCount + 3) / 4 + 2;
    TFixed pi = ArcTangentOfInverse(5, wordCount);
    MultiplyBy(pi, 16);
    TFixed correction = ArcTangentOfInverse(239, wordCount);
    MultiplyBy(correction, 4);
    Accumulate(pi, correction, -1);

    std::vector<std::uint8_t> bytes;
    bytes.reserve(ByteCount);
    for (std::size_t i = 0; i < ByteCount; ++i)
        bytes.push_back(static_cast<std::uint8_t>(pi[1 + i / 4] >> (24 - 8 * (i % 4))));
    return bytes;
}

} // namespace PiHexFraction
