#include "chart/ChartModel.h"

#include "chart/ChartKinds.h"

#include "core/Prompter.h"
#include "core/values/ValueCatalogue.h"
#include "results/grid/GridSort.h"

#include <cmath>
#include <numeric>

QStringList ChartModel::styleNames()
{
    return {QStringLiteral("Line(Connected)"), QStringLiteral("Line with Circled points(Connected)"),
            QStringLiteral("Circles(Scatter plot)"), QStringLiteral("Bars(from bottom)"),
            QStringLiteral("Hanging bars(from top)")};
}

QStringList ChartModel::defaultStyleNames()
{
    QStringList names = styleNames();
    for (QString& n : names)
        n.replace(QLatin1Char('('), QStringLiteral(" ("));
    return names;
}

void ChartModel::setTable(ChartTable table, const std::vector<QRgb>& palette)
{
    m_table = std::move(table);
    m_series.clear();
    m_history.clear();
    m_order.clear();
    m_x = m_sortedX = -1;
    m_prepared = false;
    int k = 0;
    for (std::size_t i = 0; i < m_table.columns.size(); ++i) {
        CColChart s;
        s.header = m_table.headers.value(int(i));
        s.column = m_table.columns[i];
        s.type = s.column ? s.column->t : 0;
        s.yable = ChartKinds::isYable(s.type);
        s.checked = s.yable;
        s.colour = 0xff000000;
        if (s.yable) {
            if (!palette.empty())
                s.colour = palette[std::size_t(k) % palette.size()];
            ++k;
        }
        m_series.push_back(std::move(s));
    }
}

bool ChartModel::replaceTable(ChartTable table)
{
    if (table.headers != m_table.headers || table.columns.size() != m_series.size())
        return false;
    for (std::size_t i = 0; i < m_series.size(); ++i) {
        K c = table.columns[i];
        if ((c ? c->t : 0) != m_series[i].type)
            return false;
    }
    m_table = std::move(table);
    for (std::size_t i = 0; i < m_series.size(); ++i) {
        m_series[i].column = m_table.columns[i];
        m_series[i].minimum.reset();
        m_series[i].maximum.reset();
    }
    m_order.clear();
    m_sortedX = -1;
    m_history.clear();
    m_prepared = false;
    return true;
}

std::vector<int> ChartModel::xColumns() const
{
    std::vector<int> out;
    for (std::size_t i = 0; i < m_series.size(); ++i)
        if (ChartKinds::isXable(m_series[i].type))
            out.push_back(int(i));
    return out;
}

QString ChartModel::seriesName(const CColChart& s)
{
    return s.header + QStringLiteral(" (") + ValueCatalogue::typeName(s.type) + QLatin1Char(')');
}

QStringList ChartModel::xChoices() const
{
    QStringList out;
    for (int i : xColumns())
        out << seriesName(m_series[std::size_t(i)]);
    return out;
}

int ChartModel::xType() const
{
    return m_x >= 0 ? m_series[std::size_t(m_x)].type : 0;
}

void ChartModel::setXColumn(int column)
{
    if (column == m_x || column < 0 || column >= int(m_series.size()))
        return;
    if (m_x >= 0) {
        CColChart& old = m_series[std::size_t(m_x)];
        old.checked = m_savedChecked;
        old.yable = m_savedYable;
    }
    m_x = column;
    CColChart& s = m_series[std::size_t(m_x)];
    m_savedChecked = s.checked;
    m_savedYable = s.yable;
    s.checked = false;
    s.yable = false;
}

int ChartModel::styleOf(const CColChart& s) const
{
    return s.style > 0 && s.style <= StyleCount ? s.style - 1 : m_defaultStyle;
}

int ChartModel::checkedCount() const
{
    int n = 0;
    for (const CColChart& s : m_series)
        n += s.checked && s.yable;
    return n;
}

