#include "core/WindowGeometry.h"

#include <algorithm>

QRect WindowGeometry::clamp(const QRect& stored, const QList<QRect>& screens, const QSize& minimum,
                            const QSize& defaultSize)
{
    if (screens.isEmpty())
        return stored;
    QRect screen = screens.first();
    qint64 best = -1;
    for (const QRect& candidate : screens) {
        const QRect overlap = candidate.intersected(stored);
        const qint64 area = overlap.isValid() ? qint64(overlap.width()) * overlap.height() : 0;
        if (area > best) {
            best = area;
            screen = candidate;
        }
    }
    QRect r = stored;
    if (!r.isValid()) {
        r = QRect(QPoint(), defaultSize);
        r.moveCenter(screen.center());
    }
    r.setWidth(std::min(r.width(), std::max(screen.width(), minimum.width())));
    r.setHeight(std::min(r.height(), std::max(screen.height(), minimum.height())));
    r.moveLeft(std::clamp(r.left(), screen.left(), std::max(screen.left(), screen.right() - r.width() + 1)));
    r.moveTop(std::clamp(r.top(), screen.top(), std::max(screen.top(), screen.bottom() - r.height() + 1)));
    return r;
}
