// Toolbar and menu icons of the main window's commands, drawn at run time.
#pragma once

#include <QColor>
#include <QIcon>

namespace CommandIcons {
// An icon for the command id, drawn for the current palette's toolbar
// colour; a null icon when the command has none.
QIcon icon(int id);
// The same, drawn for toolbars of colour background.
QIcon icon(int id, const QColor& background);
// Whether the command has an icon.
bool has(int id);
// An icon for the command id (which has one) that is drawn, as icon(id),
// only when it is first painted or measured: a window shows a few of its
// commands' icons at first, and the rest only in menus opened later.
QIcon deferred(int id);
// An icon's ink for a toolbar of colour background: the colour itself, or
// lightened on a dark toolbar, darkened on a light one (same hue) until it
// stands out at 3:1 or better.
QColor ink(QRgb colour, const QColor& background);
// WCAG 2 contrast ratio of two colours, 1 .. 21.
double contrast(const QColor& a, const QColor& b);
}
