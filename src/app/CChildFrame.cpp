#include "app/CChildFrame.h"

#include <QVBoxLayout>

CChildFrame::CChildFrame(QWidget* view, QWidget* parent)
    : QWidget(parent)
    , m_view(view)
{
    setObjectName(QStringLiteral("CChildFrame"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    setFocusProxy(view);
}

void CChildFrame::setTitle(const QString& title)
{
    if (m_title == title)
        return;
    m_title = title;
    emit titleChanged();
}

void CChildFrame::setTooltipExtra(const QString& extra)
{
    m_tooltipExtra = extra;
    emit titleChanged();
}