ChartModel::Prepared ChartModel::prepare(Prompter* prompter, int maxDrawPoints, bool bottomZero)
{
    const int n = checkedCount();
    const long long points = (long long)n * m_table.rows;
    if (prompter && maxDrawPoints > 0 && (long long)maxDrawPoints * 1000 < points) {
        const QString text = QStringLiteral("You are about to draw %1 datapoints.\nThis may lock tovo for some time...\nProceed?")
                                 .arg(points);
        if (prompter->ask(text, QStringLiteral("Lots of points"), Prompter::Buttons::YesNo, Prompter::Icon::Warning,
                          Prompter::Answer::Yes)
            != Prompter::Answer::Yes)
            return Prepared::Cancelled;
    }
    if (m_x < 0)
        return Prepared::NoXColumn;
    K xcol = m_series[std::size_t(m_x)].column;
    if (m_x != m_sortedX || m_order.size() != std::size_t(m_table.rows)) {
        m_order.resize(std::size_t(m_table.rows));
        std::iota(m_order.begin(), m_order.end(), 0);
        // X columns usually arrive in order (time series): then the order is
        // the identity and the sort is skipped.
        bool ordered = true;
        if (xcol->t == KJ || xcol->t == KP || xcol->t == KN) {
            const J* v = kJ(xcol);
            for (long long i = 1; i < m_table.rows && ordered; ++i)
                ordered = v[i - 1] <= v[i];
        } else {
            const ColumnReader xs(xcol);
            for (long long i = 1; i < m_table.rows && ordered; ++i)
                ordered = xs[i - 1] <= xs[i];
        }
        if (!ordered)
            GridSort::sort(xcol, m_order, 1, m_options);
        m_sortedX = m_x;
    }
    const ColumnReader x(xcol);
    CArea r;
    r.xmin = r.xmax = std::nan("");
    for (std::int32_t row : m_order) {
        const double v = x[row];
        if (!std::isnan(v)) {
            r.xmin = v;
            break;
        }
    }
    if (!m_order.empty())
        r.xmax = x[m_order.back()];

    if (n == 0)
        return Prepared::NothingChecked;
    r.ymin = r.ymax = std::nan("");
    for (CColChart& s : m_series) {
        if (!s.checked || !s.yable)
            continue;
        if (!s.minimum) {
            const ColumnReader y(s.column);
            double lo = std::nan(""), hi = std::nan("");
            for (long long i = 0; i < m_table.rows; ++i) {
                const double v = y[i];
                if (std::isnan(v))
                    continue;
                if (!(v >= lo))
                    lo = v;
                if (!(v <= hi))
                    hi = v;
            }
            s.minimum = lo;
            s.maximum = hi;
        }
        if (!std::isnan(*s.maximum) && !(*s.maximum <= r.ymax))
            r.ymax = *s.maximum;
        if (!std::isnan(*s.minimum) && !(*s.minimum >= r.ymin))
            r.ymin = *s.minimum;
    }
    if (bottomZero)
        r.ymin = 0;
    m_history.clear();
    setRange(r);
    m_prepared = true;
    return Prepared::Drawn;
}

void ChartModel::setRange(const CArea& range)
{
    m_range = range;
    if (m_range.xmin == m_range.xmax) {
        m_range.xmin -= 1;
        m_range.xmax += 1;
    }
    if (m_range.ymin == m_range.ymax) {
        m_range.ymin -= 1;
        m_range.ymax += 1;
    }
}

namespace {

CArea areaUnder(const CArea& a, const PlotRect& p, int left, int top, int right, int bottom)
{
    const double dx = (a.xmax - a.xmin) / double(p.R - p.L);
    const double dy = (a.ymax - a.ymin) / double(p.B - p.T);
    CArea out;
    out.xmin = a.xmin + (left - p.L) * dx;
    out.xmax = a.xmin + (right - p.L) * dx;
    out.ymax = a.ymin + (p.B - top) * dy;
    out.ymin = a.ymin + (p.B - bottom) * dy;
    return out;
}

} // namespace

