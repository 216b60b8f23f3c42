// The row store on the vault's pattern: 100,000 logins inserted into the login schema, each found by ID, all
// sorted with CompareRows, then all deleted. Prints rows per second for each step and the heap bytes per row.

#include "bench/BenchLogins.h"
#include "foundation/NStruct.h"
#include "store/NRowset.h"

#include <QCoreApplication>
#include <QLocale>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <malloc.h>
#include <random>
#include <vector>

namespace {

constexpr int RowCount = 100'000;

// Realistic lengths: a site of about 25 characters, a login of 15, a password of 20 and a note of 60, from a
// fixed seed so that every run measures the same rows.
QStringList MakeLogins()
{
    std::mt19937 random(7);
    const auto text = [&](int Length) {
        QString result(Length, u' ');
        for (QChar& character : result)
            character = QChar(u'a' + char16_t(random() % 26));
        return result;
    };
    QStringList logins;
    for (int index = 0; index < RowCount; ++index)
        logins.append(JoinItems({"https://" + text(17), text(15), text(20), text(60)}));
    return logins;
}

template <typename Work> void Measure(const char* Name, Work&& Run)
{
    const auto start = std::chrono::steady_clock::now();
    Run();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-8s %10.0f rows/s  (%.3f s)\n", Name, RowCount / seconds, seconds);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QStringList logins = MakeLogins();
    TNEStore store;
    TNERowset& rowset = *store.FindRowset(store.CreateRowset(u"Login", u"LOGIN", LoginStructure(), rmActive));

    const std::size_t heapBefore = mallinfo2().uordblks;
    Measure("insert", [&] {
        for (const QString& login : logins)
            rowset.InsertRow(login);
    });
    const std::size_t heapAfter = mallinfo2().uordblks;

    std::vector<TNERow*> rows;
    rows.reserve(RowCount);
    Measure("find", [&] {
        for (std::int32_t id = 0; id < RowCount; ++id)
            rows.push_back(rowset.FindRow(id));
    });
    Measure("sort",
            [&] { std::ranges::sort(rows, [](TNERow* Left, TNERow* Right) { return CompareRows(Left, Right) < 0; }); });
    Measure("delete", [&] {
        for (std::int32_t id = 0; id < RowCount; ++id)
            rowset.DeleteRow(id);
    });
    std::printf("memory   %10.0f bytes/row (values, row objects and container nodes)\n",
                double(heapAfter - heapBefore) / RowCount);
    return rowset.RowCount() == 0 ? 0 : 1;
}
