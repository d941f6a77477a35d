// A set of display rows kept as sorted, disjoint, inclusive ranges: the
// selection of a grid too long for the view to hold per-row state.
#pragma once

#include <algorithm>
#include <utility>
#include <vector>

class RowRanges {
public:
    void clear() { m_ranges.clear(); }
    bool isEmpty() const { return m_ranges.empty(); }

    bool contains(int row) const
    {
        auto it = std::upper_bound(m_ranges.begin(), m_ranges.end(), row,
                                   [](int r, const Range& range) { return r < range.first; });
        return it != m_ranges.begin() && std::prev(it)->second >= row;
    }

    void add(int first, int last)
    {
        if (first > last)
            std::swap(first, last);
        std::vector<Range> out;
        out.reserve(m_ranges.size() + 1);
        bool placed = false;
        for (const Range& r : m_ranges) {
            if (r.second + 1 < first) {
                out.push_back(r);
            } else if (last + 1 < r.first) {
                if (!placed)
                    out.emplace_back(first, last);
                placed = true;
                out.push_back(r);
            } else {
                first = std::min(first, r.first);
                last = std::max(last, r.second);
            }
        }
        if (!placed)
            out.emplace_back(first, last);
        m_ranges.swap(out);
    }

    void remove(int first, int last)
    {
        if (first > last)
            std::swap(first, last);
        std::vector<Range> out;
        out.reserve(m_ranges.size() + 1);
        for (const Range& r : m_ranges) {
            if (r.second < first || r.first > last) {
                out.push_back(r);
                continue;
            }
            if (r.first < first)
                out.emplace_back(r.first, first - 1);
            if (r.second > last)
                out.emplace_back(last + 1, r.second);
        }
        m_ranges.swap(out);
    }

    void toggle(int row)
    {
        if (contains(row))
            remove(row, row);
        else
            add(row, row);
    }

    // The lowest row, -1 when empty.
    int first() const { return m_ranges.empty() ? -1 : m_ranges.front().first; }

    // Every row, ascending.
    std::vector<int> rows() const
    {
        std::vector<int> all;
        for (const Range& r : m_ranges)
            for (int i = r.first; i <= r.second; ++i)
                all.push_back(i);
        return all;
    }

private:
    using Range = std::pair<int, int>;
    std::vector<Range> m_ranges;
};
