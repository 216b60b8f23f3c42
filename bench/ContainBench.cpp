// The splay container against std::map<int, T*> on the row store's patterns: ascending adds, lookups in order, at
// random and of one key again and again, and a full walk. Prints the times and the ratio splay / std::map.

#include "foundation/NContain.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <map>
#include <numeric>
#include <random>
#include <vector>

namespace {

struct TBenchItem
{
    std::int32_t Key;
};

std::int32_t KeyOfBenchItem(TBenchItem* Item)
{
    return Item->Key;
}

constexpr int ItemCount = 1'000'000;

template <typename Work> double MillisecondsOf(Work&& Run)
{
    const auto start = std::chrono::steady_clock::now();
    Run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void Report(const char* Name, double Splay, double Map)
{
    std::printf("%-28s %10.2f ms %10.2f ms %8.2fx\n", Name, Splay, Map, Splay / Map);
}

} // namespace

int main()
{
    std::vector<TBenchItem> items(ItemCount);
    for (int key = 0; key < ItemCount; ++key)
        items[std::size_t(key)].Key = key;
    std::vector<std::int32_t> shuffled(ItemCount);
    std::iota(shuffled.begin(), shuffled.end(), 0);
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(42));

    TNESplayContainer<TBenchItem> splay{TNESplayContainer<TBenchItem>::TNEKeyOfMethod(&KeyOfBenchItem)};
    std::map<int, TBenchItem*> map;

    std::printf("%d keys\n%-28s %13s %13s %9s\n", ItemCount, "operation", "splay", "std::map", "ratio");
    Report("add ascending", MillisecondsOf([&] {
               for (TBenchItem& item : items)
                   splay.Add(&item);
           }),
           MillisecondsOf([&] {
               for (TBenchItem& item : items)
                   map.emplace_hint(map.end(), item.Key, &item);
           }));
    Report("look up ascending", MillisecondsOf([&] {
               for (int key = 0; key < ItemCount; ++key)
                   benchmark::DoNotOptimize(splay.GetItem(key));
           }),
           MillisecondsOf([&] {
               for (int key = 0; key < ItemCount; ++key)
                   benchmark::DoNotOptimize(map.find(key)->second);
           }));
    Report("look up in random order", MillisecondsOf([&] {
               for (const std::int32_t key : shuffled)
                   benchmark::DoNotOptimize(splay.GetItem(key));
           }),
           MillisecondsOf([&] {
               for (const std::int32_t key : shuffled)
                   benchmark::DoNotOptimize(map.find(key)->second);
           }));
    const std::int32_t favourite = shuffled.front();
    Report("look up one key repeatedly", MillisecondsOf([&] {
               for (int round = 0; round < ItemCount; ++round)
                   benchmark::DoNotOptimize(splay.GetItem(favourite));
           }),
           MillisecondsOf([&] {
               for (int round = 0; round < ItemCount; ++round)
                   benchmark::DoNotOptimize(map.find(favourite)->second);
           }));
    Report("iterate", MillisecondsOf([&] {
               TNESplayIterator<TBenchItem> iterator(splay);
               for (iterator.First(); !iterator.IsDone(); iterator.Next())
                   benchmark::DoNotOptimize(iterator.Current());
           }),
           MillisecondsOf([&] {
               for (const auto& [key, item] : map)
                   benchmark::DoNotOptimize(item);
           }));
    return 0;
}
