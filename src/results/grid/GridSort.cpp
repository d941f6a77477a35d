#include "results/grid/GridSort.h"

#include "core/values/KRender.h"
#include "results/grid/TableColumns.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

// Keys whose unsigned order is the column's order. Signed integers with the
// sign bit flipped put null (the minimum) first, then -0W, then the rest.
inline std::uint64_t signedKey(long long v, int bits)
{
    return (static_cast<std::uint64_t>(v) ^ (1ULL << (bits - 1))) & (bits == 64 ? ~0ULL : (1ULL << bits) - 1);
}

// NaN first, then the numeric order; -0.0 and 0.0 are equal.
inline std::uint64_t floatKey(double v)
{
    if (std::isnan(v))
        return 0;
    if (v == 0)
        v = 0;
    const auto bits = std::bit_cast<std::uint64_t>(v);
    return (bits >> 63) ? ~bits : bits | (1ULL << 63);
}

// Runs work(part) for part 0..parts-1, part 0 on the calling thread and the
// others on threads of their own; returns when every part has finished.
template <typename Work>
void inParallel(int parts, const Work& work)
{
    std::vector<std::thread> others;
    for (int part = 1; part < parts; ++part) {
        try {
            others.emplace_back([&work, part] { work(part); });
        } catch (const std::system_error&) {
            work(part); // no thread to be had: this one does the part
        }
    }
    work(0);
    for (std::thread& thread : others)
        thread.join();
}

// Parts a sort of n rows is split into: one per core for long columns.
int partsFor(std::size_t n)
{
    if (n < (std::size_t(1) << 17))
        return 1;
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1U, 4U));
}

// A scratch array of n 64-bit items, its pages asked for in large units
// where the system offers them (fewer page faults on tens of megabytes).
class ScratchItems {
public:
    explicit ScratchItems(std::size_t n)
    {
        constexpr std::size_t kHuge = std::size_t(2) << 20;
        std::size_t bytes = std::max<std::size_t>(n, 1) * sizeof(std::uint64_t);
        if (bytes >= kHuge) {
            bytes = (bytes + kHuge - 1) / kHuge * kHuge;
            m_items = static_cast<std::uint64_t*>(std::aligned_alloc(kHuge, bytes));
#if defined(__linux__)
            if (m_items)
                madvise(m_items, bytes, MADV_HUGEPAGE);
#endif
        } else {
            m_items = static_cast<std::uint64_t*>(std::malloc(bytes));
        }
        if (!m_items)
            throw std::bad_alloc();
    }
    ~ScratchItems() { std::free(m_items); }
    ScratchItems(const ScratchItems&) = delete;
    ScratchItems& operator=(const ScratchItems&) = delete;
    std::uint64_t* data() const { return m_items; }

private:
    std::uint64_t* m_items = nullptr;
};

// Sorts n items, each a key above rowBits and a row below them, stably by
// key with an LSD radix sort of up to 11 bits a pass (the passes run in the
// cache for a bucket's few thousand items, and bits no key varies in are
// skipped), and writes their rows in that order to out.
void sortBucket(std::uint64_t* items, std::vector<std::uint64_t>& scratch, std::size_t n, unsigned rowBits,
                std::int32_t* out)
{
    const std::uint64_t rowMask = (std::uint64_t(1) << rowBits) - 1;
    if (n <= 32) {
        for (std::size_t i = 1; i < n; ++i) {
            const std::uint64_t item = items[i];
            const std::uint64_t key = item >> rowBits;
            std::size_t j = i;
            for (; j > 0 && (items[j - 1] >> rowBits) > key; --j)
                items[j] = items[j - 1];
            items[j] = item;
        }
        for (std::size_t i = 0; i < n; ++i)
            out[i] = static_cast<std::int32_t>(items[i] & rowMask);
        return;
    }
    std::uint64_t varying = 0;
    const std::uint64_t first = items[0] >> rowBits;
    for (std::size_t i = 0; i < n; ++i)
        varying |= (items[i] >> rowBits) ^ first;
    const unsigned used = varying ? static_cast<unsigned>(64 - std::countl_zero(varying)) : 0;
    const unsigned passes = (used + 10) / 11;
    if (passes == 0) {
        for (std::size_t i = 0; i < n; ++i)
            out[i] = static_cast<std::int32_t>(items[i] & rowMask);
        return;
    }
    if (scratch.size() < n)
        scratch.resize(n);
    const unsigned digit = (used + passes - 1) / passes;
    const std::size_t buckets = std::size_t(1) << digit;
    const std::uint64_t mask = buckets - 1;
    std::uint32_t count[2048];
    std::uint64_t* from = items;
    std::uint64_t* to = scratch.data();
    for (unsigned pass = 0; pass < passes; ++pass) {
        const unsigned shift = rowBits + pass * digit;
        std::fill(count, count + buckets, 0U);
        for (std::size_t i = 0; i < n; ++i)
            ++count[(from[i] >> shift) & mask];
        std::uint32_t sum = 0;
        for (std::size_t b = 0; b < buckets; ++b)
            sum += std::exchange(count[b], sum);
        if (pass + 1 == passes) {
            for (std::size_t i = 0; i < n; ++i)
                out[count[(from[i] >> shift) & mask]++] = static_cast<std::int32_t>(from[i] & rowMask);
        } else {
            for (std::size_t i = 0; i < n; ++i)
                to[count[(from[i] >> shift) & mask]++] = from[i];
            std::swap(from, to);
        }
    }
}

