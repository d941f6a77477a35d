#include "app/PlaceHistory.h"

#include <algorithm>

void PlaceHistory::push(QObject* document, int line, int column)
{
    if (!document)
        return;
    m_places.append({document, line, column});
    if (m_places.size() > kMaxPlaces)
        m_places.removeFirst();
}

std::optional<PlaceHistory::Place> PlaceHistory::back()
{
    while (!m_places.isEmpty()) {
        Place place = m_places.takeLast();
        if (place.document)
            return place;
    }
    return std::nullopt;
}

bool PlaceHistory::canGoBack() const
{
    return std::any_of(m_places.cbegin(), m_places.cend(), [](const Place& p) { return !p.document.isNull(); });
}
