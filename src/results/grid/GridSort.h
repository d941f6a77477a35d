// Sorting of a grid's display order by one column vector, with the grid's
// comparison per column type. Only the order array is permuted; the value is
// never copied or reordered.
#pragma once

#include "core/values/RenderOptions.h"

#include "kdb/k.h"

#include <cstdint>
#include <vector>

class GridSort {
public:
    // Reorders `order` (value rows in display order) by the items of `column`:
    // direction 1 ascending, -1 descending. Stable, so equal items keep their
    // previous display order. Rows beyond the column's length sort as the
    // smallest items.
    static void sort(K column, std::vector<std::int32_t>& order, int direction, const RenderOptions& options);
};
