#include "results/grid/GridFilter.h"

#include <algorithm>

bool GridFilter::Job::isValid() const
{
    return std::all_of(columns.begin(), columns.end(), [](const Column& c) { return c.condition.isValid(); });
}

std::optional<std::vector<std::int32_t>> GridFilter::run(const Job& job, const std::atomic<bool>* cancel)
{
    std::vector<FilterCondition::Scratch> scratch;
    scratch.reserve(job.columns.size());
    for (std::size_t i = 0; i < job.columns.size(); ++i)
        scratch.emplace_back(job.options, job.cellLimit);
    std::vector<std::int32_t> passed;
    if (!job.isValid())
        return passed;
    passed.reserve(static_cast<std::size_t>(std::max(job.rows, 0)));
    const std::int32_t* order = job.order ? job.order->data() : nullptr;
    const std::int32_t orderRows = job.order ? static_cast<std::int32_t>(job.order->size()) : job.rows;
    const std::int32_t rows = std::min(job.rows, orderRows);
    for (std::int32_t start = 0; start < rows; start += kBlock) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return std::nullopt;
        const std::int32_t end = std::min(rows, start + std::min(kBlock, rows - start));
        for (std::int32_t d = start; d < end; ++d) {
            const std::int32_t row = order ? order[d] : d;
            bool pass = true;
            for (std::size_t c = 0; c < job.columns.size() && pass; ++c)
                pass = job.columns[c].condition.matches(job.columns[c].vector.get(), row, scratch[c]);
            if (pass)
                passed.push_back(row);
        }
    }
    // A narrow filter of a long table keeps only what it found.
    if (passed.size() <= passed.capacity() / 4)
        passed.shrink_to_fit();
    return passed;
}
