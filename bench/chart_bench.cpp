// Chart drawing into a 1600x900 image: two float series against a timestamp
// column. "First" prepares (X order, ranges) and draws, as "Chart!" does;
// "Zoom" redraws a quarter of the X range; "EveryPoint" draws each row's
// primitives one by one, the cost without the pixel-column reduction.
//
// Run: QT_QPA_PLATFORM=offscreen build/bench/chart_bench
#include "chart/ChartModel.h"
#include "chart/ChartPainter.h"
#include "chart/GraphConfig.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <random>

namespace {

const QSize kSize(1600, 900);

K makeTable(long long rows)
{
    std::mt19937_64 gen(42);
    std::uniform_real_distribution<double> step(-0.5, 0.5);
    std::uniform_int_distribution<int> gap(1, 2000000);
    K time = ktn(KP, rows), a = ktn(KF, rows), b = ktn(KF, rows);
    long long t = 764000000000000000LL; // 2024
    double va = 100, vb = 50;
    for (long long i = 0; i < rows; ++i) {
        t += gap(gen);
        kJ(time)[i] = t;
        va += step(gen);
        vb += step(gen) * 0.3;
        kF(a)[i] = va;
        kF(b)[i] = vb;
    }
    K names = ktn(KS, 0);
    js(&names, ss(const_cast<char*>("time")));
    js(&names, ss(const_cast<char*>("bid")));
    js(&names, ss(const_cast<char*>("ask")));
    return xT(xD(names, knk(3, time, a, b)));
}

K table(long long rows)
{
    static std::map<long long, KPtr> cache;
    KPtr& t = cache[rows];
    if (!t)
        t.reset(makeTable(rows));
    return t.get();
}

void prepareModel(ChartModel& m, long long rows)
{
    m.setTable(ChartTable::fromValue(table(rows)), GraphConfig::builtInPalette());
    m.setXColumn(0);
    m.prepare(nullptr, 0, false);
}

void First(benchmark::State& state, bool everyPoint)
{
    const long long rows = state.range(0);
    table(rows);
    QImage image(kSize, QImage::Format_RGB32);
    ChartDrawOptions o;
    o.drawEveryPoint = everyPoint;
    for (auto _ : state) {
        ChartModel m;
        prepareModel(m, rows);
        ChartPainter::draw(image, m, o);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * rows * 2);
}

void Zoom(benchmark::State& state, bool everyPoint)
{
    const long long rows = state.range(0);
    ChartModel m;
    prepareModel(m, rows);
    const PlotRect plot = PlotRect::inside(kSize);
    m.zoomTo(QRect(QPoint(600, 100), QPoint(1000, 800)), plot);
    QImage image(kSize, QImage::Format_RGB32);
    ChartDrawOptions o;
    o.drawEveryPoint = everyPoint;
    for (auto _ : state) {
        ChartPainter::draw(image, m, o);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_FirstDraw(benchmark::State& state) { First(state, false); }
void BM_FirstDrawEveryPoint(benchmark::State& state) { First(state, true); }
void BM_ZoomRedraw(benchmark::State& state) { Zoom(state, false); }
void BM_ZoomRedrawEveryPoint(benchmark::State& state) { Zoom(state, true); }

// The floor: reading the rows once.
void BM_ReadColumns(benchmark::State& state)
{
    const long long rows = state.range(0);
    K t = table(rows);
    K cols = kK(t->k)[1];
    for (auto _ : state) {
        double s = 0;
        for (int c = 0; c < 3; ++c) {
            const double* f = kF(kK(cols)[c]);
            for (long long i = 0; i < rows; ++i)
                s += f[i];
        }
        benchmark::DoNotOptimize(s);
    }
}

} // namespace

BENCHMARK(BM_ReadColumns)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstDraw)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoomRedraw)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstDrawEveryPoint)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ZoomRedrawEveryPoint)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