// LSD radix sort of the order by 64-bit keys, one byte a pass; stable, and
// passes over bytes that are the same in every key are skipped. For keys too
// wide to share a word with their row.
void sortWideKeys(std::vector<std::uint64_t>& keys, std::vector<std::int32_t>& order)
{
    const std::size_t n = keys.size();
    std::uint64_t varying = 0;
    for (std::uint64_t k : keys)
        varying |= k ^ keys[0];
    std::vector<std::uint64_t> keys2(n);
    std::vector<std::int32_t> order2(n);
    for (unsigned shift = 0; shift < 64; shift += 8) {
        if (((varying >> shift) & 0xFF) == 0)
            continue;
        std::size_t count[257] = {};
        for (std::uint64_t k : keys)
            ++count[((k >> shift) & 0xFF) + 1];
        for (int b = 0; b < 256; ++b)
            count[b + 1] += count[b];
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t at = count[(keys[i] >> shift) & 0xFF]++;
            keys2[at] = keys[i];
            order2[at] = order[i];
        }
        keys.swap(keys2);
        order.swap(order2);
    }
}

// Sorts the order stably by keyOf(row) (rows beyond the column's length
// taking key 0), descending when direction is negative. The keys' span is
// split: its top bits (an MSD pass, the order scattered into buckets by
// them) and the rest, packed with the row into one word and sorted within
// each bucket. Every pass over the whole order is shared out among the
// cores by contiguous parts, so equal keys keep their order; the buckets are
// shared out one at a time.
template <typename KeyOf>
void sortByKeys(std::vector<std::int32_t>& order, int direction, long long length, KeyOf keyOf)
{
    const std::size_t n = order.size();
    if (n < 2)
        return;
    const auto rawKey = [&](std::int32_t row) -> std::uint64_t { return row < length ? keyOf(row) : 0; };
    const int parts = partsFor(n);
    const auto range = [n, parts](int part) {
        return std::pair<std::size_t, std::size_t>(n * std::size_t(part) / std::size_t(parts),
                                                   n * std::size_t(part + 1) / std::size_t(parts));
    };
    std::vector<std::uint64_t> los(static_cast<std::size_t>(parts), ~0ULL), his(static_cast<std::size_t>(parts), 0);
    std::vector<std::uint32_t> rowBitsOf(static_cast<std::size_t>(parts), 0);
    inParallel(parts, [&](int part) {
        const auto [begin, end] = range(part);
        std::uint64_t lo = ~0ULL, hi = 0;
        std::uint32_t rows = 0;
        for (std::size_t i = begin; i < end; ++i) {
            const std::uint64_t k = rawKey(order[i]);
            lo = std::min(lo, k);
            hi = std::max(hi, k);
            rows |= static_cast<std::uint32_t>(order[i]);
        }
        los[static_cast<std::size_t>(part)] = lo;
        his[static_cast<std::size_t>(part)] = hi;
        rowBitsOf[static_cast<std::size_t>(part)] = rows;
    });
    const std::uint64_t lo = *std::min_element(los.begin(), los.end());
    const std::uint64_t hi = *std::max_element(his.begin(), his.end());
    std::uint32_t allRows = 0;
    for (std::uint32_t rows : rowBitsOf)
        allRows |= rows;
    if (lo == hi)
        return; // all equal: the order stays
    const bool down = direction < 0;
    // Keys from 0 up; turned over for descending order, so that ties keep
    // their order either way.
    const auto key = [&](std::int32_t row) { return down ? hi - rawKey(row) : rawKey(row) - lo; };
    const unsigned bits = static_cast<unsigned>(64 - std::countl_zero(hi - lo));
    const unsigned rowBits = std::max(1U, static_cast<unsigned>(32 - std::countl_zero(allRows)));

    // Buckets of about 16k items keep a bucket's passes in the core's cache.
    unsigned top = 0;
    while ((n >> top) > 16384 && top < 12)
        ++top;
    top = std::min(top, bits);
    const unsigned low = bits - top;
    if (low + rowBits > 64) {
        std::vector<std::uint64_t> keys(n);
        for (std::size_t i = 0; i < n; ++i)
            keys[i] = key(order[i]);
        sortWideKeys(keys, order);
        return;
    }
    const std::size_t buckets = std::size_t(1) << top;
    const std::uint64_t lowMask = low >= 64 ? ~0ULL : (std::uint64_t(1) << low) - 1;
    const auto bucketOf = [low](std::uint64_t k) { return low >= 64 ? 0 : static_cast<std::size_t>(k >> low); };
    std::vector<std::vector<std::size_t>> at(static_cast<std::size_t>(parts), std::vector<std::size_t>(buckets, 0));
    inParallel(parts, [&](int part) {
        const auto [begin, end] = range(part);
        std::vector<std::size_t>& count = at[static_cast<std::size_t>(part)];
        for (std::size_t i = begin; i < end; ++i)
            ++count[bucketOf(key(order[i]))];
    });
    // Where each part's items of each bucket go: bucket by bucket, part by part.
    std::vector<std::size_t> starts(buckets + 1);
    std::size_t sum = 0;
    for (std::size_t b = 0; b < buckets; ++b) {
        starts[b] = sum;
        for (auto& count : at)
            sum += std::exchange(count[b], sum);
    }
    starts[buckets] = n;
    ScratchItems items(n);
    std::uint64_t* packed = items.data();
    inParallel(parts, [&](int part) {
        const auto [begin, end] = range(part);
        std::vector<std::size_t>& next = at[static_cast<std::size_t>(part)];
        for (std::size_t i = begin; i < end; ++i) {
            const std::uint64_t k = key(order[i]);
            packed[next[bucketOf(k)]++] = ((k & lowMask) << rowBits) | static_cast<std::uint32_t>(order[i]);
        }
    });
    std::atomic<std::size_t> nextBucket {0};
    inParallel(parts, [&](int) {
        std::vector<std::uint64_t> scratch;
        for (std::size_t b; (b = nextBucket++) < buckets;)
            sortBucket(packed + starts[b], scratch, starts[b + 1] - starts[b], rowBits, order.data() + starts[b]);
    });
}

