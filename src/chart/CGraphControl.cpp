#include "chart/CGraphControl.h"

#include "chart/ChartModel.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>

CGraphControl::CGraphControl(ChartModel& model, QWidget* parent) : QWidget(parent), m_model(model)
{
    setObjectName(QStringLiteral("velGraphControlClass"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(100, 60);
}

void CGraphControl::draw()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    if (m_image.size() != size())
        m_image = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    ChartPainter::draw(m_image, m_model, m_options);
    QGuiApplication::restoreOverrideCursor();
    m_drawn = m_model.prepared();
    setCursor(m_drawn ? Qt::CrossCursor : Qt::ArrowCursor);
    update();
    emit drawn();
}

void CGraphControl::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (m_image.isNull())
        p.fillRect(rect(), QColor(0xF0, 0xF0, 0xF0));
    else
        p.drawImage(0, 0, m_image);
    if (m_dragging) {
        p.setPen(QPen(QColor(0, 0, 160), 0, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(m_dragStart, m_dragEnd).normalized());
    }
}

void CGraphControl::resizeEvent(QResizeEvent*)
{
    m_image = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    m_image.fill(QColor(0xF0, 0xF0, 0xF0));
    if (m_drawn)
        draw();
}

void CGraphControl::mousePressEvent(QMouseEvent* event)
{
    if (!m_drawn || event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_dragStart = m_dragEnd = event->position().toPoint();
}

void CGraphControl::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_drawn)
        return;
    if (m_dragging)
        m_dragEnd = event->position().toPoint();
    update();
    emit mouseMoved(event->position().toPoint());
}

void CGraphControl::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    m_dragEnd = event->position().toPoint();
    if (m_model.zoomTo(QRect(m_dragStart, m_dragEnd), plotRect()))
        draw();
    else
        update();
}

void CGraphControl::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (m_drawn && event->button() == Qt::LeftButton)
        centerHere(event->position().toPoint());
}

void CGraphControl::leaveEvent(QEvent*)
{
    emit mouseLeft();
}

void CGraphControl::undoZoom()
{
    if (!m_model.canUndoZoom())
        return;
    m_model.undoZoom();
    draw();
}

void CGraphControl::centerHere(QPoint point)
{
    if (m_model.centerHere(point, plotRect()))
        draw();
}

QMenu* CGraphControl::createContextMenu(QPoint point)
{
    auto* menu = new QMenu(this);
    QAction* a = menu->addAction(QStringLiteral("Undo Zoom"), this, &CGraphControl::undoZoom);
    a->setEnabled(m_model.canUndoZoom());
    menu->addAction(QStringLiteral("Center Here"), this, [this, point] { centerHere(point); });
    menu->addAction(QStringLiteral("Copy Values"), this, [this, point] { emit copyValuesRequested(point); });
    menu->addAction(QStringLiteral("Copy Constrained Query (X && Y)"), this, [this] { emit copyQueryRequested(true); });
    menu->addAction(QStringLiteral("Copy Constrained Query (X only)"), this, [this] { emit copyQueryRequested(false); });
    return menu;
}

void CGraphControl::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_drawn)
        return;
    QMenu* menu = createContextMenu(event->pos());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}
