// The plot rectangle of a chart in pixels (right and bottom exclusive, as the
// client rectangle they come from) and the mapping between data and pixels.
#pragma once

#include "chart/CArea.h"

#include <QPoint>
#include <QSize>

#include <algorithm>
#include <cmath>
#include <cstdint>

struct PlotRect {
    int L = 0, T = 0, R = 0, B = 0;

    // The client area inset by 6 pixels on every side.
    static PlotRect inside(QSize client)
    {
        return {6, 6, std::max(7, client.width() - 6), std::max(7, client.height() - 6)};
    }
};

// Data to pixel with the chart's rounding. Results are kept far from the
// integer limits; NaN maps to the lowest value and must be skipped by callers.
class PixelMap {
public:
    PixelMap(const CArea& a, const PlotRect& p)
        : m_xmin(a.xmin), m_ymin(a.ymin), m_L(p.L), m_T(p.T), m_B(p.B),
          m_sx(double(p.R - p.L) / (a.xmax - a.xmin)), m_sy(double(p.B - p.T) / (a.ymax - a.ymin))
    {
    }
    std::int64_t x(double v) const { return clamp(std::floor((v - m_xmin) * m_sx + m_L + 0.5)); }
    std::int64_t y(double v) const { return clamp(std::floor((m_B - m_T) - (v - m_ymin) * m_sy + m_T + 0.5)); }

    static constexpr std::int64_t limit = std::int64_t(1) << 40;

private:
    static std::int64_t clamp(double v)
    {
        if (std::isnan(v))
            return -limit;
        return std::int64_t(std::clamp(v, double(-limit), double(limit)));
    }
    double m_xmin, m_ymin;
    int m_L, m_T, m_B;
    double m_sx, m_sy;
};
