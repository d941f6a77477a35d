#include "chart/ChartPainter.h"

#include "chart/AxisSteps.h"
#include "chart/ChartKinds.h"
#include "chart/ChartModel.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <limits>
#include <cmath>

namespace {

// Lines are clipped to this box before they reach the painter, whose
// coordinates are plain ints; pixels inside the picture are unchanged.
constexpr double kFar = 32768;

class LineBatch {
public:
    explicit LineBatch(QPainter& p) : m_p(p) { m_lines.reserve(4096); }
    ~LineBatch() { flush(); }

    void add(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
    {
        if (std::max({std::abs(x1), std::abs(y1), std::abs(x2), std::abs(y2)}) <= std::int64_t(kFar)) {
            m_lines.emplace_back(int(x1), int(y1), int(x2), int(y2));
        } else {
            // Liang-Barsky against [-kFar, kFar]^2.
            const double dx = double(x2 - x1), dy = double(y2 - y1);
            double t0 = 0, t1 = 1;
            const double p[4] = {-dx, dx, -dy, dy};
            const double q[4] = {double(x1) + kFar, kFar - double(x1), double(y1) + kFar, kFar - double(y1)};
            for (int i = 0; i < 4; ++i) {
                if (p[i] == 0) {
                    if (q[i] < 0)
                        return;
                    continue;
                }
                const double t = q[i] / p[i];
                if (p[i] < 0)
                    t0 = std::max(t0, t);
                else
                    t1 = std::min(t1, t);
            }
            if (t0 > t1)
                return;
            m_lines.emplace_back(int(std::lround(double(x1) + t0 * dx)), int(std::lround(double(y1) + t0 * dy)),
                                 int(std::lround(double(x1) + t1 * dx)), int(std::lround(double(y1) + t1 * dy)));
        }
        if (m_lines.size() >= 4096)
            flush();
    }
    void flush()
    {
        if (!m_lines.empty())
            m_p.drawLines(m_lines.data(), int(m_lines.size()));
        m_lines.clear();
    }

private:
    QPainter& m_p;
    std::vector<QLine> m_lines;
};

constexpr int kRadius = 3;

// Circle centres marked once per pixel, then stamped with the pixels the
// painter gives one circle.
class CircleStamps {
public:
    CircleStamps(const QRect& clip, const QPen& pen, const QBrush& brush)
        : m_clip(clip), m_reach(kRadius + int(pen.widthF()) + 2),
          m_origin(clip.left() - m_reach, clip.top() - m_reach),
          m_w(clip.width() + 2 * m_reach), m_h(clip.height() + 2 * m_reach),
          m_hits(std::size_t(m_w) * std::size_t(m_h), 0)
    {
        const int side = 2 * m_reach + 1;
        QImage stamp(side, side, QImage::Format_ARGB32_Premultiplied);
        stamp.fill(Qt::transparent);
        {
            QPainter sp(&stamp);
            sp.setPen(pen);
            sp.setBrush(brush);
            sp.drawEllipse(QPoint(m_reach, m_reach), kRadius, kRadius);
        }
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                if (qAlpha(stamp.pixel(x, y)) != 0)
                    m_offsets.emplace_back(x - m_reach, y - m_reach);
    }

    void mark(std::int64_t x, std::int64_t y)
    {
        x -= m_origin.x();
        y -= m_origin.y();
        if (x >= 0 && y >= 0 && x < m_w && y < m_h)
            m_hits[std::size_t(y) * std::size_t(m_w) + std::size_t(x)] = 1;
    }

    void draw(QPainter& p, QRgb colour) const
    {
        QImage cover(m_clip.size(), QImage::Format_ARGB32_Premultiplied);
        cover.fill(Qt::transparent);
        const QRgb c = qPremultiply(colour | 0xff000000u);
        bool any = false;
        for (int y = 0; y < m_h; ++y) {
            const std::uint8_t* row = m_hits.data() + std::size_t(y) * std::size_t(m_w);
            for (int x = 0; x < m_w; ++x) {
                if (!row[x])
                    continue;
                any = true;
                const int cx = x - m_reach, cy = y - m_reach; // in the cover image
                for (const QPoint& o : m_offsets) {
                    const int px = cx + o.x(), py = cy + o.y();
                    if (px >= 0 && py >= 0 && px < cover.width() && py < cover.height())
                        reinterpret_cast<QRgb*>(cover.scanLine(py))[px] = c;
                }
            }
        }
        if (any)
            p.drawImage(m_clip.topLeft(), cover);
    }