// Open-addressing set of the distinct symbol pointers of a column, each
// given its rank in byte-wise order of the texts (strcmp compares unsigned).
class SymbolRanks {
public:
    void add(S s)
    {
        if ((m_count + 1) * 2 > m_slots.size())
            grow();
        std::size_t at = find(s);
        if (!m_slots[at]) {
            m_slots[at] = s;
            ++m_count;
        }
    }
    void rank()
    {
        std::vector<S> distinct;
        distinct.reserve(m_count);
        for (S s : m_slots)
            if (s)
                distinct.push_back(s);
        std::sort(distinct.begin(), distinct.end(), [](S a, S b) { return std::strcmp(a, b) < 0; });
        m_ranks.assign(m_slots.size(), 0);
        std::uint32_t rank = 0;
        for (std::size_t i = 0; i < distinct.size(); ++i) {
            // Equal texts under different pointers share a rank.
            if (i == 0 || std::strcmp(distinct[i - 1], distinct[i]) != 0)
                ++rank;
            m_ranks[find(distinct[i])] = rank;
        }
    }
    // 1.. for symbols added before rank(); 0 for a null pointer.
    std::uint32_t operator()(S s) const { return s ? m_ranks[find(s)] : 0; }

private:
    std::size_t find(S s) const
    {
        const auto h = (reinterpret_cast<std::uintptr_t>(s) >> 3) * 0x9E3779B97F4A7C15ULL;
        const std::size_t mask = m_slots.size() - 1;
        std::size_t at = static_cast<std::size_t>(h >> 32) & mask;
        while (m_slots[at] && m_slots[at] != s)
            at = (at + 1) & mask;
        return at;
    }
    void grow()
    {
        std::vector<S> old(m_slots.size() * 2, nullptr);
        old.swap(m_slots);
        for (S s : old)
            if (s)
                m_slots[find(s)] = s;
    }

    std::vector<S> m_slots = std::vector<S>(64, nullptr);
    std::vector<std::uint32_t> m_ranks;
    std::size_t m_count = 0;
};

