#include "explorer/NavigationHistory.h"

bool NavigationHistory::jump(const QString& target)
{
    const QString from = m_current;
    if (!m_select(target))
        return false;
    m_back.append(from);
    m_forward.clear();
    return true;
}

bool NavigationHistory::back()
{
    if (m_back.isEmpty())
        return false;
    const QString from = m_current;
    if (!m_select(m_back.last()))
        return false;
    m_forward.append(from);
    m_back.removeLast();
    return true;
}

bool NavigationHistory::forward()
{
    if (m_forward.isEmpty())
        return false;
    const QString from = m_current;
    if (!m_select(m_forward.last()))
        return false;
    m_back.append(from);
    m_forward.removeLast();
    return true;
}
