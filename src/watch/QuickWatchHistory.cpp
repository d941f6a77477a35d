#include "watch/QuickWatchHistory.h"

bool QuickWatchHistory::add(const QString& text)
{
    if (text.isEmpty() || m_entries.contains(text, Qt::CaseInsensitive))
        return false;
    m_entries.append(text);
    return true;
}

void QuickWatchHistory::evaluated(const QString& current)
{
    add(m_previous);
    m_previous = current;
}

QString QuickWatchHistory::expressionFor(const QString& path)
{
    if (path.isEmpty())
        return m_previous;
    add(m_previous);
    return u'(' + m_previous + u')' + path;
}
