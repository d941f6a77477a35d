// The kept results of the stash, in the order they were added, each under its
// label (the received text); no two labels equal ignoring case.
#pragma once

#include "results/history/CResultWithInfo.h"

#include <vector>

class ResultStash {
public:
    // The entry of the value: the one already under the record's label (the
    // new record is then dropped), else a new last entry. -1 for no value.
    int add(K value, const CResultInfo& info);
    // Removes an entry; returns the entry to select now: the one at the same
    // position, else the one before it, else -1.
    int remove(int index);
    int find(const QString& label) const;

    int size() const { return int(m_records.size()); }
    const CResultWithInfo& at(int index) const { return m_records[std::size_t(index)]; }
    QString label(int index) const { return at(index).info.received; }

private:
    std::vector<CResultWithInfo> m_records;
};
