// The vault's load and save path on big vaults: 10,000 and 100,000 logins of realistic lengths written as the
// store's XML document, read back into a fresh store, and merged into a fresh login schema, as opening a vault does.
// Prints MB/s of document and rows/s for writing and reading, rows/s for merging.

#include "bench/BenchLogins.h"
#include "foundation/NStruct.h"
#include "store/NRowset.h"
#include "store/NStoreMerger.h"
#include "store/NStoreStreamer.h"

#include <QBuffer>
#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <random>

namespace {

// A site of about 25 characters, a login name of 15, a password of 16 with symbols (escaped in the document) and a
// note of 60 with spaces and a line break; a fixed seed, so that every run measures the same rows.
void FillLogins(TNERowset& Logins, int Count)
{
    std::mt19937 random(7);
    const auto text = [&](int Length, QStringView Alphabet) {
        QString result(Length, u' ');
        for (QChar& character : result)
            character = Alphabet[qsizetype(random() % std::uint32_t(Alphabet.size()))];
        return result;
    };
    constexpr QStringView letters = u"abcdefghijklmnopqrstuvwxyz";
    constexpr QStringView passwordCharacters = u"abcdefghijkmnopqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789!#$%&*+-=?@_";
    constexpr QStringView noteCharacters = u"abcdefghijklmnopqrstuvwxyz     .,";
    for (int index = 0; index < Count; ++index) {
        Logins.InsertRow(
            JoinItems({"https://" + text(13, letters) + ".example", text(15, letters), text(16, passwordCharacters),
                       text(30, noteCharacters) + "\r\n" + text(28, noteCharacters)}));
    }
}

TNERowset& AddLogins(TNEStore& Store)
{
    return *Store.FindRowset(Store.CreateRowset(u"Login", u"LOGIN", LoginStructure(), rmActive));
}

template <typename Work> double Seconds(Work&& Run)
{
    const auto start = std::chrono::steady_clock::now();
    Run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Report(const char* Step, int Rows, qsizetype Bytes, double Seconds)
{
    std::printf("  %-6s %8.1f MB/s %10.0f rows/s  (%.3f s)\n", Step, double(Bytes) / 1e6 / Seconds, Rows / Seconds,
                Seconds);
}

void Report(const char* Step, int Rows, double Seconds)
{
    std::printf("  %-6s %10.0f rows/s  (%.3f s)\n", Step, Rows / Seconds, Seconds);
}

void Measure(int Rows)
{
    TNEStore store;
    FillLogins(AddLogins(store), Rows);
    QByteArray document;
    QBuffer output(&document);
    output.open(QIODevice::WriteOnly);
    const double writing = Seconds([&] { TNEStoreStreamer().WriteStore(store, output); });

    TNEStore read;
    QBuffer input(&document);
    input.open(QIODevice::ReadOnly);
    const double reading = Seconds([&] { TNEStoreStreamer().ReadStore(read, input); });

    TNEStore merged;
    TNERowset& logins = AddLogins(merged);
    const double merging = Seconds([&] { TNEStoreMerger().Merge(read, merged); });

    std::printf("%d logins, document of %.1f MB\n", Rows, double(document.size()) / 1e6);
    Report("write", Rows, document.size(), writing);
    Report("read", Rows, document.size(), reading);
    Report("merge", Rows, merging);
    if (logins.RowCount() != Rows)
        std::printf("  merge lost rows: %d of %d\n", logins.RowCount(), Rows);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    for (const int rows : {10'000, 100'000})
        Measure(rows);
    return 0;
}
