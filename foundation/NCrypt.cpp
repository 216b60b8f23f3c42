#include "foundation/NCrypt.h"

#include "foundation/NCryptTable.h"

#include <QtEndian>

#include <cstring>

struct TNECrypt::TKeyTables
{
    std::uint32_t P[SubkeyCount];
    std::uint32_t S[SBoxWordCount];
};

namespace {

// The chaining value every buffer starts from, as the two little-endian words of 5A 1C E7 90 3B 6D 02 F4.
constexpr std::uint32_t InitialChainL = 0x90E71C5A;
constexpr std::uint32_t InitialChainR = 0xF4026D3B;
constexpr qsizetype BlockSize = 8;

// Four independent blocks deciphered side by side keep the processor's pipelines full; CBC decryption allows it.
constexpr int DecryptLanes = 4;

inline std::uint32_t F(const std::uint32_t* S, std::uint32_t X)
{
    return ((S[X & 0xFF] + S[256 + ((X >> 8) & 0xFF)]) ^ S[512 + ((X >> 16) & 0xFF)]) + S[768 + (X >> 24)];
}

inline std::uint32_t LoadWord(const std::uint8_t* Bytes)
{
    return qFromLittleEndian<std::uint32_t>(Bytes);
}

inline void StoreWord(std::uint8_t* Bytes, std::uint32_t Word)
{
    qToLittleEndian(Word, Bytes);
}

// The rounds without the swaps: A takes the even subkeys and B the odd ones, so after an even number of rounds the
// block comes out as (B, A).
inline void Encipher(const std::uint32_t* P, const std::uint32_t* S, std::uint32_t& L, std::uint32_t& R)
{
    std::uint32_t a = L, b = R;
#pragma GCC unroll 16
    for (int i = 0; i < 32; i += 2) {
        a ^= P[i];
        b ^= F(S, a);
        b ^= P[i + 1];
        a ^= F(S, b);
    }
    L = b ^ P[33];
    R = a ^ P[32];
}

// The rounds of DecipherBlock over Lanes independent blocks at once.
template <int Lanes>
inline void Decipher(const std::uint32_t* P, const std::uint32_t* S, std::uint32_t (&L)[Lanes],
                     std::uint32_t (&R)[Lanes])
{
    std::uint32_t a[Lanes], b[Lanes];
    for (int lane = 0; lane < Lanes; ++lane) {
        a[lane] = L[lane];
        b[lane] = R[lane];
    }
#pragma GCC unroll 16
    for (int i = 33; i > 1; i -= 2) {
#pragma GCC unroll 8
        for (int lane = 0; lane < Lanes; ++lane) {
            a[lane] ^= P[i];
            b[lane] ^= F(S, a[lane]);
        }
#pragma GCC unroll 8
        for (int lane = 0; lane < Lanes; ++lane) {
            b[lane] ^= P[i - 1];
            a[lane] ^= F(S, b[lane]);
        }
    }
    for (int lane = 0; lane < Lanes; ++lane) {
        L[lane] = b[lane] ^ P[0];
        R[lane] = a[lane] ^ P[1];
    }
}

// Undoes or applies the XOR of a trailing partial block with the chaining value laid out like a block.
void XorTail(std::uint8_t* Tail, qsizetype Length, std::uint32_t ChainL, std::uint32_t ChainR)
{
    std::uint8_t chain[BlockSize];
    StoreWord(chain, ChainL);
    StoreWord(chain + 4, ChainR);
    for (qsizetype i = 0; i < Length; ++i)
        Tail[i] ^= chain[i];
}

} // namespace

void TNECrypt::TTablesBurner::operator()(TKeyTables* Tables) const
{
    BurnMemory(Tables, sizeof(TKeyTables));
    delete Tables;
}

TNECrypt::TNECrypt() = default;
TNECrypt::~TNECrypt() = default;
TNECrypt::TNECrypt(TNECrypt&&) noexcept = default;
TNECrypt& TNECrypt::operator=(TNECrypt&&) noexcept = default;

void TNECrypt::SetKey(const void* Key, qsizetype KeyLength)
{
    if (Key == nullptr || KeyLength <= 0)
        throw ENEInvalidCryptKeyErr();
    if (!Tables_)
        Tables_.reset(new TKeyTables);
    TKeyTables& tables = *Tables_;
    std::memcpy(tables.P, NECryptInitialTable, sizeof(tables.P));
    std::memcpy(tables.S, NECryptInitialTable + SubkeyCount, sizeof(tables.S));

    const auto* keyBytes = static_cast<const std::uint8_t*>(Key);
    qsizetype position = 0;
    for (std::uint32_t& subkey : tables.P)
        subkey ^= NextKeyWord(keyBytes, KeyLength, position);

    std::uint32_t l = 0, r = 0;
    for (int i = 0; i < SubkeyCount; i += 2) {
        Encipher(tables.P, tables.S, l, r);
        tables.P[i] = l;
        tables.P[i + 1] = r;
    }
    for (int i = 0; i < SBoxWordCount; i += 2) {
        Encipher(tables.P, tables.S, l, r);
        tables.S[i] = l;
        tables.S[i + 1] = r;
    }
    BurnMemory(&l, sizeof(l));
    BurnMemory(&r, sizeof(r));
}

