#include "chart/ChartLauncher.h"

#include "chart/CDlgGraph.h"
#include "chart/ChartTable.h"

#include "results/grid/COutputTable.h"

ChartLauncher::ChartLauncher(ChartContext context, QObject* parent) : QObject(parent), m_ctx(std::move(context)) {}

void ChartLauncher::attach(COutputTable* grid)
{
    grid->setCanPlot([grid] { return canPlot(grid); });
    connect(grid, &COutputTable::plotResult, this, [this, grid] { plot(grid); });
}

bool ChartLauncher::canPlot(const COutputTable* grid)
{
    return grid && ChartTable::fromGrid(*grid->renderer()).canPlot();
}

CDlgGraph* ChartLauncher::plot(COutputTable* grid)
{
    if (!canPlot(grid))
        return nullptr;
    CKTableRenderer* renderer = grid->renderer();
    auto* dlg = qobject_cast<CDlgGraph*>(renderer->boundChart());
    if (dlg && (dlg->closedByChange() || dlg->chartedValue() != renderer->shownValue())) {
        renderer->bindChart(nullptr);
        dlg->deleteLater();
        dlg = nullptr;
    }
    if (!dlg) {
        // A top-level window of its own: it stays open whatever has the focus
        // and goes with the grid.
        dlg = new CDlgGraph(renderer, m_ctx, grid->window());
        renderer->bindChart(dlg);
        connect(grid, &QObject::destroyed, dlg, &QObject::deleteLater);
        dlg->show();
        // A new chart is drawn at once: the plot area never opens blank.
        dlg->chartOnOpen();
        if (dlg->closedByChange()) // a failed drawing closed it
            return dlg;
    }
    dlg->show();
    dlg->raise();
    dlg->activateWindow();
    return dlg;
}
