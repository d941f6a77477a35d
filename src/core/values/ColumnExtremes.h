// The rows whose texts are the widest of an integer or temporal column: for
// such vectors the longest text belongs to the smallest or the largest value
// (more digits, a sign, a later year), or to a null or an infinity, which are
// written differently. Found in one pass over the column, however long; the
// pass may run on any thread (a reply's columns are looked at on the worker
// that decoded it).
#pragma once

#include "kdb/k.h"

#include <vector>

namespace ColumnExtremes {
// Whether column's widest text follows from its extremes (short, int and
// long vectors and the temporal types stored as them), or from its extremes
// and its magnitudes (real and float vectors, see fullDigitValues).
bool applies(K column);

// What one pass over a column finds.
struct Found {
    // The rows of the smallest and the largest ordinary value and the first
    // row of each null and infinity; for real and float vectors also the row
    // of the smallest magnitude other than zero.
    std::vector<long long> rows;
    // Real and float vectors: the largest and the smallest magnitude other
    // than zero of the finite values (0 when there is none), and whether any
    // value is negative.
    bool floating = false;
    double largest = 0;
    double smallest = 0;
    bool negative = false;
};
// Empty when column is of another type or empty.
Found find(K column);

// For real and float vectors: values that use every one of `precision`
// significant digits at the column's largest and smallest magnitude, with a
// sign when any value is negative. A value's text is never wider than these
// at the same magnitude (fixed notation between them, more leading zeros only
// at smaller magnitudes), so they bound the column's widest text wherever its
// digits are. Empty for other types.
std::vector<double> fullDigitValues(const Found& found, int precision);
} // namespace ColumnExtremes
