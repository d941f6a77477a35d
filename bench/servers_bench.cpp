// Loading a server list of 10,000 entries (file read, parse, map, tree) and
// rebuilding the explorer's tree for a filter, against reading the same
// bytes alone.
#include "connect/ServerExplorer.h"
#include "connect/ServerList.h"
#include "connect/ServerTreeModel.h"
#include "core/Prompter.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {
class NoPrompter : public Prompter {
public:
    Answer ask(const QString&, const QString&, Buttons, Icon, Answer) override { return Answer::No; }
};

struct Fixture {
    QTemporaryDir dir;
    QString path;
    explicit Fixture(int entries)
    {
        path = dir.filePath("Servers.cfg");
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return;
        for (int i = 0; i < entries; ++i) {
            if (i % 50 == 0)
                f.write("# region comment\r\n");
            f.write(QStringLiteral("`:host%1.example:%2:user:pass`Region%3`Desk%4`server%1\r\n")
                        .arg(i)
                        .arg(5000 + i % 1000)
                        .arg(i % 7)
                        .arg(i % 40)
                        .toLatin1());
        }
    }
};

void BM_ReadBytesBaseline(benchmark::State& state)
{
    Fixture fx(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QFile f(fx.path);
        if (!f.open(QIODevice::ReadOnly))
            state.SkipWithError("cannot read");
        benchmark::DoNotOptimize(f.readAll());
    }
}

void BM_LoadServerList(benchmark::State& state)
{
    Fixture fx(static_cast<int>(state.range(0)));
    NoPrompter prompter;
    ServerList list(fx.path, prompter);
    ServerTreeModel model;
    model.setShowServersAs(1);
    model.setServerList(&list); // rebuilt on every load
    for (auto _ : state) {
        if (!list.load())
            state.SkipWithError("cannot load");
        benchmark::DoNotOptimize(model.rowCount(model.rootIndex()));
    }
    state.counters["entries"] = static_cast<double>(list.entries().size());
}
// The explorer's filter rebuild: the list read again and only matching
// entries given nodes, as the filter timer does.
void BM_FilterRebuild(benchmark::State& state)
{
    Fixture fx(static_cast<int>(state.range(0)));
    NoPrompter prompter;
    ServerList list(fx.path, prompter);
    ServerExplorer explorer(list, prompter, nullptr);
    explorer.setShowServersAs(1);
    list.load();
    explorer.setCurrentServer(QStringLiteral("`:host42.example:5042:user:pass"));
    int round = 0;
    for (auto _ : state) {
        // A different filter each round, so every round rebuilds.
        explorer.filterTyped(round++ % 2 ? QStringLiteral("region3*desk1") : QStringLiteral("server99"));
        explorer.tick();
        explorer.tick();
    }
    state.counters["rebuilds"] = explorer.rebuilds();
}
} // namespace

BENCHMARK(BM_FilterRebuild)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBytesBaseline)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadServerList)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
