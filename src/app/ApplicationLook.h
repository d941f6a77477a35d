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
} // namespace ApplicationLook
