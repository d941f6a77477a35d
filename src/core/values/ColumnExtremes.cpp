#include "core/values/ColumnExtremes.h"

#include "kdb/ScanCount.h"

#include <algorithm>
#include <cmath>
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

struct Magnitudes {
    long long minRow = -1, maxRow = -1, smallRow = -1, nullRow = -1, infRow = -1, negInfRow = -1;
    double largest = 0, smallest = 0; // of the finite values; smallest other than zero
    bool negative = false;
};

template <typename T>
Magnitudes magnitudes(const T* items, long long n)
{
    Magnitudes m;
    T lo = 0, hi = 0;
    for (long long i = 0; i < n; ++i) {
        const T v = items[i];
        if (std::isnan(v)) {
            if (m.nullRow < 0)
                m.nullRow = i;
            continue;
        }
        if (std::isinf(v)) {
            long long& special = v > 0 ? m.infRow : m.negInfRow;
            if (special < 0)
                special = i;
            continue;
        }
        if (m.minRow < 0 || v < lo) {
            lo = v;
            m.minRow = i;
        }
        if (m.maxRow < 0 || v > hi) {
            hi = v;
            m.maxRow = i;
        }
        const double a = std::fabs(static_cast<double>(v));
        if (a != 0 && (m.smallRow < 0 || a < m.smallest)) {
            m.smallest = a;
            m.smallRow = i;
        }
        m.largest = std::max(m.largest, a);
        m.negative = m.negative || v < 0;
    }
    return m;
}

bool isFloating(K column) { return column->t == KE || column->t == KF; }

void addOnce(std::vector<long long>& found, long long row)
{
    if (row >= 0 && std::find(found.begin(), found.end(), row) == found.end())
        found.push_back(row);
}

} // namespace

bool ColumnExtremes::applies(K column)
{
    if (!column)
        return false;
    switch (column->t) {
    case KH: case KI: case KJ: case KM: case KD: case KU: case KV: case KT: case KP: case KN: return true;
    case KE: case KF: return true;
    default: return false;
    }
}

ColumnExtremes::Found ColumnExtremes::find(K column)
{
    Found found;
    if (!applies(column) || column->n <= 0)
        return found;
    kdb::ScanCount::add(column->n);
    if (isFloating(column)) {
        const Magnitudes m = column->t == KE ? magnitudes(kE(column), column->n) : magnitudes(kF(column), column->n);
        for (long long row : {m.minRow, m.maxRow, m.smallRow, m.nullRow, m.infRow, m.negInfRow})
            addOnce(found.rows, row);
        found.floating = true;
        found.largest = m.largest;
        found.smallest = m.smallest;
        found.negative = m.negative;
        return found;
    }
    switch (column->t) {
    case KH: found.rows = extremes(kH(column), column->n); break;
    case KJ: case KP: case KN: found.rows = extremes(kJ(column), column->n); break;
    default: found.rows = extremes(kI(column), column->n); break;
    }
    return found;
}

std::vector<double> ColumnExtremes::fullDigitValues(const Found& found, int precision)
{
    if (!found.floating)
        return {};
    const int digits = std::clamp(precision, 1, 17);
    std::vector<double> values;
    for (double magnitude : {found.largest, found.smallest}) {
        if (magnitude == 0)
            continue;
        // (10^digits - 1) * 10^(e + 1 - digits): all nines at the magnitude's exponent e.
        const int e = static_cast<int>(std::floor(std::log10(magnitude)));
        const double v = (std::pow(10.0, digits) - 1) * std::pow(10.0, e + 1 - digits);
        values.push_back(found.negative ? -v : v);
    }
    return values;
}
