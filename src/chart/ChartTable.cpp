#include "chart/ChartTable.h"

#include "chart/ChartKinds.h"
#include "results/grid/CKTableRenderer.h"
#include "results/grid/TableColumns.h"

#include <algorithm>

namespace {

bool append(ChartTable& out, K table)
{
    const TableColumns cols(table);
    if (!cols.columns)
        return false;
    for (long long i = 0; i < cols.count; ++i) {
        K column = cols.column(i);
        const char* name = kS(cols.names)[i];
        out.headers << QString::fromUtf8(name ? name : "");
        out.columns.push_back(column);
    }
    return true;
}

long long rowsOf(const ChartTable& t)
{
    long long rows = -1;
    for (K c : t.columns) {
        const long long n = TableColumns::length(c);
        rows = rows < 0 ? n : std::min(rows, n);
    }
    return std::max(0LL, rows);
}

} // namespace

ChartTable ChartTable::fromValue(K value)
{
    ChartTable t;
    if (!value)
        return t;
    if (value->t == XT) {
        if (!append(t, value))
            return {};
    } else if (value->t == XD && value->n == 2 && kK(value)[0] && kK(value)[1] && kK(value)[0]->t == XT
               && kK(value)[1]->t == XT) {
        if (!append(t, kK(value)[0]) || !append(t, kK(value)[1]))
            return {};
    } else {
        return {};
    }
    t.value.reset(r1(value));
    t.rows = rowsOf(t);
    return t;
}

ChartTable ChartTable::fromGrid(const CKTableRenderer& grid)
{
    ChartTable t;
    K shown = grid.shownValue();
    if (grid.isEmpty() || !shown || !grid.firstTable())
        return t;
    const int first = grid.hasNumberColumn() ? 1 : 0;
    for (int section = first; section < grid.columnCount(); ++section) {
        t.headers << grid.headerText(section);
        t.columns.push_back(grid.columnVector(section));
    }
    t.value.reset(r1(shown));
    t.first.reset(r1(grid.firstTable()));
    if (K second = grid.secondTable())
        t.second.reset(r1(second));
    t.rows = rowsOf(t);
    t.query = grid.record().query;
    return t;
}

bool ChartTable::canPlot() const
{
    if (rows < 2)
        return false;
    for (std::size_t y = 0; y < columns.size(); ++y) {
        if (!columns[y] || !ChartKinds::isYable(columns[y]->t))
            continue;
        for (std::size_t x = 0; x < columns.size(); ++x)
            if (x != y && columns[x] && ChartKinds::isXable(columns[x]->t))
                return true;
    }
    return false;
}
