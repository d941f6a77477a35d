// The rows of a grid that pass every column's filter condition, in display
// order. A run reads the columns and the display order it was given and
// nothing else, so it may run on any thread while the grid goes on; it can be
// cancelled between blocks of rows.
#pragma once

#include "results/grid/FilterCondition.h"

#include "core/values/RenderOptions.h"

#include "kdb/KPtr.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class GridFilter {
public:
    struct Column {
        KPtr vector; // one reference, so that the value outlives a replaced grid
        FilterCondition condition;
    };

    struct Job {
        std::vector<Column> columns;                            // active conditions only
        std::shared_ptr<const std::vector<std::int32_t>> order; // display order; null: identity
        std::int32_t rows = 0;                                  // rows of the whole table
        RenderOptions options;
        long long cellLimit = 0; // as QCellCharsLimit, for display texts

        bool isActive() const { return !columns.empty(); }
        bool isValid() const;
    };

    // The value rows that pass, in display order; nullopt when cancelled.
    // The result holds at most one 32-bit row a table row.
    static std::optional<std::vector<std::int32_t>> run(const Job& job, const std::atomic<bool>* cancel = nullptr);

    // Rows between two looks at the cancel flag.
    static constexpr std::int32_t kBlock = 1 << 16;
};
