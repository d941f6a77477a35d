// Draws a prepared chart into an image: background, plot frame, axis grid with
// labels, then each checked series in column order.
//
// Drawing cost is bounded by the pixels, not by the rows: rows are walked in X
// order from the first one that can reach the plot and the walk stops after
// the first row beyond xmax; within one pixel column the connected styles keep
// only the segments that change the picture (the vertical run between the
// column's lowest and highest point and the segments that enter and leave
// it), bars keep the longest bar each way, and circles are stamped once per
// pixel. The picture is the same as drawing every point (drawEveryPoint).
#pragma once

#include "chart/PlotRect.h"

#include <QImage>
#include <QRect>
#include <QRgb>
#include <QString>

#include <vector>

class ChartModel;
struct CColChart;
class QPainter;

struct ChartDrawOptions {
    QRgb background = 0xffffffff;
    // Around the plot, the axis labels and the grid lines: light by default,
    // dark ones from withBackground for a dark plot.
    QRgb surround = 0xfff0f0f0;
    QRgb text = 0xff000000;
    QRgb grid = 0xff0000ff;
    // Draw each row's primitives one by one, as a reference and a baseline.
    bool drawEveryPoint = false;
};

class ChartPainter {
public:
    // The options for a plot background: a dark background (relative
    // luminance under 0.2) gets a dark surround, light labels and a lighter blue grid.
    static ChartDrawOptions withBackground(QRgb background);
    static void draw(QImage& image, const ChartModel& model, const ChartDrawOptions& options = {});
    // Any paint device of that size (an SVG generator): circles are drawn as
    // shapes there, not stamped as pixels.
    static void draw(QPaintDevice& device, QSize size, const ChartModel& model, const ChartDrawOptions& options = {});

    // One axis label: its text and the box it covers on the image (for an X
    // label, the box of the text turned to read upwards); the grid line it
    // belongs to is at pos (a pixel row for Y, a column for X).
    struct AxisLabel {
        QString text;
        QRect box;
        bool xAxis = false;
        int pos = 0;
    };
    // The labels the grid draws. A Y label that would overlap an X label (at
    // the bottom-left corner, say) is left out; the X labels all show.
    static std::vector<AxisLabel> axisLabels(const ChartModel& model, const PlotRect& plot);

    // The pen width of bars: most of the narrowest gap, in pixels, between
    // the X positions of neighbouring rows in view (at least the line width,
    // at least one pixel), so that few bars stand as wide columns and many
    // as the lines they always were.
    static int barWidth(const ChartModel& model, const PlotRect& plot);

private:
    static void drawGrid(QPainter& p, const ChartModel& model, const PlotRect& plot, const ChartDrawOptions& options);
    static void drawSeries(QPainter& p, const ChartModel& model, const CColChart& series, const PlotRect& plot,
                           bool everyPoint, bool raster);
};
