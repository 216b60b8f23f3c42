#include "bench/OpenSslBlowfish.h"

#include <openssl/provider.h>

namespace {

constexpr unsigned char InitialVector[8] = {0x5A, 0x1C, 0xE7, 0x90, 0x3B, 0x6D, 0x02, 0xF4};

// Blowfish lives in the legacy provider; the default one stays loaded beside it.
bool LoadProviders()
{
    static const bool loaded =
        OSSL_PROVIDER_load(nullptr, "legacy") != nullptr && OSSL_PROVIDER_load(nullptr, "default") != nullptr;
    return loaded;
}

} // namespace

TOpenSslBlowfish::TOpenSslBlowfish() : Context_(EVP_CIPHER_CTX_new())
{
    if (LoadProviders())
        Cipher_.reset(EVP_CIPHER_fetch(nullptr, "BF-CBC", nullptr));
}

TOpenSslBlowfish::~TOpenSslBlowfish() = default;

bool TOpenSslBlowfish::Run(unsigned char* Bytes, int Length, bool Encrypt)
{
    if (!Cipher_ || !Context_)
        return false;
    const int direction = Encrypt ? 1 : 0;
    int written = 0;
    return EVP_CipherInit_ex2(Context_.get(), Cipher_.get(), nullptr, nullptr, direction, nullptr) &&
           EVP_CIPHER_CTX_set_key_length(Context_.get(), sizeof Key) &&
           EVP_CipherInit_ex2(Context_.get(), nullptr, Key, InitialVector, direction, nullptr) &&
           EVP_CIPHER_CTX_set_padding(Context_.get(), 0) &&
           EVP_CipherUpdate(Context_.get(), Bytes, &written, Bytes, Length);
}