void TNECrypt::ClearKey()
{
    Tables_.reset();
}

const TNECrypt::TKeyTables& TNECrypt::RequireKey() const
{
    if (!Tables_)
        throw ENEInvalidCryptKeyErr();
    return *Tables_;
}

void TNECrypt::EncryptBuffer(void* Buffer, qsizetype Length) const
{
    const TKeyTables& tables = RequireKey();
    auto* bytes = static_cast<std::uint8_t*>(Buffer);
    std::uint32_t chainL = InitialChainL, chainR = InitialChainR;
    const qsizetype wholeBlocksEnd = Length - Length % BlockSize;
    for (qsizetype offset = 0; offset < wholeBlocksEnd; offset += BlockSize) {
        std::uint32_t l = LoadWord(bytes + offset) ^ chainL;
        std::uint32_t r = LoadWord(bytes + offset + 4) ^ chainR;
        Encipher(tables.P, tables.S, l, r);
        StoreWord(bytes + offset, l);
        StoreWord(bytes + offset + 4, r);
        chainL = l;
        chainR = r;
    }
    XorTail(bytes + wholeBlocksEnd, Length - wholeBlocksEnd, chainL, chainR);
}

void TNECrypt::DecryptBuffer(void* Buffer, qsizetype Length) const
{
    const TKeyTables& tables = RequireKey();
    auto* bytes = static_cast<std::uint8_t*>(Buffer);
    std::uint32_t chainL = InitialChainL, chainR = InitialChainR;
    const qsizetype wholeBlocksEnd = Length - Length % BlockSize;
    constexpr qsizetype groupSize = DecryptLanes * BlockSize;
    qsizetype offset = 0;
    for (; offset + groupSize <= wholeBlocksEnd; offset += groupSize) {
        std::uint32_t cipherL[DecryptLanes], cipherR[DecryptLanes], l[DecryptLanes], r[DecryptLanes];
        for (int lane = 0; lane < DecryptLanes; ++lane) {
            l[lane] = cipherL[lane] = LoadWord(bytes + offset + lane * BlockSize);
            r[lane] = cipherR[lane] = LoadWord(bytes + offset + lane * BlockSize + 4);
        }
        Decipher<DecryptLanes>(tables.P, tables.S, l, r);
        for (int lane = 0; lane < DecryptLanes; ++lane) {
            StoreWord(bytes + offset + lane * BlockSize, l[lane] ^ chainL);
            StoreWord(bytes + offset + lane * BlockSize + 4, r[lane] ^ chainR);
            chainL = cipherL[lane];
            chainR = cipherR[lane];
        }
    }
    for (; offset < wholeBlocksEnd; offset += BlockSize) {
        std::uint32_t l[1] = {LoadWord(bytes + offset)}, r[1] = {LoadWord(bytes + offset + 4)};
        const std::uint32_t cipherL = l[0], cipherR = r[0];
        Decipher<1>(tables.P, tables.S, l, r);
        StoreWord(bytes + offset, l[0] ^ chainL);
        StoreWord(bytes + offset + 4, r[0] ^ chainR);
        chainL = cipherL;
        chainR = cipherR;
    }
    XorTail(bytes + wholeBlocksEnd, Length - wholeBlocksEnd, chainL, chainR);
}

void TNECrypt::EncipherBlock(std::uint32_t& L, std::uint32_t& R) const
{
    const TKeyTables& tables = RequireKey();
    Encipher(tables.P, tables.S, L, R);
}

void TNECrypt::DecipherBlock(std::uint32_t& L, std::uint32_t& R) const
{
    const TKeyTables& tables = RequireKey();
    std::uint32_t l[1] = {L}, r[1] = {R};
    Decipher<1>(tables.P, tables.S, l, r);
    L = l[0];
    R = r[0];
}

const std::uint32_t* TNECrypt::P() const
{
    return Tables_ ? Tables_->P : nullptr;
}

const std::uint32_t* TNECrypt::S() const
{
    return Tables_ ? Tables_->S : nullptr;
}

std::uint32_t NextKeyWord(const std::uint8_t* Key, qsizetype KeyLength, qsizetype& Position)
{
    std::uint32_t word = 0;
    for (int byte = 0; byte < 4; ++byte) {
        word |= std::uint32_t(Key[Position]) << (8 * byte);
        Position = (Position + 1) % KeyLength;
    }
    return word;
}

void StreamDecode(void* Data, qsizetype Length, std::uint8_t* State, qsizetype StateLength)
{
    if (State == nullptr || StateLength <= 0)
        throw ENEInvalidCryptKeyErr();
    auto* bytes = static_cast<std::uint8_t*>(Data);
    for (qsizetype i = 0; i < Length; ++i) {
        const std::uint8_t input = bytes[i];
        bytes[i] = input ^ State[StateLength - 1];
        for (qsizetype j = StateLength - 1; j > 0; --j)
            State[j] ^= State[j - 1];
        State[0] ^= input;
    }
}
