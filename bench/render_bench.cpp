// Console rendering speed:
//  (1) a long vector with a maximum length of 5000: 1000 items against 100
//      million items (truncation must cost in proportion to the maximum);
//  (2) one grid cell (element mode) of a 1000-item and of a 10-million-item
//      list (must cost the same);
//  (3) whole renderings of a 1-million-item float list and a 100,000-row
//      table, in items per second, next to a memcpy of the text they produce.
#include "core/values/KRender.h"

#include "kdb/k.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

K randomLongs(J n)
{
    K x = ktn(KJ, n);
    std::mt19937_64 random(1);
    for (J i = 0; i < n; ++i)
        kJ(x)[i] = static_cast<J>(random() % 1'000'000'000);
    return x;
}

K randomFloats(J n)
{
    K x = ktn(KF, n);
    std::mt19937_64 random(2);
    std::uniform_real_distribution<double> dist(-1e6, 1e6);
    for (J i = 0; i < n; ++i)
        kF(x)[i] = dist(random);
    return x;
}

// Cached per size so that each value is built once per run.
K longsOf(J n)
{
    static std::map<J, K> cache;
    K& x = cache[n];
    if (!x)
        x = randomLongs(n);
    return x;
}

K floatsOf(J n)
{
    static std::map<J, K> cache;
    K& x = cache[n];
    if (!x)
        x = randomFloats(n);
    return x;
}

// Columns long, float, symbol (200 names) and timestamp.
K tableOf(J rows)
{
    static K table = nullptr;
    if (table)
        return table;
    K sym = ktn(KS, rows);
    K ts = ktn(KP, rows);
    std::mt19937_64 random(3);
    std::vector<S> names;
    for (int i = 0; i < 200; ++i)
        names.push_back(ss(("sym" + std::to_string(i)).c_str()));
    for (J i = 0; i < rows; ++i) {
        kS(sym)[i] = names[random() % names.size()];
        kJ(ts)[i] = 760'000'000'000'000'000LL + static_cast<J>(random() % 1'000'000'000'000LL);
    }
    K names4 = ktn(KS, 4);
    const char* cols[] = {"id", "price", "sym", "time"};
    for (int i = 0; i < 4; ++i)
        kS(names4)[i] = ss(cols[i]);
    table = xT(xD(names4, knk(4, randomLongs(rows), randomFloats(rows), sym, ts)));
    return table;
}

void BM_TruncatedLongs(benchmark::State& state)
{
    K x = longsOf(state.range(0));
    KRender render;
    std::size_t length = 0;
    for (auto _ : state) {
        const QString text = render.render(x, -1, false, -1, 5000);
        length = static_cast<std::size_t>(text.size());
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["chars"] = static_cast<double>(length);
}
BENCHMARK(BM_TruncatedLongs)->Arg(1000)->Arg(100'000'000)->Unit(benchmark::kMicrosecond);

// A grid reads neighbouring rows (stride 1); a jump far into a large list
// (stride 7919) adds one cache miss of the item itself, nothing else.
void BM_ElementCell(benchmark::State& state)
{
    K x = longsOf(state.range(0));
    const J stride = state.range(1);
    KRender render;
    J i = 0;
    for (auto _ : state) {
        const QString text = render.render(x, -1, false, i);
        benchmark::DoNotOptimize(text.data());
        i = (i + stride) % x->n;
    }
}
BENCHMARK(BM_ElementCell)
    ->ArgNames({"n", "stride"})
    ->Args({1000, 1})
    ->Args({10'000'000, 1})
    ->Args({1000, 7919})
    ->Args({10'000'000, 7919})
    ->Unit(benchmark::kNanosecond);

void BM_ElementCellFloatLocale(benchmark::State& state)
{
    K x = floatsOf(state.range(0));
    RenderOptions options;
    options.numberLocaleFormat = true;
    options.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    KRender render(options);
    J i = 0;
    for (auto _ : state) {
        const QString text = render.render(x, -1, false, i);
        benchmark::DoNotOptimize(text.data());
        i = (i + 1) % x->n;
    }
}
BENCHMARK(BM_ElementCellFloatLocale)->Arg(1000)->Arg(10'000'000)->Unit(benchmark::kNanosecond);

// Whole texts, as UTF-16 (what the console shows) and as the UTF-8 the
// renderer builds (what exports write), next to a memcpy of the same text.
void wholeText(benchmark::State& state, K x, J items, int depth, bool utf16)
{
    KRender render;
    std::size_t bytes = 0;
    for (auto _ : state) {
        if (utf16) {
            const QString text = render.render(x, depth);
            bytes = static_cast<std::size_t>(text.size());
            benchmark::DoNotOptimize(text.data());
        } else {
            const std::string_view text = render.renderUtf8(x, depth);
            bytes = text.size();
            benchmark::DoNotOptimize(text.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * items);
    state.counters["chars"] = static_cast<double>(bytes);
}

void BM_FloatList(benchmark::State& state)
{
    wholeText(state, floatsOf(1'000'000), 1'000'000, -1, state.range(0) != 0);
}
BENCHMARK(BM_FloatList)->ArgName("utf16")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_LongList(benchmark::State& state)
{
    wholeText(state, longsOf(1'000'000), 1'000'000, -1, state.range(0) != 0);
}
BENCHMARK(BM_LongList)->ArgName("utf16")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Table(benchmark::State& state)
{
    // Rendered one level down, as inside a list: a top-level table of this
    // size prints "<large table skipped>".
    wholeText(state, tableOf(100'000), 100'000 * 4, 0, state.range(0) != 0);
}
BENCHMARK(BM_Table)->ArgName("utf16")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The other way to build the text: straight into UTF-16 with to_chars and
// QString appends; the renderer builds UTF-8 and converts once (BM_LongList).
void BM_LongListDirectUtf16(benchmark::State& state)
{
    K x = longsOf(1'000'000);
    QString text;
    for (auto _ : state) {
        text.clear();
        char item[24];
        for (J i = 0; i < x->n; ++i) {
            char* end = std::to_chars(item, item + sizeof item, kJ(x)[i]).ptr;
            text.append(QLatin1StringView(item, end - item));
            text.append(QLatin1StringView(i + 1 < x->n ? "j, " : "j"));
        }
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(state.iterations() * x->n);
}
BENCHMARK(BM_LongListDirectUtf16)->Unit(benchmark::kMillisecond);

// Baseline: copying a text of the float list's length.
void BM_MemcpyFloatText(benchmark::State& state)
{
    KRender render;
    const std::string text(render.renderUtf8(floatsOf(1'000'000)));
    std::string copy(text.size(), '\0');
    for (auto _ : state) {
        std::memcpy(copy.data(), text.data(), text.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(text.size()));
}
BENCHMARK(BM_MemcpyFloatText)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
