#include "results/grid/GridStatistics.h"

#include "results/grid/TableColumns.h"

#include <QLocale>

#include <cmath>

namespace {

bool integralNumber(long long v, long long null, long long inf) { return v != null && v != inf && v != -inf; }

} // namespace

void GridStatistics::addValue(double value, bool isIntegral)
{
    if (count == 0) {
        minimum = maximum = value;
    } else {
        minimum = std::min(minimum, value);
        maximum = std::max(maximum, value);
    }
    ++count;
    sum += value;
    integral = integral && isIntegral;
}

void GridStatistics::add(K column, long long row)
{
    if (!column || column->t < 0 || column->t >= XT || row < 0 || row >= column->n)
        return;
    switch (column->t) {
    case KG: addValue(kG(column)[row], true); return;
    case KH: {
        const H v = kH(column)[row];
        if (integralNumber(v, nh, wh))
            addValue(v, true);
        return;
    }
    case KI: {
        const I v = kI(column)[row];
        if (integralNumber(v, ni, wi))
            addValue(v, true);
        return;
    }
    case KJ: {
        const J v = kJ(column)[row];
        if (integralNumber(v, nj, wj)) {
            // Summed exactly in the long double while the values stay below 2^64.
            if (count == 0) {
                minimum = maximum = double(v);
            } else {
                minimum = std::min(minimum, double(v));
                maximum = std::max(maximum, double(v));
            }
            ++count;
            sum += static_cast<long double>(v);
        }
        return;
    }
    case KE: {
        const E v = kE(column)[row];
        if (std::isfinite(v))
            addValue(v, false);
        return;
    }
    case KF: {
        const F v = kF(column)[row];
        if (std::isfinite(v))
            addValue(v, false);
        return;
    }
    case 0: {
        K item = kK(column)[row];
        if (!item || item->t >= 0)
            return;
        switch (-item->t) {
        case KG: addValue(item->g, true); return;
        case KH: if (integralNumber(item->h, nh, wh)) addValue(item->h, true); return;
        case KI: if (integralNumber(item->i, ni, wi)) addValue(item->i, true); return;
        case KJ: if (integralNumber(item->j, nj, wj)) addValue(double(item->j), true); return;
        case KE: if (std::isfinite(item->e)) addValue(item->e, false); return;
        case KF: if (std::isfinite(item->f)) addValue(item->f, false); return;
        default: return;
        }
    }
    default: return;
    }
}

bool GridStatistics::counts(K column)
{
    if (!column)
        return false;
    switch (column->t) {
    case 0: case KG: case KH: case KI: case KJ: case KE: case KF: return true;
    default: return false;
    }
}

GridStatistics GridStatistics::of(const std::vector<K>& columns, const std::vector<std::int32_t>& rows)
{
    GridStatistics stats;
    for (K column : columns) {
        if (!counts(column))
            continue;
        for (std::int32_t row : rows)
            stats.add(column, row);
    }
    return stats;
}

QString GridStatistics::number(long double value, bool isIntegral)
{
    if (isIntegral && std::fabs(value) < 1e18L)
        return QString::number(static_cast<long long>(value));
    return QString::number(static_cast<double>(value), 'g', 12);
}

QString GridStatistics::text() const
{
    if (count == 0)
        return {};
    return QStringLiteral("Count: %1  Sum: %2  Avg: %3  Min: %4  Max: %5")
        .arg(count)
        .arg(number(sum, integral))
        .arg(number(average(), false))
        .arg(number(minimum, integral))
        .arg(number(maximum, integral));
}

QString GridStatistics::shapeText(long long shown, long long total, int columns, bool filtered)
{
    QLocale english(QLocale::English);
    english.setNumberOptions({});
    auto amount = [&english](long long n) { return english.toString(n); };
    const QString rowWord = total == 1 ? QStringLiteral("row") : QStringLiteral("rows");
    const QString columnWord = columns == 1 ? QStringLiteral("column") : QStringLiteral("columns");
    const QString rows = filtered ? QStringLiteral("%1 of %2 %3").arg(amount(shown), amount(total), rowWord)
                                  : QStringLiteral("%1 %2").arg(amount(total), rowWord);
    return rows + QStringLiteral(" \u00D7 %1 %2").arg(amount(columns), columnWord);
}
