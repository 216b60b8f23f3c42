// EncryptBuffer and DecryptBuffer against OpenSSL's Blowfish-CBC on the same 16 MiB buffer. Our cipher runs twice
// Blowfish's rounds, so equal cost per round shows as a ratio of 0.5.
#include "foundation/NCrypt.h"

#include <QByteArray>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>
#include <openssl/evp.h>
#include <openssl/provider.h>
#include <string>

namespace {

constexpr qsizetype BufferSize = 16 * 1024 * 1024;
const unsigned char Key[16] = {'f', 'e', 'n', 'k', '-', 'b', 'e', 'n', 'c', 'h', '-', 'k', 'e', 'y', '!', '!'};
const unsigned char InitialVector[8] = {0x5A, 0x1C, 0xE7, 0x90, 0x3B, 0x6D, 0x02, 0xF4};

QByteArray& SharedBuffer()
{
    static QByteArray buffer = [] {
        QByteArray bytes(BufferSize, '\0');
        for (qsizetype i = 0; i < BufferSize; ++i)
            bytes[i] = char(i * 131 + 7);
        return bytes;
    }();
    return buffer;
}

void CountMegabytes(benchmark::State& State)
{
    State.counters["MB/s"] =
        benchmark::Counter(double(BufferSize) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void OurCipher(benchmark::State& State, bool Encrypt)
{
    TNECrypt crypt;
    crypt.SetKey(Key, sizeof Key);
    QByteArray& buffer = SharedBuffer();
    for (auto _ : State) {
        if (Encrypt)
            crypt.EncryptBuffer(buffer.data(), buffer.size());
        else
            crypt.DecryptBuffer(buffer.data(), buffer.size());
        benchmark::DoNotOptimize(buffer.data());
    }
    CountMegabytes(State);
}

struct TCipherContextFree
{
    void operator()(EVP_CIPHER_CTX* Context) const { EVP_CIPHER_CTX_free(Context); }
};
struct TCipherFree
{
    void operator()(EVP_CIPHER* Cipher) const { EVP_CIPHER_free(Cipher); }
};

void OpenSslBlowfish(benchmark::State& State, bool Encrypt)
{
    static OSSL_PROVIDER* const legacy = OSSL_PROVIDER_load(nullptr, "legacy");
    static OSSL_PROVIDER* const standard = OSSL_PROVIDER_load(nullptr, "default");
    const std::unique_ptr<EVP_CIPHER, TCipherFree> cipher(EVP_CIPHER_fetch(nullptr, "BF-CBC", nullptr));
    if (!legacy || !standard || !cipher) {
        State.SkipWithError("OpenSSL's legacy provider with BF-CBC is not available");
        return;
    }
    const std::unique_ptr<EVP_CIPHER_CTX, TCipherContextFree> context(EVP_CIPHER_CTX_new());
    QByteArray& buffer = SharedBuffer();
    auto* bytes = reinterpret_cast<unsigned char*>(buffer.data());
    for (auto _ : State) {
        int length = 0;
        EVP_CipherInit_ex2(context.get(), cipher.get(), nullptr, nullptr, Encrypt ? 1 : 0, nullptr);
        EVP_CIPHER_CTX_set_key_length(context.get(), sizeof Key);
        EVP_CipherInit_ex2(context.get(), nullptr, Key, InitialVector, Encrypt ? 1 : 0, nullptr);
        EVP_CIPHER_CTX_set_padding(context.get(), 0);
        if (!EVP_CipherUpdate(context.get(), bytes, &length, bytes, int(buffer.size()))) {
            State.SkipWithError("EVP_CipherUpdate failed");
            return;
        }
        benchmark::DoNotOptimize(bytes);
    }
    CountMegabytes(State);
}

// Keeps the console output and remembers each run's rate for the ratios.
class TRatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& Runs) override
    {
        ConsoleReporter::ReportRuns(Runs);
        for (const Run& run : Runs)
            if (!run.error_occurred && run.counters.count("MB/s"))
                Rates_[run.benchmark_name()] = run.counters.at("MB/s");
    }

    void PrintRatios() const
    {
        for (const char* direction : {"Encrypt", "Decrypt"}) {
            const auto ours = Rates_.find(std::string("BM_Ours") + direction);
            const auto openssl = Rates_.find(std::string("BM_OpenSsl") + direction);
            if (ours == Rates_.end() || openssl == Rates_.end())
                continue;
            std::printf("%s: ours %.1f MB/s, OpenSSL Blowfish-CBC %.1f MB/s, ratio ours/OpenSSL %.2f\n", direction,
                        ours->second, openssl->second, ours->second / openssl->second);
        }
    }

private:
    std::map<std::string, double> Rates_;
};

} // namespace

void BM_OursEncrypt(benchmark::State& State)
{
    OurCipher(State, true);
}
void BM_OpenSslEncrypt(benchmark::State& State)
{
    OpenSslBlowfish(State, true);
}
void BM_OursDecrypt(benchmark::State& State)
{
    OurCipher(State, false);
}
void BM_OpenSslDecrypt(benchmark::State& State)
{
    OpenSslBlowfish(State, false);
}

BENCHMARK(BM_OursEncrypt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenSslEncrypt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursDecrypt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenSslDecrypt)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
