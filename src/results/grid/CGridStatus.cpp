#include "results/grid/CGridStatus.h"

#include "results/grid/COutputTable.h"

#include <QApplication>

CGridStatus::CGridStatus(QObject* parent) : QObject(parent)
{
    m_pending.setSingleShot(true);
    m_pending.setInterval(0);
    connect(&m_pending, &QTimer::timeout, this, &CGridStatus::update);
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        connect(app, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { focusMoved(now); });
}

void CGridStatus::attach(COutputTable* grid)
{
    m_grids << grid;
    connect(grid, &COutputTable::statusChanged, this, [this, grid] {
        if (grid == m_grid)
            m_pending.start();
    });
    if (gridAround(QApplication::focusWidget()) == grid)
        focusMoved(QApplication::focusWidget());
}

COutputTable* CGridStatus::gridAround(QWidget* widget) const
{
    for (QWidget* w = widget; w; w = w->parentWidget())
        if (auto* grid = qobject_cast<COutputTable*>(w))
            return m_grids.contains(grid) ? grid : nullptr;
    return nullptr;
}

void CGridStatus::focusMoved(QWidget* now)
{
    COutputTable* grid = gridAround(now);
    if (grid == m_grid)
        return;
    m_grid = grid;
    m_pending.start();
}

void CGridStatus::update()
{
    QString text;
    if (m_grid) {
        text = m_grid->shapeText();
        const QString numbers = m_grid->selectionStatistics().text();
        if (!numbers.isEmpty())
            text += QStringLiteral("    ") + numbers;
    }
    if (text == m_text)
        return;
    m_text = text;
    emit textChanged(text);
}
