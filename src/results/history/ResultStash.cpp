#include "results/history/ResultStash.h"

int ResultStash::find(const QString& label) const
{
    for (int i = 0; i < size(); ++i)
        if (this->label(i).compare(label, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int ResultStash::add(K value, const CResultInfo& info)
{
    if (!value)
        return -1;
    if (const int existing = find(info.received); existing >= 0)
        return existing;
    m_records.push_back(CResultWithInfo {info, KPtr(r1(value))});
    return size() - 1;
}

int ResultStash::remove(int index)
{
    if (index < 0 || index >= size())
        return -1;
    m_records.erase(m_records.begin() + index);
    if (index < size())
        return index;
    return size() - 1;
}
