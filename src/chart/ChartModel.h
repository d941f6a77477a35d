// The computation behind a chart: the series of a table, the X column and the
// row order by it, the visible range with its zoom history, and the texts the
// chart shows and copies. No widgets: the dialog and tovo-cli drive it.
#pragma once

#include "chart/CArea.h"
#include "chart/CColChart.h"
#include "chart/ChartTable.h"
#include "chart/PlotRect.h"

#include "core/values/RenderOptions.h"

#include <QPoint>
#include <QRect>
#include <QRgb>
#include <QStringList>

#include <cstdint>
#include <vector>

class Prompter;

class ChartModel {
public:
    enum Style { Line, CircledLine, Scatter, Bars, HangingBars, StyleCount };
    // "Line(Connected)", ... as a series' style choice shows them.
    static QStringList styleNames();
    // "Line (Connected)", ... as the default-style list shows them.
    static QStringList defaultStyleNames();

    // Builds the series, one per column; Y-able ones take palette entry k mod
    // the palette size (k counting Y-able columns) and start checked.
    void setTable(ChartTable table, const std::vector<QRgb>& palette);
    const ChartTable& table() const { return m_table; }
    // A new value with the same columns of the same kinds keeps the series'
    // settings and the X column; the order and ranges are computed again at the
    // next prepare. False, and nothing changed, when the shape differs.
    bool replaceTable(ChartTable table);
    std::vector<CColChart>& series() { return m_series; }
    const std::vector<CColChart>& series() const { return m_series; }

    // Columns that may be the X axis, and their choice texts: header + " (" + type + ")".
    std::vector<int> xColumns() const;
    QStringList xChoices() const;
    static QString seriesName(const CColChart& s);
    // The X column (index into the series); -1 before one is chosen.
    int xColumn() const { return m_x; }
    int xType() const;
    // The chosen column stops being a series until another one is chosen.
    void setXColumn(int column);

    RenderOptions& options() { return m_options; }
    const RenderOptions& options() const { return m_options; }
    int defaultStyle() const { return m_defaultStyle; }
    void setDefaultStyle(int style) { m_defaultStyle = std::clamp(style, 0, int(StyleCount) - 1); }
    // The style a series is drawn with.
    int styleOf(const CColChart& s) const;
    int lineWidth() const { return m_lineWidth; }
    void setLineWidth(int width) { m_lineWidth = std::clamp(width, 0, maxLineWidth); }
    static constexpr int maxLineWidth = 100;

    int checkedCount() const;

    enum class Prepared { Drawn, Cancelled, NothingChecked, NoXColumn };
    // Sorts the rows by X when the X column changed, takes the X range from the
    // ordered rows and the Y range from the checked series. maxDrawPoints in
    // thousands (0: never ask) guards large charts through the prompter.
    Prepared prepare(Prompter* prompter, int maxDrawPoints, bool bottomZero);
    bool prepared() const { return m_prepared; }
    // Rows in ascending X order.
    const std::vector<std::int32_t>& order() const { return m_order; }

    // The visible range; equal ends are widened by one either side.
    const CArea& range() const { return m_range; }
    void setRange(const CArea& range);

    // Zoom to the rectangle between two pixels (QRect(start, end)), pushing the
    // current range unless told not to; an empty rectangle does nothing.
    bool zoomTo(QRect pixels, const PlotRect& plot, bool pushHistory = true);
    bool canUndoZoom() const { return !m_history.empty(); }
    void undoZoom();
    // Shifts the plot so that its centre is at point (only while zoomed).
    bool centerHere(QPoint point, const PlotRect& plot);

    // Texts of the range fields: X in the X column's type, Y as "%.10g".
    QString xFromText() const;
    QString xToText() const;
    QString yFromText() const;
    QString yToText() const;
    // The read-out of a pixel; empty while the range is all NaN.
    bool readOut(QPoint point, const PlotRect& plot, QString& x, QString& y) const;
    // "X-choice:\tX\r\nY:\tY".
    QString copyValuesText(QPoint point, const PlotRect& plot) const;
    // The query selecting the rows in view; empty before any zoom.
    QString constrainedQuery(bool withY) const;

private:
    QString xText(double x) const;
    static QString bareName(const QString& header);

    ChartTable m_table;
    std::vector<CColChart> m_series;
    int m_x = -1;
    int m_sortedX = -1;
    bool m_savedChecked = false; // the X column's series check state before it became X
    bool m_savedYable = false;
    std::vector<std::int32_t> m_order;
    RenderOptions m_options;
    int m_defaultStyle = Line;
    int m_lineWidth = 0;
    bool m_prepared = false;
    CArea m_range;
    std::vector<CArea> m_history;
};
