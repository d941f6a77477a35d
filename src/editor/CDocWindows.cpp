#include "editor/CDocWindows.h"

#include "editor/CTovoView.h"

CDocWindows::CDocWindows(CTovoView& first)
    : m_doc(first)
{
    m_views << &first;
}

int CDocWindows::indexOf(const CTovoView* view) const
{
    return static_cast<int>(m_views.indexOf(view)) + 1;
}

void CDocWindows::add(CTovoView* view)
{
    if (!m_views.contains(view))
        m_views << view;
}

bool CDocWindows::remove(CTovoView* view)
{
    const bool wasProcessor = processor() == view;
    m_views.removeOne(view);
    if (wasProcessor && !m_views.isEmpty())
        m_doc.setEditor(*m_views.first());
    return wasProcessor;
}

int CDocWindows::freeSlot() const
{
    for (int slot = 0; slot < kIndicatorSlots; ++slot) {
        bool used = false;
        for (const CTovoView* view : m_views)
            used = used || view->indicatorSlot() == slot;
        if (!used)
            return slot;
    }
    return kIndicatorSlots - 1;
}
