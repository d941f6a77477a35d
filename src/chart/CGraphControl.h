// The graph control: an off-screen picture of the chart copied to the screen,
// the plot rectangle, rubber-band zoom, the read-out of the mouse position and
// the context menu. The chart computation is the dialog's ChartModel.
#pragma once

#include "chart/ChartPainter.h"
#include "chart/PlotRect.h"

#include <QImage>
#include <QWidget>

class ChartModel;
class QMenu;

class CGraphControl : public QWidget {
    Q_OBJECT
public:
    explicit CGraphControl(ChartModel& model, QWidget* parent = nullptr);

    // The plot background; surround, labels and grid follow its lightness.
    void setBackground(QRgb colour)
    {
        const bool everyPoint = m_options.drawEveryPoint;
        m_options = ChartPainter::withBackground(colour);
        m_options.drawEveryPoint = everyPoint;
    }
    // Draws the chart from the model's current range.
    void draw();
    bool chartDrawn() const { return m_drawn; }
    const QImage& picture() const { return m_image; }
    PlotRect plotRect() const { return PlotRect::inside(size()); }

    // The context menu's commands, at a point of the control.
    void undoZoom();
    void centerHere(QPoint point);
    QMenu* createContextMenu(QPoint point);

signals:
    // The mouse moved to a point (client coordinates); left the control.
    void mouseMoved(QPoint point);
    void mouseLeft();
    void copyValuesRequested(QPoint point);
    void copyQueryRequested(bool withY);
    // The chart was drawn again (the range may have changed).
    void drawn();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    ChartModel& m_model;
    ChartDrawOptions m_options;
    QImage m_image;
    bool m_drawn = false;
    bool m_dragging = false;
    QPoint m_dragStart;
    QPoint m_dragEnd;
};
