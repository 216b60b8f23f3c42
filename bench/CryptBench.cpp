// EncryptBuffer and DecryptBuffer against OpenSSL's Blowfish-CBC on the same 16 MiB buffer. Our cipher runs twice
// Blowfish's rounds, so equal cost per round shows as a ratio of 0.5.
#include "bench/OpenSslBlowfish.h"
#include "foundation/NCrypt.h"

#include <QByteArray>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr qsizetype BufferSize = 16 * 1024 * 1024;

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
    crypt.SetKey(TOpenSslBlowfish::Key, sizeof TOpenSslBlowfish::Key);
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

void OpenSslBlowfish(benchmark::State& State, bool Encrypt)
{
    TOpenSslBlowfish openssl;
    if (!openssl.IsAvailable()) {
        State.SkipWithError("OpenSSL's legacy provider with BF-CBC is not available");
        return;
    }
    QByteArray& buffer = SharedBuffer();
    auto* bytes = reinterpret_cast<unsigned char*>(buffer.data());
    for (auto _ : State) {
        if (!openssl.Run(bytes, int(buffer.size()), Encrypt)) {
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
