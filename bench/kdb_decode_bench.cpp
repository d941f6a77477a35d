// Decoding speed of IPC messages, each next to a memcpy of the same bytes in
// the same run: (a) a 10-million-item long vector, (b) a 1-million-row table
// of long, float, symbol (200 names, in runs) and timestamp columns, (c) that table
// compressed as kdb+ sends it to a remote client.
#include "kdb/Compression.h"
#include "kdb/Deserializer.h"
#include "kdb/Serializer.h"
#include "kdb/k.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<char> encode(K x)
{
    std::vector<char> out;
    std::string error;
    if (!kdb::Serializer::serialize(x, 2, out, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::abort();
    }
    r0(x);
    return out;
}

const std::vector<char>& longVectorMessage()
{
    static const std::vector<char> message = [] {
        K x = ktn(KJ, 10'000'000);
        std::mt19937_64 random(1);
        for (J i = 0; i < x->n; ++i)
            kJ(x)[i] = static_cast<J>(random() % 1'000'000'000);
        return encode(x);
    }();
    return message;
}

const std::vector<char>& tableMessage()
{
    static const std::vector<char> message = [] {
        const J rows = 1'000'000;
        std::vector<S> names;
        for (int i = 0; i < 200; ++i)
            names.push_back(ss(("SYM" + std::to_string(i * 7919 % 1000)).c_str()));
        // Shaped like a day of trades kept by symbol: runs of one name,
        // times a millisecond apart, prices moving a cent at a time.
        K size = ktn(KJ, rows), price = ktn(KF, rows), sym = ktn(KS, rows), time = ktn(KP, rows);
        std::mt19937_64 random(2);
        const J stamp = 788918400000000000LL; // 2025.01.01D00:00
        double last = 100.0;
        for (J i = 0; i < rows; ++i) {
            kJ(size)[i] = 100 * static_cast<J>(1 + random() % 5);
            if (random() % 8 == 0)
                last += random() % 2 ? 0.01 : -0.01;
            kF(price)[i] = last;
            kS(sym)[i] = names[static_cast<std::size_t>(i * 200 / rows)];
            kJ(time)[i] = stamp + (i % 5000) * 1000000;
        }
        K columnNames = ktn(KS, 4);
        kS(columnNames)[0] = ss("size");
        kS(columnNames)[1] = ss("price");
        kS(columnNames)[2] = ss("sym");
        kS(columnNames)[3] = ss("time");
        return encode(xT(xD(columnNames, knk(4, size, price, sym, time))));
    }();
    return message;
}

const std::vector<char>& compressedTableMessage()
{
    static const std::vector<char> frame = [] {
        const std::vector<char>& plain = tableMessage();
        std::vector<char> out;
        if (!kdb::Compression::compress(plain.data(), plain.size(), out)) {
            std::fprintf(stderr, "the table does not compress under half\n");
            std::abort();
        }
        return out;
    }();
    return frame;
}

void memcpyOf(benchmark::State& state, const std::vector<char>& bytes)
{
    std::vector<char> target(bytes.size());
    for (auto _ : state) {
        std::memcpy(target.data(), bytes.data(), bytes.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

void decodeOf(benchmark::State& state, const std::vector<char>& bytes, std::size_t reportedBytes)
{
    for (auto _ : state) {
        std::string error;
        K x = kdb::Deserializer::decodeMessage(bytes.data(), bytes.size(), error);
        if (!x) {
            state.SkipWithError(error.c_str());
            return;
        }
        benchmark::DoNotOptimize(x);
        r0(x);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(reportedBytes));
}

void BM_LongVector_Memcpy(benchmark::State& state) { memcpyOf(state, longVectorMessage()); }
void BM_LongVector_Decode(benchmark::State& state)
{
    decodeOf(state, longVectorMessage(), longVectorMessage().size());
}

void BM_Table_Memcpy(benchmark::State& state) { memcpyOf(state, tableMessage()); }
void BM_Table_Decode(benchmark::State& state) { decodeOf(state, tableMessage(), tableMessage().size()); }

// Bytes processed count the plain message, so the rate is decompressed output.
void BM_CompressedTable_Decode(benchmark::State& state)
{
    state.counters["ratio"] = static_cast<double>(compressedTableMessage().size()) / static_cast<double>(tableMessage().size());
    decodeOf(state, compressedTableMessage(), tableMessage().size());
}

void BM_CompressedTable_DecompressOnly(benchmark::State& state)
{
    const std::vector<char>& frame = compressedTableMessage();
    std::vector<char> out;
    for (auto _ : state) {
        std::string error;
        if (!kdb::Compression::decompress(frame.data(), frame.size(), out, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(tableMessage().size()));
}

} // namespace

BENCHMARK(BM_LongVector_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongVector_Decode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Table_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Table_Decode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompressedTable_Decode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompressedTable_DecompressOnly)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
