#include "results/grid/ColumnExtremes.h"

#include <algorithm>
#include <limits>

namespace {

template <typename T>
std::vector<long long> extremes(const T* items, long long n)
{
    // The null is the type's lowest value, the infinities its highest and its negation.
    constexpr T null = std::numeric_limits<T>::min();
    constexpr T inf = std::numeric_limits<T>::max();
    constexpr T negInf = static_cast<T>(-inf);
    long long minRow = -1, maxRow = -1, nullRow = -1, infRow = -1, negInfRow = -1;
    T lo = inf, hi = negInf;
    for (long long i = 0; i < n; ++i) {
        const T v = items[i];
        if (v == null || v == inf || v == negInf) {
            long long& special = v == null ? nullRow : v == inf ? infRow : negInfRow;
            if (special < 0)
                special = i;
            continue;
        }
        if (minRow < 0 || v < lo) {
            lo = v;
            minRow = i;
        }
        if (maxRow < 0 || v > hi) {
            hi = v;
            maxRow = i;
        }
    }
    std::vector<long long> found;
    for (long long row : {minRow, maxRow, nullRow, infRow, negInfRow})
        if (row >= 0 && std::find(found.begin(), found.end(), row) == found.end())
            found.push_back(row);
    return found;
}

} // namespace

bool ColumnExtremes::applies(K column)
{
    if (!column)
        return false;
    switch (column->t) {
    case KH: case KI: case KJ: case KM: case KD: case KU: case KV: case KT: case KP: case KN: return true;
    default: return false;
    }
}

std::vector<long long> ColumnExtremes::rows(K column)
{
    if (!applies(column) || column->n <= 0)
        return {};
    switch (column->t) {
    case KH: return extremes(kH(column), column->n);
    case KJ: case KP: case KN: return extremes(kJ(column), column->n);
    default: return extremes(kI(column), column->n);
    }
}