int compareBytes(const void* a, long long na, const void* b, long long nb)
{
    const int c = std::memcmp(a, b, static_cast<std::size_t>(std::min(na, nb)));
    if (c != 0)
        return c;
    return na < nb ? -1 : na > nb ? 1 : 0;
}

bool isByteVector(int t)
{
    return t == KB || t == KG || t == KC;
}

// Items of a general list: byte-wise for two byte vectors of one type,
// otherwise by their whole console texts without a leading "enlist ".
class GeneralCompare {
public:
    GeneralCompare(K column, const RenderOptions& options)
        : m_column(column), m_length(std::max(0LL, static_cast<long long>(column->n))), m_render(options)
    {
    }

    int operator()(long long a, long long b)
    {
        K x = item(a), y = item(b);
        if (x && y && x->t == y->t && isByteVector(x->t))
            return compareBytes(kG(x), x->n, kG(y), y->n);
        const std::u16string_view tx = text(a), ty = text(b);
        const int c = tx.compare(ty);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }

private:
    K item(long long row) const { return row < m_length ? kK(m_column)[row] : nullptr; }
    std::u16string_view text(long long row)
    {
        if (m_texts.empty())
            m_texts.resize(static_cast<std::size_t>(m_length));
        if (row >= m_length)
            return {};
        std::optional<QString>& cached = m_texts[static_cast<std::size_t>(row)];
        if (!cached) {
            K x = item(row);
            QString t = x ? m_render.render(x, -1, false, -1, 0) : QString();
            if (t.startsWith(QLatin1String("enlist ")))
                t.remove(0, 7);
            cached = std::move(t);
        }
        return {reinterpret_cast<const char16_t*>(cached->utf16()), static_cast<std::size_t>(cached->size())};
    }

    K m_column;
    long long m_length;
    KRender m_render;
    std::vector<std::optional<QString>> m_texts;
};

template <typename Compare>
void sortByComparison(std::vector<std::int32_t>& order, int direction, Compare&& compare)
{
    if (direction < 0)
        std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) { return compare(b, a) < 0; });
    else
        std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) { return compare(a, b) < 0; });
}

} // namespace

void GridSort::sort(K column, std::vector<std::int32_t>& order, int direction, const RenderOptions& options)
{
    if (!column || direction == 0 || order.size() < 2 || column->t < 0)
        return;
    const long long n = std::max(0LL, static_cast<long long>(column->n));
    switch (column->t) {
    case KB: case KG: case KC: {
        const G* v = kG(column);
        sortByKeys(order, direction, n, [v](std::int32_t r) { return std::uint64_t(v[r]) + 1; });
        break;
    }
    case KH: {
        const H* v = kH(column);
        sortByKeys(order, direction, n, [v](std::int32_t r) { return signedKey(v[r], 16) + 1; });
        break;
    }
    case KI: case KM: case KD: case KU: case KV: case KT: {
        const I* v = kI(column);
        sortByKeys(order, direction, n, [v](std::int32_t r) { return signedKey(v[r], 32) + 1; });
        break;
    }
    case KJ: case KP: case KN: {
        // The full 64-bit range leaves no room for a missing-row key below
        // null, so rows beyond the column share the null's key there.
        const J* v = kJ(column);
        sortByKeys(order, direction, n, [v](std::int32_t r) { return signedKey(v[r], 64); });
        break;
    }
    case KE: {
        const E* v = kE(column);
        sortByKeys(order, direction, n, [v](std::int32_t r) { return floatKey(v[r]); });
        break;
    }
    case KF: case KZ: {
        const F* v = kF(column);
        sortByKeys(order, direction, n, [v](std::int32_t r) { return floatKey(v[r]); });
        break;
    }
    case KS: {
        SymbolRanks ranks;
        const S* v = kS(column);
        for (std::int32_t r : order)
            if (r < n && v[r])
                ranks.add(v[r]);
        ranks.rank();
        sortByKeys(order, direction, n, [v, &ranks](std::int32_t r) { return std::uint64_t(ranks(v[r])) + 1; });
        break;
    }
    case UU: {
        const U* v = kU(column);
        sortByComparison(order, direction, [v, n](long long a, long long b) {
            if (a >= n || b >= n)
                return (a < n) - (b < n);
            return std::memcmp(v[a].g, v[b].g, 16);
        });
        break;
    }
    case 0: {
        GeneralCompare compare(column, options);
        sortByComparison(order, direction, compare);
        break;
    }
    default:
        break; // enumerations and above: all equal
    }
}
