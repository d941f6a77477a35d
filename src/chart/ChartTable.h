// The columns a chart is drawn from: the headers and vectors of a table (or of
// a keyed table's key and value tables), with a reference that keeps them alive.
#pragma once

#include "kdb/KPtr.h"

#include <QString>
#include <QStringList>

#include <vector>

class CKTableRenderer;

struct ChartTable {
    KPtr value; // the value charted; holds the columns of a table
    // The tables a grid built for a list or dictionary hold their columns.
    KPtr first, second;
    QStringList headers;
    std::vector<K> columns;
    long long rows = 0;
    QString query; // the query that produced the value, for constrained queries

    // A table or keyed table; empty for anything else or a malformed value.
    static ChartTable fromValue(K value);
    // The columns of the table a grid shows, the number column excluded: a
    // list's index and value columns and a dictionary's key and value columns
    // too, as the grid shows them.
    static ChartTable fromGrid(const CKTableRenderer& grid);

    // Whether it holds more than one row and two different columns of which one
    // may be a series and the other the X axis.
    bool canPlot() const;
};