    void drawShapes(QPainter& p) const
    {
        for (int y = 0; y < m_h; ++y) {
            const std::uint8_t* row = m_hits.data() + std::size_t(y) * std::size_t(m_w);
            for (int x = 0; x < m_w; ++x)
                if (row[x])
                    p.drawEllipse(QPoint(x + m_origin.x(), y + m_origin.y()), kRadius, kRadius);
        }
    }

private:
    QRect m_clip;
    int m_reach;
    QPoint m_origin;
    int m_w, m_h;
    std::vector<std::uint8_t> m_hits;
    std::vector<QPoint> m_offsets;
};

bool within(double v, double lo, double hi) { return v >= lo && v <= hi; }

} // namespace

ChartDrawOptions ChartPainter::withBackground(QRgb background)
{
    ChartDrawOptions o;
    o.background = background;
    auto linear = [](int v) {
        const double c = v / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double luminance = 0.2126 * linear(qRed(background)) + 0.7152 * linear(qGreen(background))
        + 0.0722 * linear(qBlue(background));
    if (luminance < 0.2) {
        o.surround = qRgb(0x2B, 0x2D, 0x30);
        o.text = qRgb(0xD4, 0xD4, 0xD4);
        o.grid = qRgb(0x5A, 0x8C, 0xE6);
    }
    return o;
}

void ChartPainter::draw(QImage& image, const ChartModel& model, const ChartDrawOptions& options)
{
    draw(image, image.size(), model, options);
}

void ChartPainter::draw(QPaintDevice& device, QSize size, const ChartModel& model, const ChartDrawOptions& options)
{
    QPainter p(&device);
    const bool raster = device.devType() == QInternal::Image;
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(QPoint(0, 0), size), QColor::fromRgb(options.surround));
    const PlotRect plot = PlotRect::inside(size);
    p.fillRect(QRect(plot.L, plot.T, plot.R - plot.L, plot.B - plot.T), QColor::fromRgb(options.background));
    p.setPen(QPen(Qt::white, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot.L - 2, plot.T - 2, plot.R - plot.L + 3, plot.B - plot.T + 3);
    p.setClipRect(QRect(plot.L - 1, plot.T - 1, plot.R - plot.L + 2, plot.B - plot.T + 2));
    if (!model.prepared() || model.xColumn() < 0)
        return;
    const CArea& a = model.range();
    if (!std::isfinite(a.xmin) || !std::isfinite(a.xmax) || !std::isfinite(a.ymin) || !std::isfinite(a.ymax))
        return;
    drawGrid(p, model, plot, options);
    for (const CColChart& s : model.series())
        if (s.checked && s.yable)
            drawSeries(p, model, s, plot, options.drawEveryPoint, raster);
}

namespace {
QFont labelFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(12);
    return font;
}
} // namespace

std::vector<ChartPainter::AxisLabel> ChartPainter::axisLabels(const ChartModel& model, const PlotRect& plot)
{
    std::vector<AxisLabel> labels;
    const CArea& a = model.range();
    const PixelMap map(a, plot);
    const QFontMetrics fm(labelFont());
    const int h = fm.height();

    // The X labels first: they read upwards from the bottom edge.
    std::vector<AxisLabel> xLabels;
    const int xType = model.xType();
    for (double x : AxisSteps::xValues(xType, a.xmin, a.xmax)) {
        const int px = int(std::clamp<std::int64_t>(map.x(x), -1, plot.R + 1));
        const QString text = ChartKinds::atomText(xType, x, model.options());
        int centre = px;
        if (centre + (h + 1) / 2 > plot.R)
            centre = plot.R - (h + 1) / 2;
        const int length = fm.horizontalAdvance(text) + 2;
        xLabels.push_back({text, QRect(centre - h / 2, plot.B - 2 - length, h, length + 1), true, px});
    }
    char fmt[16];
    std::snprintf(fmt, sizeof fmt, "%%.%dg", std::clamp(model.options().floatPrecision, 1, 32));
    for (double y : AxisSteps::values(a.ymin, a.ymax, AxisSteps::decimalStep(a.ymax - a.ymin))) {
        const int py = int(std::clamp<std::int64_t>(map.y(y), -1, plot.B + 1));
        char buf[64];
        std::snprintf(buf, sizeof buf, fmt, y);
        const QString text = QString::fromLatin1(buf);
        int top = py - h / 2;
        if (top + h > plot.B)
            top = plot.B - h;
        const QRect box(plot.L + 1, top, fm.horizontalAdvance(text) + 2, h);
        const bool hidden = std::any_of(xLabels.begin(), xLabels.end(),
                                        [&box](const AxisLabel& x) { return x.box.intersects(box); });
        if (!hidden)
            labels.push_back({text, box, false, py});
        else
            labels.push_back({QString(), QRect(), false, py}); // the grid line stays
    }
    labels.insert(labels.end(), xLabels.begin(), xLabels.end());
    return labels;
}

void ChartPainter::drawGrid(QPainter& p, const ChartModel& model, const PlotRect& plot, const ChartDrawOptions& options)
{
    const QFont font = labelFont();
    p.setFont(font);
    const int h = QFontMetrics(font).height();
    const QPen gridPen(QColor::fromRgb(options.grid), 0, Qt::DotLine);
    const QPen textPen(QColor::fromRgb(options.text));
    for (const AxisLabel& label : axisLabels(model, plot)) {
        p.setPen(gridPen);
        if (label.xAxis)
            p.drawLine(label.pos, plot.B, label.pos, plot.T);
        else
            p.drawLine(plot.L, label.pos, plot.R, label.pos);
        if (label.text.isEmpty())
            continue;
        p.setPen(textPen);
        if (!label.xAxis) {
            p.drawText(label.box, Qt::AlignLeft | Qt::AlignVCenter, label.text);
            continue;
        }
        p.save();
        p.translate(label.box.left() + h / 2, plot.B - 1);
        p.rotate(-90);
        p.drawText(QRect(1, -h / 2, label.box.height() + 1, h), Qt::AlignLeft | Qt::AlignVCenter, label.text);
        p.restore();
    }
}

int ChartPainter::barWidth(const ChartModel& model, const PlotRect& plot)
{
    const int line = std::max(model.lineWidth(), 1);
    if (model.xColumn() < 0 || std::size_t(model.xColumn()) >= model.series().size())
        return line;
    const CArea& a = model.range();
    const PixelMap map(a, plot);
    const ColumnReader X(model.series()[std::size_t(model.xColumn())].column);
    // The narrowest gap over the rows in view; a gap of a pixel or none ends the walk.
    std::int64_t gap = std::numeric_limits<std::int64_t>::max();
    std::int64_t previous = 0;
    bool havePrevious = false;
    for (std::int32_t row : model.order()) {
        const double u = X[row];
        if (std::isnan(u) || u < a.xmin)
            continue;
        if (u > a.xmax)
            break;
        const std::int64_t x = map.x(u);
        if (havePrevious && x != previous) {
            gap = std::min(gap, x - previous);
            if (gap <= 1)
                return line;
        }
        previous = x;
        havePrevious = true;
    }
    if (gap == std::numeric_limits<std::int64_t>::max()) // one X position in view
        gap = (plot.R - plot.L) / 8;
    // A quarter of the gap stays free between neighbours; never wider than the plot's eighth.
    const std::int64_t wide = std::min<std::int64_t>(gap * 3 / 4, (plot.R - plot.L) / 8);
    return int(std::max<std::int64_t>(line, wide));
}

void ChartPainter::drawSeries(QPainter& p, const ChartModel& model, const CColChart& s, const PlotRect& plot,
                              bool everyPoint, bool raster)
{
    const CArea& a = model.range();
    const PixelMap map(a, plot);
    const int style = model.styleOf(s);
    const QColor colour = QColor::fromRgb(s.colour);
    const bool bars = style == ChartModel::Bars || style == ChartModel::HangingBars;
    const int width = bars ? barWidth(model, plot) : model.lineWidth();
    // Widened bars stop flat at the value and at the base.
    const QPen pen(colour, width, Qt::SolidLine, bars && width > std::max(model.lineWidth(), 1) ? Qt::FlatCap : Qt::SquareCap,
                   Qt::BevelJoin);
    const QBrush brush(colour);
    p.setPen(pen);
    p.setBrush(style == ChartModel::Scatter ? brush : QBrush(Qt::NoBrush));
    const QRect clip(plot.L - 1, plot.T - 1, plot.R - plot.L + 2, plot.B - plot.T + 2);

    const ColumnReader X(model.series()[std::size_t(model.xColumn())].column);
    const ColumnReader Y(s.column);
    const std::vector<std::int32_t>& order = model.order();
    const bool connected = style == ChartModel::Line || style == ChartModel::CircledLine;
    const bool circles = style == ChartModel::CircledLine || style == ChartModel::Scatter;
    const std::int64_t base = style == ChartModel::Bars ? map.y(a.ymin) : map.y(a.ymax);

    LineBatch lines(p);
    CircleStamps stamps(clip, pen, style == ChartModel::Scatter ? brush : QBrush(Qt::NoBrush));

    if (everyPoint) {
        double pu = std::nan(""), pv = std::nan("");
        bool havePrev = false;
        for (std::int32_t row : order) {
            const double u = X[row], v = Y[row];
            if (std::isnan(u) || std::isnan(v)) {
                havePrev = false;
                pu = pv = std::nan("");
                continue;
            }
            const bool visible = within(pu, a.xmin, a.xmax) || within(u, a.xmin, a.xmax)
                || within(pv, a.ymin, a.ymax) || within(v, a.ymin, a.ymax);
            const QPoint cur(int(std::clamp<std::int64_t>(map.x(u), -kFar, kFar)),
                             int(std::clamp<std::int64_t>(map.y(v), -kFar, kFar)));
            if (visible) {
                if (connected && havePrev) {
                    const std::int64_t px = map.x(pu), py = map.y(pv);
                    lines.add(px, py, map.x(u), map.y(v));
                    lines.flush();
                    if (style == ChartModel::CircledLine) {
                        p.drawEllipse(QPoint(int(std::clamp<std::int64_t>(px, -kFar, kFar)),
                                             int(std::clamp<std::int64_t>(py, -kFar, kFar))),
                                      kRadius, kRadius);
                        p.drawEllipse(cur, kRadius, kRadius);
                    }
                } else if (style == ChartModel::Scatter) {
                    p.drawEllipse(cur, kRadius, kRadius);
                } else if (!connected) {
                    lines.add(map.x(u), base, map.x(u), map.y(v));
                    lines.flush();
                }
            }
            pu = u;
            pv = v;
            havePrev = true;
            if (u > a.xmax)
                break;
        }
        return;
    }

    // Rows whose primitives cannot reach the clip (with the pen and the circle
    // radius) are skipped; the one before the first that can stays, as the
    // previous point of the next.
    const std::int64_t reach = kRadius + width + 2;
    const std::int64_t firstPixel = clip.left() - reach;
    std::size_t start = std::size_t(std::partition_point(order.begin(), order.end(), [&](std::int32_t row) {
                                        const double u = X[row];
                                        return std::isnan(u) || map.x(u) < firstPixel;
                                    })
                                    - order.begin());
    if (start > 0)
        --start;

    // The open pixel column: its x, the lowest and highest y reached by
    // segments (or bars) in it, and the number of points in it.
    std::int64_t gx = 0, gmin = 0, gmax = 0;
    long long gcount = 0;
    auto flush = [&] {
        if (connected && gcount >= 2)
            lines.add(gx, gmin, gx, gmax);
        else if (!connected && !circles && gcount >= 1) {
            lines.add(gx, base, gx, gmin);
            lines.add(gx, base, gx, gmax);
        }
        gcount = 0;
    };
    auto open = [&](std::int64_t x, std::int64_t y) {
        gx = x;
        gmin = gmax = y;
        gcount = 1;
    };

    double pu = std::nan(""), pv = std::nan("");
    std::int64_t ppx = 0, ppy = 0;
    bool havePrev = false;
    for (std::size_t i = start; i < order.size(); ++i) {
        const std::int32_t row = order[i];
        const double u = X[row], v = Y[row];
        if (std::isnan(u) || std::isnan(v)) {
            flush();
            havePrev = false;
            pu = pv = std::nan("");
            continue;
        }
        const std::int64_t x = map.x(u), y = map.y(v);
        // Rows left of xmin follow the visibility rule; from xmin on every row
        // is visible.
        const bool individual = !(u >= a.xmin);
        const bool visible = !individual || within(pu, a.xmin, a.xmax) || within(pv, a.ymin, a.ymax)
            || within(v, a.ymin, a.ymax);
        if (connected) {
            if (havePrev && visible) {
                if (style == ChartModel::CircledLine) {
                    stamps.mark(ppx, ppy);
                    stamps.mark(x, y);
                }
                if (!individual && gcount > 0 && x == gx) {
                    gmin = std::min(gmin, y);
                    gmax = std::max(gmax, y);
                    ++gcount;
                } else {
                    flush();
                    lines.add(ppx, ppy, x, y);
                    open(x, y);
                }
            } else {
                flush();
                open(x, y);
            }
        } else if (style == ChartModel::Scatter) {
            if (visible)
                stamps.mark(x, y);
        } else if (visible) {
            if (gcount > 0 && x == gx) {
                gmin = std::min(gmin, y);
                gmax = std::max(gmax, y);
            } else {
                flush();
                open(x, y);
            }
        }
        pu = u;
        pv = v;
        ppx = x;
        ppy = y;
        havePrev = true;
        if (u > a.xmax)
            break;
    }
    flush();
    lines.flush();
    if (circles && raster)
        stamps.draw(p, s.colour);
    else if (circles)
        stamps.drawShapes(p);
}
