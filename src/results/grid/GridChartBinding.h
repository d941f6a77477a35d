// What a chart dialog bound to a grid implements so the grid can tell it that
// the data it plots has been replaced.
#pragma once

#include <QObject>

class GridChartBinding {
public:
    virtual ~GridChartBinding() = default;
    virtual void gridDataChanged() = 0;
};

#define GridChartBinding_iid "tovo.GridChartBinding"
Q_DECLARE_INTERFACE(GridChartBinding, GridChartBinding_iid)
