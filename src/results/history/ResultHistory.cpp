#include "results/history/ResultHistory.h"

#include <algorithm>

ResultHistory::ResultHistory(QObject* parent)
    : QObject(parent)
{
}

void ResultHistory::record(K value, const CResultInfo& info)
{
    if (!value)
        return;
    m_records.insert(m_records.begin(), CResultWithInfo {info, KPtr(r1(value))});
    const int limit = std::max(0, m_limit ? m_limit() : 3);
    if (m_records.size() > std::size_t(limit))
        m_records.resize(std::size_t(limit));
    emit changed();
}

void ResultHistory::remove(std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    bool removed = false;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        if (*it >= 0 && *it < size()) {
            m_records.erase(m_records.begin() + *it);
            removed = true;
        }
    }
    if (removed)
        emit changed();
}

void ResultHistory::clear()
{
    if (m_records.empty())
        return;
    m_records.clear();
    emit changed();
}
