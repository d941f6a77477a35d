// Tables for the chart tests.
#pragma once

#include "../core/KValues.h"

#include "chart/ChartModel.h"
#include "chart/GraphConfig.h"

#include <initializer_list>
#include <random>
#include <vector>

namespace cv {

using namespace kv;

inline K table(std::initializer_list<const char*> names, std::initializer_list<K> columns)
{
    K list = ktn(0, 0);
    for (K c : columns)
        jk(&list, c);
    return kv::table(syms(names), list);
}

template <typename T>
inline K vec(int type, const std::vector<T>& items)
{
    K x = ktn(type, J(items.size()));
    std::memcpy(kG(x), items.data(), items.size() * sizeof(T));
    return x;
}

// A model over the table (taken), X column chosen by header.
inline void load(ChartModel& m, K t, const char* x, const QString& query = QStringLiteral("trade"))
{
    ChartTable table = ChartTable::fromValue(t);
    r0(t);
    table.query = query;
    m.setTable(std::move(table), GraphConfig::builtInPalette());
    for (std::size_t i = 0; i < m.series().size(); ++i)
        if (m.series()[i].header == QLatin1String(x))
            m.setXColumn(int(i));
}

} // namespace cv
