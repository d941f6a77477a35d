// Filtering a grid's rows and counting a selection, on tables of 1 and 10
// million rows (a long column of random values, a symbol column of 1000
// names):
//  - a comparison on the long column (">0", about half the rows pass);
//  - a substring on the symbol column ("ym12", 11 names of 1000) and an
//    equality on it ("=sym42");
//  - the statistics of a million selected cells of the long column;
// next to baselines from the same run: one pass over the long column (a sum)
// and one over the symbol column (a count of one name). After the runs the
// ratios to the baselines and the heap each filter keeps per table row are
// printed.
#include "results/grid/GridFilter.h"
#include "results/grid/GridStatistics.h"

#include "kdb/KPtr.h"
#include "kdb/k.h"

#include "BenchMemory.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using bench::heapInUse;

struct Table {
    KPtr longs;
    KPtr symbols;
};

const Table& table(J rows)
{
    static std::map<J, Table> tables;
    auto it = tables.find(rows);
    if (it != tables.end())
        return it->second;
    std::mt19937_64 random(42);
    K longs = ktn(KJ, rows), symbols = ktn(KS, rows);
    std::vector<S> names;
    for (int i = 0; i < 1000; ++i) {
        std::string name = "sym";
        name += std::to_string(i);
        names.push_back(ss(name.c_str()));
    }
    for (J i = 0; i < rows; ++i) {
        kJ(longs)[i] = static_cast<J>(random() % 2'000'000) - 1'000'000;
        kS(symbols)[i] = names[random() % names.size()];
    }
    return tables.emplace(rows, Table{KPtr(longs), KPtr(symbols)}).first->second;
}

// Mean milliseconds per iteration and heap kept per row, by benchmark name.
std::map<std::string, double> g_ms;
std::map<std::string, double> g_bytesPerRow;

std::string key(const char* name, const benchmark::State& state) { return std::string(name) + "/" + std::to_string(state.range(0)); }

template <typename Body>
void timed(benchmark::State& state, const char* name, Body body)
{
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        body();
        total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    g_ms[key(name, state)] = total / double(state.iterations());
}

void BM_Baseline_PassOverLongs(benchmark::State& state)
{
    const Table& t = table(state.range(0));
    timed(state, "BM_Baseline_PassOverLongs", [&] {
        long long sum = 0;
        const J* v = kJ(t.longs.get());
        for (J i = 0; i < t.longs->n; ++i)
            sum += v[i];
        benchmark::DoNotOptimize(sum);
    });
}

void BM_Baseline_PassOverSymbols(benchmark::State& state)
{
    const Table& t = table(state.range(0));
    const S wanted = ss("sym42");
    timed(state, "BM_Baseline_PassOverSymbols", [&] {
        long long count = 0;
        const S* v = kS(t.symbols.get());
        for (J i = 0; i < t.symbols->n; ++i)
            count += v[i] == wanted;
        benchmark::DoNotOptimize(count);
    });
}

void filterBench(benchmark::State& state, const char* name, K column, const char* text)
{
    GridFilter::Job job;
    job.columns.push_back({KPtr(r1(column)), FilterCondition::parse(QString::fromLatin1(text), column->t)});
    job.rows = static_cast<std::int32_t>(column->n);
    std::size_t passed = 0;
    long long kept = 0;
    timed(state, name, [&] {
        const long long before = heapInUse();
        std::optional<std::vector<std::int32_t>> rows = GridFilter::run(job);
        kept = heapInUse() - before;
        passed = rows->size();
        benchmark::DoNotOptimize(rows->data());
    });
    state.counters["passed"] = double(passed);
    g_bytesPerRow[key(name, state)] = double(kept) / double(job.rows);
}

void BM_FilterLongGreater(benchmark::State& state)
{
    filterBench(state, "BM_FilterLongGreater", table(state.range(0)).longs.get(), ">0");
}

void BM_FilterSymbolSubstring(benchmark::State& state)
{
    filterBench(state, "BM_FilterSymbolSubstring", table(state.range(0)).symbols.get(), "ym12");
}

void BM_FilterSymbolEqual(benchmark::State& state)
{
    filterBench(state, "BM_FilterSymbolEqual", table(state.range(0)).symbols.get(), "=sym42");
}

void BM_StatisticsOfMillionCells(benchmark::State& state)
{
    const Table& t = table(state.range(0));
    std::vector<std::int32_t> rows(1'000'000);
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = static_cast<std::int32_t>(i * 7 % static_cast<std::size_t>(t.longs->n));
    timed(state, "BM_StatisticsOfMillionCells", [&] {
        const GridStatistics stats = GridStatistics::of({t.longs.get()}, rows);
        benchmark::DoNotOptimize(stats.sum);
    });
}

BENCHMARK(BM_Baseline_PassOverLongs)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_PassOverSymbols)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterLongGreater)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterSymbolSubstring)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterSymbolEqual)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatisticsOfMillionCells)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

void report(const char* name, const char* baseline, J rows)
{
    const std::string key = std::string(name) + "/" + std::to_string(rows);
    const std::string base = std::string(baseline) + "/" + std::to_string(rows);
    if (!g_ms.count(key) || !g_ms.count(base))
        return;
    std::printf("%-40s %9.2f ms  %6.1fx %s", key.c_str(), g_ms[key], g_ms[key] / g_ms[base], baseline);
    if (g_bytesPerRow.count(key))
        std::printf("  keeps %.2f bytes/row", g_bytesPerRow[key]);
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nRatios to a pass over the column in the same run:\n");
    for (J rows : {1'000'000LL, 10'000'000LL}) {
        report("BM_FilterLongGreater", "BM_Baseline_PassOverLongs", rows);
        report("BM_FilterSymbolSubstring", "BM_Baseline_PassOverSymbols", rows);
        report("BM_FilterSymbolEqual", "BM_Baseline_PassOverSymbols", rows);
        report("BM_StatisticsOfMillionCells", "BM_Baseline_PassOverLongs", rows);
    }
    return 0;
}
