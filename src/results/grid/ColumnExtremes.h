// The rows whose texts are the widest of an integer or temporal column: for
// such vectors the longest text belongs to the smallest or the largest value
// (more digits, a sign, a later year), or to a null or an infinity, which are
// written differently. Found in one pass over the column, however long.
#pragma once

#include "kdb/k.h"

#include <vector>

namespace ColumnExtremes {
// Whether column's widest text follows from its extremes (short, int and
// long vectors and the temporal types stored as them).
bool applies(K column);
// The rows of the smallest and the largest ordinary value and the first row
// of each null and infinity; empty when column is of another type or empty.
std::vector<long long> rows(K column);
} // namespace ColumnExtremes
