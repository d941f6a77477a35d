// The subscription dialog under a tickerplant publishing 10,000 updates a
// second: how often the grid is painted, how many updates were dropped as
// superseded, the longest gap of a 5 ms heartbeat on the window's thread (its
// responsiveness) next to the same heartbeat with no subscription, and the
// process memory at the start and the end of the run.
//   TOVO_BENCH_SECONDS=60 build/bench/subscription_bench   (default 10 s)
#include "TestInstance.h"
#include "connect/ProcessMemory.h"
#include "core/Prompter.h"
#include "core/settings/CDlgQSettings.h"
#include "query/CDlgSubscription.h"
#include "query/SubscriptionFeed.h"
#include "results/grid/COutputTable.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {
class NoPrompter : public Prompter {
public:
    Answer ask(const QString&, const QString&, Buttons, Icon, Answer) override { return Answer::Yes; }
};

int seconds() { return qEnvironmentVariableIsSet("TOVO_BENCH_SECONDS") ? qEnvironmentVariableIntValue("TOVO_BENCH_SECONDS") : 10; }

// Runs the event loop for ms, measuring the longest gap between 5 ms ticks.
qint64 longestGap(int ms, const std::function<void(int second)>& everySecond = {})
{
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, worst = 0;
    QTimer beat;
    beat.setInterval(5);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        worst = std::max(worst, now - last);
        if (everySecond && now / 1000 != last / 1000)
            everySecond(int(now / 1000));
        last = now;
        if (now >= ms)
            loop.quit();
    });
    beat.start();
    loop.exec();
    return worst;
}

void BM_IdleHeartbeat(benchmark::State& state)
{
    for (auto _ : state)
        state.counters["max_gap_ms"] = double(longestGap(2000));
}

void BM_Subscription10kPerSecond(benchmark::State& state)
{
    const int runSeconds = std::max(2, seconds());
    for (auto _ : state) {
        TestInstance instance;
        instance.addTickerplant({QStringLiteral("trade")}, 10000, -1, 5);
        if (!instance.start()) {
            state.SkipWithError("instance");
            return;
        }
        NoPrompter prompter;
        CDlgQSettings q;
        auto* grid = new COutputTable(COutputTable::Place::Embedded);
        grid->setSettings(&q);
        CDlgSubscription::Grid sink{grid, [grid](K value) { grid->setValue(value); }, [grid] { grid->clear(); }};
        CDlgSubscription dialog(prompter, q, sink);
        dialog.open(QStringLiteral("`:127.0.0.1:%1").arg(instance.port()));
        dialog.tableBox()->setEditText(QStringLiteral("trade"));
        dialog.subscribeButton()->click();
        QElapsedTimer wait;
        wait.start();
        while (!dialog.isSubscribed() && wait.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        if (!dialog.isSubscribed()) {
            state.SkipWithError("not subscribed");
            return;
        }
        std::int64_t memoryAfterWarmUp = 0;
        const qint64 worst = longestGap(runSeconds * 1000, [&](int second) {
            if (second == 1)
                memoryAfterWarmUp = ProcessMemory::workingSet();
        });
        const std::int64_t memoryEnd = ProcessMemory::workingSet();
        state.counters["updates_per_s"] = double(dialog.feed()->updates()) / runSeconds;
        state.counters["paints_per_s"] = double(dialog.paints()) / runSeconds;
        state.counters["dropped_pct"] = 100.0 * double(dialog.feed()->dropped()) / std::max<double>(1, dialog.feed()->updates());
        state.counters["max_gap_ms"] = double(worst);
        state.counters["mem_after_1s_MB"] = double(memoryAfterWarmUp) / (1 << 20);
        state.counters["mem_end_MB"] = double(memoryEnd) / (1 << 20);
        dialog.stop();
    }
}
} // namespace

BENCHMARK(BM_IdleHeartbeat)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Subscription10kPerSecond)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
