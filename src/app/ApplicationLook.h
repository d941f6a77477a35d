// The application looks 205-219 as Qt styles and palettes.
#pragma once

#include <QString>

class QApplication;

namespace ApplicationLook {
// Whether id is one of the looks offered in the menu.
bool isKnown(int id);
// Applies the look; an unknown id gets the Office 2007 look in its current colour.
void apply(QApplication& app, int id);
// The look a stored id resolves to (unknown ids: the current Office 2007 colour, blue by default).
int resolve(int id, int currentOffice2007 = 215);
// The dark look: a dark frame together with the dark colour scheme.
bool isDark(int id);
// Whether the desktop asks for dark colours (Qt 6.5's colour-scheme hint;
// before it, a window colour darker than its text).
bool desktopPrefersDark();
// The look of a first start, with no stored look: dark when the desktop is.
int firstStartLook(bool desktopDark, int storedDefault);
} // namespace ApplicationLook
