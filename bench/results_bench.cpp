// Exports and binary result files over a 1-million-row table of four columns
// (long, float, symbol, timestamp), in the grid's display order:
//  - CSV, spreadsheet XML and .xlsx files from the grid, each with the peak
//    of memory the export adds (heap in use and resident bytes, sampled every
//    millisecond by a second thread);
//  - a binary save and a binary load of the table, in a folder that is page
//    cached, next to a memcpy of the file's bytes measured in the same run.
// Files go to /dev/shm where it exists, $TMPDIR (default /tmp) otherwise.
#include "results/binary/BinaryResult.h"
#include "results/binary/BinaryResultFile.h"
#include "results/export/CsvExport.h"
#include "results/export/SpreadsheetXmlExport.h"
#include "results/export/XlsxExport.h"
#include "results/grid/CKTableRenderer.h"

#include "kdb/KPtr.h"
#include "kdb/k.h"

#include "BenchMemory.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using bench::PeakSampler;

constexpr J kRows = 1'000'000;

K buildTable()
{
    std::mt19937_64 random(42);
    K longs = ktn(KJ, kRows), floats = ktn(KF, kRows), symbols = ktn(KS, kRows), stamps = ktn(KP, kRows);
    std::vector<S> names;
    for (int i = 0; i < 1000; ++i)
        names.push_back(ss(("sym" + std::to_string(i * 7919 % 1000)).c_str()));
    std::uniform_real_distribution<double> real(-1e6, 1e6);
    J stamp = 0;
    for (J i = 0; i < kRows; ++i) {
        kJ(longs)[i] = static_cast<J>(random() % 4'000'000'000'000LL) - 2'000'000'000'000LL;
        kF(floats)[i] = real(random);
        kS(symbols)[i] = names[random() % names.size()];
        stamp += static_cast<J>(random() % 1'000'000'000);
        kJ(stamps)[i] = stamp;
    }
    K columnNames = ktn(KS, 4);
    const char* titles[] = {"id", "price", "sym", "time"};
    for (int i = 0; i < 4; ++i)
        kS(columnNames)[i] = ss(titles[i]);
    return xT(xD(columnNames, knk(4, longs, floats, symbols, stamps)));
}

K table()
{
    static KPtr value(buildTable());
    return value.get();
}

// A folder held in memory where the system has one (/dev/shm), so that the
// binary figures measure Tovo's work and not the disk's; $TMPDIR otherwise.
QTemporaryDir& folder()
{
    static QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                 ? QStringLiteral("/dev/shm/tovo-bench-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/tovo-bench-XXXXXX"));
    return dir;
}

CKTableRenderer& grid()
{
    static CKTableRenderer* g = [] {
        auto* r = new CKTableRenderer;
        r->setValue(table());
        return r;
    }();
    return *g;
}

template <typename Export>
void exportBench(benchmark::State& state, const char* name, Export write)
{
    CKTableRenderer& g = grid();
    const QString path = folder().filePath(QString::fromLatin1(name));
    double heap = 0, resident = 0;
    for (auto _ : state) {
        PeakSampler sampler;
        if (!write(path, g))
            state.SkipWithError("export failed");
        sampler.stop();
        heap = sampler.heapMB();
        resident = sampler.residentMB();
    }
    state.counters["peak_heap_added_MB"] = heap;
    state.counters["peak_resident_added_MB"] = resident;
    state.counters["file_MB"] = double(QFile(path).size()) / (1 << 20);
    QFile::remove(path);
}

void BM_ExportCsv(benchmark::State& state)
{
    exportBench(state, "out.csv", [](const QString& path, const CKTableRenderer& g) {
        QString error;
        return CsvExport::save(path, g, nullptr, QLatin1Char(','), &error);
    });
}

void BM_ExportSpreadsheetXml(benchmark::State& state)
{
    exportBench(state, "out.xml", [](const QString& path, const CKTableRenderer& g) {
        QSaveFile file(path);
        return file.open(QIODevice::WriteOnly) && SpreadsheetXmlExport::write(g, file) && file.commit();
    });
}

void BM_ExportXlsx(benchmark::State& state)
{
    exportBench(state, "out.xlsx", [](const QString& path, const CKTableRenderer& g) {
        QString error;
        return XlsxExport::save(path, g, &error);
    });
}

std::size_t binaryFileSize()
{
    std::vector<char> bytes;
    std::string error;
    BinaryResult::encode(table(), bytes, error);
    return bytes.size();
}

void BM_Baseline_MemcpyFileBytes(benchmark::State& state)
{
    const std::size_t size = binaryFileSize();
    std::vector<char> source(size, 1), target(size);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), size);
        benchmark::ClobberMemory();
    }
    state.counters["file_MB"] = double(size) / (1 << 20);
}

void BM_BinarySave(benchmark::State& state)
{
    const QString path = folder().filePath(QStringLiteral("t.bin"));
    for (auto _ : state) {
        QString error;
        if (!BinaryResultFile::save(path, table(), &error))
            state.SkipWithError("save failed");
    }
}

void BM_BinaryLoad(benchmark::State& state)
{
    const QString path = folder().filePath(QStringLiteral("t.bin"));
    QString error;
    BinaryResultFile::save(path, table(), &error);
    for (auto _ : state) {
        BinaryResultFile::Loaded loaded = BinaryResultFile::load(path);
        if (!loaded.value)
            state.SkipWithError("load failed");
        state.PauseTiming();
        r0(loaded.value);
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ExportSpreadsheetXml)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ExportXlsx)->Unit(benchmark::kMillisecond)->Iterations(1);
// With --benchmark_repetitions, the fastest repetition too: on a shared
// machine it is the figure least disturbed by neighbours, for the baseline
// and the file work alike.
static double fastest(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }

BENCHMARK(BM_Baseline_MemcpyFileBytes)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
BENCHMARK(BM_BinarySave)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
BENCHMARK(BM_BinaryLoad)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
BENCHMARK_MAIN();
