#include "results/grid/GridSort.h"

#include "core/values/KRender.h"
#include "results/grid/TableColumns.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <optional>
#include <string_view>

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

// LSD radix sort of the order by keys, one byte a pass; stable, and passes
// over bytes that are the same in every key are skipped.
template <typename Key>
void radixSort(std::vector<Key>& keys, std::vector<std::int32_t>& order)
{
    const std::size_t n = keys.size();
    if (n < 2)
        return;
    Key varying = 0;
    for (Key k : keys)
        varying |= static_cast<Key>(k ^ keys[0]);
    std::vector<Key> keys2(n);
    std::vector<std::int32_t> order2(n);
    for (unsigned shift = 0; shift < sizeof(Key) * 8; shift += 8) {
        if (((varying >> shift) & 0xFF) == 0)
            continue;
        std::size_t count[257] = {};
        for (Key k : keys)
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

// Fills keys from keyOf(row) for the order, narrowing to 32 bits when the
// keys' range allows; descending turns the keys over.
template <typename KeyOf>
void sortByKeys(std::vector<std::int32_t>& order, int direction, long long length, KeyOf keyOf)
{
    const std::size_t n = order.size();
    if (n < 2)
        return;
    const auto key = [&](std::int32_t row) -> std::uint64_t { return row < length ? keyOf(row) : 0; };
    std::uint64_t lo = ~0ULL, hi = 0;
    for (std::int32_t row : order) {
        const std::uint64_t k = key(row);
        lo = std::min(lo, k);
        hi = std::max(hi, k);
    }
    const std::uint64_t span = hi - lo;
    const bool down = direction < 0;
    if (span <= 0xFFFFFFFFULL) {
        std::vector<std::uint32_t> keys(n);
        for (std::size_t i = 0; i < n; ++i) {
            const auto k = static_cast<std::uint32_t>(key(order[i]) - lo);
            keys[i] = down ? static_cast<std::uint32_t>(span) - k : k;
        }
        radixSort(keys, order);
    } else {
        std::vector<std::uint64_t> keys(n);
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint64_t k = key(order[i]) - lo;
            keys[i] = down ? span - k : k;
        }
        radixSort(keys, order);
    }
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
