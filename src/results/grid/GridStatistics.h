// What the status bar tells of a grid: its shape ("N rows × M columns", "K of
// N rows × M columns" while filtered) and, as spreadsheets do, the count, sum,
// average, minimum and maximum of the numeric cells of a selection. Nulls,
// infinities, booleans and non-numeric cells are left out; items of general
// lists count when they are number atoms.
#pragma once

#include "kdb/k.h"

#include <QString>

#include <cstdint>
#include <vector>

class GridStatistics {
public:
    long long count = 0;
    long double sum = 0;
    double minimum = 0;
    double maximum = 0;
    bool integral = true; // only integral cells so far

    // Adds the cell at value row `row` of `column` when it is a number.
    void add(K column, long long row);
    double average() const { return count ? double(sum / count) : 0; }

    // The cells of value rows `rows` in each of `columns`.
    static GridStatistics of(const std::vector<K>& columns, const std::vector<std::int32_t>& rows);

    // Whether a column holds cells that can count (a numeric list or a general list).
    static bool counts(K column);

    // "Count: 3  Sum: 6  Avg: 2  Min: 1  Max: 3"; empty when no cell counted.
    QString text() const;
    // "1,000 rows × 3 columns" or, filtered, "10 of 1,000 rows × 3 columns".
    static QString shapeText(long long shown, long long total, int columns, bool filtered);
    // A number as the status bar writes it: integers whole, others to 12 digits.
    static QString number(long double value, bool integral);

private:
    void addValue(double value, bool isIntegral);
};
