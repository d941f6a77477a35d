// The recent grid results, newest first, at most a given number long.
#pragma once

#include "results/history/CResultWithInfo.h"

#include <QObject>

#include <functional>
#include <vector>

class ResultHistory : public QObject {
    Q_OBJECT
public:
    explicit ResultHistory(QObject* parent = nullptr);

    // QMaxHistoryResults, read at each record; a negative one counts as 0.
    void setLimitSource(std::function<int()> limit) { m_limit = std::move(limit); }

    // Puts the value (a new reference) with its record in front and drops
    // the oldest beyond the limit. A null value is not recorded.
    void record(K value, const CResultInfo& info);
    // Removes the records at these rows (any order, duplicates ignored).
    void remove(std::vector<int> rows);
    void clear();

    int size() const { return int(m_records.size()); }
    const CResultWithInfo& at(int row) const { return m_records[std::size_t(row)]; }

signals:
    void changed();

private:
    std::function<int()> m_limit;
    std::vector<CResultWithInfo> m_records;
};
