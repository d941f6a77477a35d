// Reading a local codebase of 5,000 q files (about 40 MB in 50 folders),
// page cached:
//  - the baseline: the same files read with plain open/read/close calls from
//    a list of their paths made beforehand;
//  - the walk: listing the folders, reading, decoding and keeping every file
//    by the codebase's rules;
//  - a load on the worker as the window starts it, with the longest gap
//    between the window thread's 1 ms timer ticks meanwhile, next to the
//    longest gap of the same ticker running alone for about as long.
// Each reports its time against the baseline's ("x_baseline").
// Then the text filter of the files inventory over that codebase, laid out as
// its tree: a text every file holds (case-insensitive) and one none holds.
#include "files/LocalCodebase.h"
#include "files/SearchFiles.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kFiles = 5000;
constexpr int kFileBytes = 8 * 1024;

struct Codebase {
    QTemporaryDir dir;
    std::vector<QByteArray> paths;
    qint64 bytes = 0;
    Codebase()
    {
        QByteArray text;
        for (int line = 0; text.size() < kFileBytes; ++line)
            text += ".feed.f" + QByteArray::number(line) + ":{[x;y] r:x+y*" + QByteArray::number(line)
                + "; $[r>0;r;neg r]} / a comment\n";
        text.truncate(kFileBytes);
        for (int i = 0; i < kFiles; ++i) {
            const QString folder = dir.filePath(QStringLiteral("m%1/sub").arg(i % 50));
            QDir().mkpath(folder);
            const QString path = folder + QStringLiteral("/f%1.q").arg(i);
            QFile f(path);
            if (f.open(QIODevice::WriteOnly))
                f.write(text);
            paths.push_back(QFile::encodeName(path));
            bytes += text.size();
        }
    }
};

Codebase& codebase()
{
    static Codebase c;
    return c;
}

double g_baselineSeconds = 0;

void reportAgainstBaseline(benchmark::State& state, double seconds)
{
    const double mean = seconds / double(state.iterations());
    if (g_baselineSeconds > 0)
        state.counters["x_baseline"] = mean / g_baselineSeconds;
    state.SetBytesProcessed(int64_t(state.iterations()) * codebase().bytes);
}

void BM_Baseline_PlainReads(benchmark::State& state)
{
    Codebase& c = codebase();
    std::vector<char> buffer(kFileBytes * 2);
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        qint64 total = 0;
        for (const QByteArray& path : c.paths) {
            const int fd = ::open(path.constData(), O_RDONLY);
            if (fd < 0)
                continue;
            for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;)
                total += n;
            ::close(fd);
        }
        benchmark::DoNotOptimize(total);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    g_baselineSeconds = seconds / double(state.iterations());
    reportAgainstBaseline(state, seconds);
}

void BM_Walk(benchmark::State& state)
{
    Codebase& c = codebase();
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        LocalCodebase::Walk walk = LocalCodebase::walk(c.dir.path());
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (int(walk.files.size()) != kFiles)
            state.SkipWithError("files missing from the walk");
        state.PauseTiming();
        walk = {}; // freeing the map is not part of reading
        state.ResumeTiming();
    }
    reportAgainstBaseline(state, seconds);
}

void BM_LoadOnWorker(benchmark::State& state)
{
    Codebase& c = codebase();
    double seconds = 0;
    qint64 longestGapMs = 0;
    for (auto _ : state) {
        LocalCodebase codebase;
        QEventLoop loop;
        QObject::connect(&codebase, &LocalCodebase::finished, &loop, &QEventLoop::quit);
        // The window thread's liveness while the worker reads.
        QElapsedTimer sinceTick;
        QTimer ticker;
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, &loop, [&] {
            longestGapMs = std::max(longestGapMs, sinceTick.restart());
        });
        const auto start = std::chrono::steady_clock::now();
        sinceTick.start();
        ticker.start();
        codebase.load(c.dir.path());
        loop.exec();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ticker.stop();
        if (int(codebase.files().size()) != kFiles)
            state.SkipWithError("files missing from the load");
    }
    state.counters["max_ui_gap_ms"] = double(longestGapMs);
    reportAgainstBaseline(state, seconds);
}

// The same ticker for the same time with no worker: how long the window
// thread waits for its turn on this machine anyway.
void BM_Baseline_IdleTicker(benchmark::State& state)
{
    qint64 longestGapMs = 0;
    for (auto _ : state) {
        QEventLoop loop;
        QElapsedTimer sinceTick;
        QTimer ticker;
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, &loop, [&] {
            longestGapMs = std::max(longestGapMs, sinceTick.restart());
        });
        QTimer::singleShot(int(g_baselineSeconds * 4000) + 100, &loop, &QEventLoop::quit);
        sinceTick.start();
        ticker.start();
        loop.exec();
    }
    state.counters["max_ui_gap_ms"] = double(longestGapMs);
}

const SearchFiles::FileMap& loadedFiles()
{
    static const SearchFiles::FileMap files = LocalCodebase::walk(codebase().dir.path()).files;
    return files;
}

void BM_TextFilter(benchmark::State& state, const char* text)
{
    const SearchFiles::FileMap& files = loadedFiles();
    SearchFiles::Filter filter;
    filter.body = QString::fromLatin1(text);
    int listed = 0;
    for (auto _ : state) {
        const SearchFiles::Layout layout = SearchFiles::layout(
            QStringLiteral("Local"), files, filter, QString(), QString(), QString(),
            [](const QString&) { return QList<SearchFiles::Function>(); });
        listed = layout.files;
    }
    state.counters["files_listed"] = listed;
    state.SetBytesProcessed(int64_t(state.iterations()) * codebase().bytes);
}

} // namespace

BENCHMARK_CAPTURE(BM_TextFilter, every_file_NEG_R, "NEG R")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(BM_TextFilter, no_file, "no such text")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Baseline_PlainReads)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Walk)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LoadOnWorker)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Baseline_IdleTicker)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    codebase(); // written before any timing
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
