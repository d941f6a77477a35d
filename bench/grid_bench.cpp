// The grid over a 10-million-row table of five columns (long, float, symbol,
// timestamp, string):
//  (1) set value and render the first screen (40 rows of every column)
//      through the model, with the heap the grid adds per row;
//  (2) sorting by the long and by the symbol column, with the heap the sort
//      leaves per row;
//  (3) the same set value through the real widget, painted offscreen, with the
//      heap the view adds per row;
// next to baselines from the same run: a memcpy of the long column and
// std::sort of a copy of its values.
#include "results/grid/CKTableRenderer.h"
#include "results/grid/COutputTable.h"

#include "kdb/KPtr.h"
#include "kdb/k.h"

#include "BenchMemory.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using bench::heapInUse;
using bench::residentBytes;

constexpr J kRows = 10'000'000;
constexpr int kScreenRows = 40;

K buildTable()
{
    std::mt19937_64 random(42);
    K longs = ktn(KJ, kRows), floats = ktn(KF, kRows), symbols = ktn(KS, kRows), stamps = ktn(KP, kRows);
    K strings = ktn(0, kRows);
    std::vector<S> names;
    for (int i = 0; i < 1000; ++i) {
        std::string name = "sym"; // appended, not literal + string: GCC 12 -O3 -Wrestrict
        name += std::to_string(i * 7919 % 1000);
        names.push_back(ss(name.c_str()));
    }
    std::uniform_real_distribution<double> real(-1e6, 1e6);
    J stamp = 0;
    for (J i = 0; i < kRows; ++i) {
        kJ(longs)[i] = static_cast<J>(random() % 4'000'000'000'000LL) - 2'000'000'000'000LL;
        kF(floats)[i] = real(random);
        kS(symbols)[i] = names[random() % names.size()];
        stamp += static_cast<J>(random() % 1'000'000'000);
        kJ(stamps)[i] = stamp;
        std::string text = "s";
        text += std::to_string(random() % 100000);
        kK(strings)[i] = kp(text.c_str());
    }
    K columnNames = ktn(KS, 5);
    const char* titles[] = {"id", "price", "sym", "time", "note"};
    for (int i = 0; i < 5; ++i)
        kS(columnNames)[i] = ss(titles[i]);
    return xT(xD(columnNames, knk(5, longs, floats, symbols, stamps, strings)));
}

K table()
{
    static KPtr value(buildTable());
    return value.get();
}

K column(int i)
{
    return kK(kK(table()->k)[1])[i];
}

void renderScreen(const CKTableRenderer& grid)
{
    for (int r = 0; r < kScreenRows; ++r)
        for (int c = 0; c < grid.columnCount(); ++c)
            benchmark::DoNotOptimize(grid.data(grid.index(r, c)));
}

void BM_Baseline_MemcpyLongColumn(benchmark::State& state)
{
    K source = column(0);
    std::vector<J> target(static_cast<std::size_t>(kRows));
    for (auto _ : state) {
        std::memcpy(target.data(), kJ(source), sizeof(J) * static_cast<std::size_t>(kRows));
        benchmark::ClobberMemory();
    }
}

void BM_SetValueAndFirstScreen(benchmark::State& state)
{
    K value = table();
    CKTableRenderer grid;
    long long added = 0;
    for (auto _ : state) {
        const long long before = heapInUse();
        grid.setValue(value);
        renderScreen(grid);
        added = heapInUse() - before;
        state.PauseTiming();
        grid.clear();
        state.ResumeTiming();
    }
    state.counters["grid_bytes_per_row"] = static_cast<double>(added) / kRows;
}

void sortBench(benchmark::State& state, int section)
{
    CKTableRenderer grid;
    grid.setValue(table());
    const long long before = heapInUse();
    for (auto _ : state) {
        state.PauseTiming();
        grid.sortBy(section, 0);
        state.ResumeTiming();
        grid.sortBy(section, 1);
    }
    state.counters["kept_bytes_per_row"] = static_cast<double>(heapInUse() - before) / kRows;
    renderScreen(grid);
}

void BM_SortLongColumn(benchmark::State& state)
{
    sortBench(state, 0);
}

void BM_SortSymbolColumn(benchmark::State& state)
{
    sortBench(state, 2);
}

void BM_Baseline_StdSortLongs(benchmark::State& state)
{
    K source = column(0);
    std::vector<J> values;
    for (auto _ : state) {
        state.PauseTiming();
        values.assign(kJ(source), kJ(source) + kRows);
        state.ResumeTiming();
        std::sort(values.begin(), values.end());
    }
}

void BM_WidgetSetValueAndPaint(benchmark::State& state)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "grid_bench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    K value = table();
    long long added = 0, resident = 0;
    double setMs = 0, autoSizeMs = 0;
    for (auto _ : state) {
        // A new view each time: a view keeps the room it once took for rows.
        state.PauseTiming();
        auto* view = new COutputTable;
        view->resize(1000, 900); // about 40 rows
        const long long before = heapInUse();
        const long long residentBefore = residentBytes();
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        view->setValue(value);
        setMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        benchmark::DoNotOptimize(view->grab());
        state.PauseTiming();
        added = heapInUse() - before;
        resident = residentBytes() - residentBefore;
        timer.restart();
        view->autoSizeColumns();
        autoSizeMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        delete view;
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["view_and_grid_heap_bytes_per_row"] = static_cast<double>(added) / kRows;
    state.counters["resident_bytes_per_row"] = static_cast<double>(resident) / kRows;
    state.counters["set_value_ms"] = setMs;
    state.counters["auto_size_ms"] = autoSizeMs;
}

} // namespace

BENCHMARK(BM_Baseline_MemcpyLongColumn)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetValueAndFirstScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortLongColumn)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SortSymbolColumn)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Baseline_StdSortLongs)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WidgetSetValueAndPaint)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
