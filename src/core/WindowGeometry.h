// Keeps a stored window rectangle on the screens that exist now: a layout
// saved on a larger or missing monitor, or a corrupt one, must not open a
// window that is invisible or larger than any screen.
#pragma once

#include <QList>
#include <QRect>

class WindowGeometry {
public:
    // The rectangle moved and shrunk to fit in the available area of the
    // screen it overlaps most (the first screen when it overlaps none), but
    // never below minimum (a window cannot be smaller: it then starts at the
    // screen's top left corner). An invalid rectangle becomes the centred
    // default size, fitted the same way.
    static QRect clamp(const QRect& stored, const QList<QRect>& screens, const QSize& minimum = QSize(),
                       const QSize& defaultSize = QSize(1200, 800));
};
