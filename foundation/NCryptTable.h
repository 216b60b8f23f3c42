#pragma once

#include <cstdint>

// The cipher's initial table: 34 subkeys followed by the four S-boxes of 256 words each, before any key is mixed in.
inline constexpr int NECryptInitialTableWords = 1058;
extern const std::uint32_t NECryptInitialTable[NECryptInitialTableWords];
