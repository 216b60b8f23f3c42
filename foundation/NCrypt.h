#pragma once

#include "foundation/NException.h"
#include "foundation/NSecureBuffer.h" // IWYU pragma: export

#include <QtGlobal>

#include <cstdint>
#include <memory>

NE_DECLARE_ERROR(ENEInvalidCryptKeyErr, ENEException, "Invalid encryption key");

// The block cipher that protects vault files: a 32-round member of the Blowfish family with 64-bit blocks,
// little-endian words and a key of 1 byte or more, run in CBC mode in place over whole buffers. The key tables live
// on the heap only while a key is set and are zeroed before they are released.
class TNECrypt
{
public:
    static constexpr int SubkeyCount = 34;
    static constexpr int SBoxWordCount = 1024;

    TNECrypt();
    ~TNECrypt();
    TNECrypt(TNECrypt&&) noexcept;
    TNECrypt& operator=(TNECrypt&&) noexcept;
    TNECrypt(const TNECrypt&) = delete;
    TNECrypt& operator=(const TNECrypt&) = delete;

    // Runs the key schedule, reusing the tables of a previous key; a key of no bytes raises ENEInvalidCryptKeyErr.
    void SetKey(const void* Key, qsizetype KeyLength);
    void ClearKey();
    bool HasKey() const { return Tables_ != nullptr; }

    // CBC in place over any length; a trailing partial block is only XORed with the chaining value. Both raise
    // ENEInvalidCryptKeyErr without a key and leave the buffer untouched.
    void EncryptBuffer(void* Buffer, qsizetype Length) const;
    void DecryptBuffer(void* Buffer, qsizetype Length) const;

    // One block through the 32 rounds; a key must be set.
    void EncipherBlock(std::uint32_t& L, std::uint32_t& R) const;
    void DecipherBlock(std::uint32_t& L, std::uint32_t& R) const;

    // The subkeys (34 words) and S-boxes (4 x 256 words) of the current key, or null without a key.
    const std::uint32_t* P() const;
    const std::uint32_t* S() const;

private:
    struct TKeyTables;
    struct TTablesBurner
    {
        void operator()(TKeyTables* Tables) const;
    };

    const TKeyTables& RequireKey() const;

    std::unique_ptr<TKeyTables, TTablesBurner> Tables_;
};

// The word XORed into the next subkey while the key schedule walks the key cyclically from Position: four key bytes,
// the first one least significant. Position moves on by four, wrapping at KeyLength.
std::uint32_t NextKeyWord(const std::uint8_t* Key, qsizetype KeyLength, qsizetype& Position);

// Decodes Data in place with the byte-stream rule of version-1 vault files, updating State; a state of no bytes
// raises ENEInvalidCryptKeyErr.
void StreamDecode(void* Data, qsizetype Length, std::uint8_t* State, qsizetype StateLength);
