#include "results/grid/CKTableView.h"

#include <QVBoxLayout>

CKTableView::CKTableView(QWidget* parent)
    : QWidget(parent), m_grid(new COutputTable(COutputTable::Place::GridView, this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_grid);
    setCaption(QStringLiteral("Grid View"));
    connect(m_grid, &COutputTable::loaded, this,
            [this](const QString& label) { setCaption(QStringLiteral("Grid View (") + label + QLatin1Char(')')); });
    connect(m_grid, &COutputTable::cleared, this, [this] { setCaption(QStringLiteral("Grid View")); });
    connect(m_grid, &COutputTable::showRequested, this, &CKTableView::showRequested);
}

void CKTableView::setCaption(const QString& caption)
{
    m_caption = caption;
    setWindowTitle(caption);
    emit captionChanged(caption);
}