bool ChartModel::zoomTo(QRect pixels, const PlotRect& plot, bool pushHistory)
{
    const QRect r = pixels.normalized();
    if (!m_prepared || r.width() <= 1 || r.height() <= 1 || plot.R <= plot.L || plot.B <= plot.T)
        return false;
    if (pushHistory)
        m_history.push_back(m_range);
    setRange(areaUnder(m_range, plot, r.left(), r.top(), r.right(), r.bottom()));
    return true;
}

void ChartModel::undoZoom()
{
    if (m_history.empty())
        return;
    m_range = m_history.back();
    m_history.pop_back();
}

bool ChartModel::centerHere(QPoint point, const PlotRect& plot)
{
    if (m_history.empty() || plot.R <= plot.L || plot.B <= plot.T)
        return false;
    const int dx = point.x() - (plot.L + plot.R) / 2;
    const int dy = point.y() - (plot.T + plot.B) / 2;
    setRange(areaUnder(m_range, plot, plot.L + dx, plot.T + dy, plot.R + dx, plot.B + dy));
    return true;
}

QString ChartModel::xText(double x) const
{
    return ChartKinds::atomText(xType(), x, m_options);
}

QString ChartModel::xFromText() const { return xText(m_range.xmin); }
QString ChartModel::xToText() const { return xText(m_range.xmax); }
QString ChartModel::yFromText() const { return ChartKinds::numberText(m_range.ymin, 10); }
QString ChartModel::yToText() const { return ChartKinds::numberText(m_range.ymax, 10); }

bool ChartModel::readOut(QPoint point, const PlotRect& plot, QString& x, QString& y) const
{
    const CArea& a = m_range;
    if ((std::isnan(a.xmin) && std::isnan(a.xmax) && std::isnan(a.ymin) && std::isnan(a.ymax)) || plot.R <= plot.L
        || plot.B <= plot.T) {
        x.clear();
        y.clear();
        return false;
    }
    const double X = (point.x() - plot.L + 1) * (a.xmax - a.xmin) / (plot.R - plot.L) + a.xmin;
    const double Y = (plot.B - point.y()) * (a.ymax - a.ymin) / (plot.B - plot.T) + a.ymin;
    x = xText(X);
    y = ChartKinds::numberText(Y, 10);
    return true;
}

QString ChartModel::copyValuesText(QPoint point, const PlotRect& plot) const
{
    QString x, y;
    readOut(point, plot, x, y);
    const QString choice = m_x >= 0 ? seriesName(m_series[std::size_t(m_x)]) : QString();
    return choice + QStringLiteral(":\t") + x + QStringLiteral("\r\nY:\t") + y;
}

QString ChartModel::bareName(const QString& header)
{
    static const QString trimmed = QStringLiteral("\u00A9\u00AC ");
    int from = 0, to = int(header.size());
    while (from < to && trimmed.contains(header[from]))
        ++from;
    while (to > from && trimmed.contains(header[to - 1]))
        --to;
    return header.mid(from, to - from);
}

QString ChartModel::constrainedQuery(bool withY) const
{
    if (m_history.empty() || m_x < 0)
        return {};
    QString choice = seriesName(m_series[std::size_t(m_x)]);
    choice = choice.left(choice.lastIndexOf(QLatin1Char('(')));
    QString q = QStringLiteral("select from (") + m_table.query + QStringLiteral(") where ") + bareName(choice)
        + QStringLiteral(" within (") + xFromText() + QLatin1Char(';') + xToText() + QLatin1Char(')');
    if (!withY)
        return q;
    q += QStringLiteral(", ");
    for (const CColChart& s : m_series) {
        if (!s.checked || !s.yable)
            continue;
        q += QLatin1Char('(') + bareName(s.header) + QStringLiteral(" within `") + ValueCatalogue::typeName(s.type)
            + QStringLiteral("$(") + yFromText() + QLatin1Char(';') + yToText() + QStringLiteral(")) | ");
    }
    // With no series checked the condition list would end in a dangling comma.
    while (!q.isEmpty() && (q.back() == QLatin1Char('|') || q.back() == QLatin1Char(' ') || q.back() == QLatin1Char(',')))
        q.chop(1);
    return q;
}
