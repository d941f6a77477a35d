// Memory of a reply that is a general list of generic nulls (::), the shape
// that costs most per wire byte: 2 bytes an item on the wire. Reports the
// resident memory the decoded value holds, in bytes per item, beside the
// wire size. One iteration each: a second decode would reuse memory the
// first one freed and hide the cost.
//   kdb_nulls_bench --benchmark_filter=100000000   (the 100-million reply)
#include "kdb/Deserializer.h"
#include "kdb/k.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Resident bytes of this process; -1 where /proc is not there.
std::int64_t residentBytes()
{
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f)
        return -1;
    long long pages = 0, resident = 0;
    const int got = std::fscanf(f, "%lld %lld", &pages, &resident);
    std::fclose(f);
    return got == 2 ? resident * 4096 : -1;
}

// A response message holding a general list of n generic nulls.
std::vector<char> nullsMessage(std::int64_t n)
{
    std::vector<char> m(8 + 6 + static_cast<std::size_t>(n) * 2);
    const std::uint32_t length = static_cast<std::uint32_t>(m.size());
    m[0] = 1;
    m[1] = 2;
    std::memcpy(&m[4], &length, 4);
    m[8] = 0;
    m[9] = 0;
    const std::int32_t count = static_cast<std::int32_t>(n);
    std::memcpy(&m[10], &count, 4);
    for (std::int64_t i = 0; i < n; ++i) {
        m[14 + 2 * static_cast<std::size_t>(i)] = static_cast<char>(KUNARY);
        m[15 + 2 * static_cast<std::size_t>(i)] = 0;
    }
    return m;
}

void BM_GenericNulls_Decode(benchmark::State& state)
{
    const std::int64_t n = state.range(0);
    const std::vector<char> message = nullsMessage(n);
    for (auto _ : state) {
        const std::int64_t before = residentBytes();
        std::string error;
        K x = kdb::Deserializer::decodeMessage(message.data(), message.size(), error);
        if (!x) {
            state.SkipWithError(error.c_str());
            return;
        }
        const std::int64_t after = residentBytes();
        benchmark::DoNotOptimize(x);
        state.PauseTiming();
        r0(x);
        state.ResumeTiming();
        state.counters["wire_MB"] = static_cast<double>(message.size()) / 1e6;
        state.counters["held_MB"] = static_cast<double>(after - before) / 1e6;
        state.counters["bytes_per_item"] = static_cast<double>(after - before) / static_cast<double>(n);
        state.counters["times_wire"] = static_cast<double>(after - before) / static_cast<double>(message.size());
    }
}

} // namespace

BENCHMARK(BM_GenericNulls_Decode)->Arg(1'000'000)->Arg(100'000'000)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
