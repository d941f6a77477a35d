// Builders and readers shared by the grid tests.
#pragma once

#include "../core/KValues.h"

#include "results/grid/CKTableRenderer.h"

#include <QStringList>

namespace gv {

using namespace kv;

// A table from column names and columns; takes the columns.
inline K table(std::initializer_list<const char*> names, std::initializer_list<K> columns)
{
    K list = ktn(0, 0);
    for (K c : columns)
        jk(&list, c);
    return kv::table(syms(names), list);
}

inline K strings(std::initializer_list<const char*> texts)
{
    K list = ktn(0, 0);
    for (const char* t : texts)
        jk(&list, kp(t));
    return list;
}

// Headers joined by "|", then each row's cells joined by "|" on its own line.
inline QString gridText(const CKTableRenderer& grid)
{
    QStringList headers;
    for (int c = 0; c < grid.columnCount(); ++c)
        headers << grid.headerText(c);
    QString text = headers.join(QLatin1Char('|'));
    for (int r = 0; r < grid.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid.columnCount(); ++c)
            cells << grid.cellText(r, c);
        text += QLatin1Char('\n') + cells.join(QLatin1Char('|'));
    }
    return text;
}

// The value rows in display order.
inline QList<int> displayOrder(const CKTableRenderer& grid)
{
    QList<int> order;
    for (int r = 0; r < grid.rowCount(); ++r)
        order << grid.valueRow(r);
    return order;
}

} // namespace gv
