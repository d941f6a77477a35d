#include "results/grid/TextWidths.h"

#include <algorithm>

int TextWidths::estimate(const QString& text)
{
    int width = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 256 || u < 32)
            return m_metrics.horizontalAdvance(text); // shaped, or laid out, whole
        int& advance = m_advance[u];
        if (advance < 0)
            advance = m_metrics.horizontalAdvance(c);
        width += advance;
    }
    return width;
}

void TextWidths::add(const QString& text)
{
    if (text.isEmpty())
        return;
    const int width = estimate(text);
    if (m_top.size() == kMeasured && width <= m_top.back().first)
        return;
    const auto at = std::find_if(m_top.begin(), m_top.end(), [width](const auto& entry) { return entry.first < width; });
    m_top.insert(at, {width, text});
    if (m_top.size() > kMeasured)
        m_top.pop_back();
}

int TextWidths::widest() const
{
    int widest = 0;
    for (const auto& entry : m_top)
        widest = std::max(widest, m_metrics.horizontalAdvance(entry.second));
    return widest;
}
