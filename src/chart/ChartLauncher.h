// "Plot result..." for grids: at most one chart dialog per grid, created on
// first use, shown again while it charts the value the grid shows, and created
// anew after the grid's value changed.
#pragma once

#include "chart/ChartContext.h"

#include <QObject>

class CDlgGraph;
class COutputTable;

class ChartLauncher : public QObject {
    Q_OBJECT
public:
    explicit ChartLauncher(ChartContext context, QObject* parent = nullptr);

    // Wires the grid's "Plot result..." and its enabled state.
    void attach(COutputTable* grid);
    static bool canPlot(const COutputTable* grid);
    // Opens (or brings forward) the grid's chart dialog; nullptr when the grid
    // cannot be plotted.
    CDlgGraph* plot(COutputTable* grid);

private:
    ChartContext m_ctx;
};
