// "Copy as Symbol list": a selected q symbol list as a q expression that
// casts a list of strings back to symbols.
#pragma once

#include <QString>

namespace SymbolList {
QString fromSelection(const QString& selection);
}
