// The widest of many texts in one font, cheaply: each text's width is first
// estimated from a cache of its characters' advances (no shaping, no layout),
// and only the few widest estimates are measured whole, so that kerning and
// shaping still decide between close candidates. Texts with characters
// beyond Latin-1 are always measured whole.
#pragma once

#include <QFontMetrics>
#include <QString>

#include <array>
#include <utility>
#include <vector>

class TextWidths {
public:
    explicit TextWidths(const QFontMetrics& metrics) : m_metrics(metrics) { m_advance.fill(-1); }

    void add(const QString& text);
    // The exact width of the widest text added since the last clear(); 0 when none.
    int widest() const;
    void clear() { m_top.clear(); }

private:
    static constexpr std::size_t kMeasured = 8; // estimates measured whole

    int estimate(const QString& text);

    QFontMetrics m_metrics;
    std::array<int, 256> m_advance;
    std::vector<std::pair<int, QString>> m_top; // the widest estimates, widest first
};
