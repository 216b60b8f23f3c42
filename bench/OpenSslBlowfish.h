#pragma once

// OpenSSL's Blowfish-CBC, the yardstick of the vault's cipher: same key, no padding, enciphering in place.

#include <memory>
#include <openssl/evp.h>

class TOpenSslBlowfish
{
public:
    TOpenSslBlowfish();
    ~TOpenSslBlowfish();
    TOpenSslBlowfish(const TOpenSslBlowfish&) = delete;
    TOpenSslBlowfish& operator=(const TOpenSslBlowfish&) = delete;

    // False when OpenSSL's legacy provider with BF-CBC cannot be loaded.
    bool IsAvailable() const { return Cipher_ != nullptr; }
    // Enciphers or deciphers Length bytes (a multiple of 8) in place; false when OpenSSL fails.
    bool Run(unsigned char* Bytes, int Length, bool Encrypt);

    static constexpr unsigned char Key[16] = {'f', 'e', 'n', 'k', '-', 'b', 'e', 'n',
                                              'c', 'h', '-', 'k', 'e', 'y', '!', '!'};

private:
    struct TCipherFree
    {
        void operator()(EVP_CIPHER* Cipher) const { EVP_CIPHER_free(Cipher); }
    };
    struct TContextFree
    {
        void operator()(EVP_CIPHER_CTX* Context) const { EVP_CIPHER_CTX_free(Context); }
    };

    std::unique_ptr<EVP_CIPHER, TCipherFree> Cipher_;
    std::unique_ptr<EVP_CIPHER_CTX, TContextFree> Context_;
};
