// Toolbar and menu icons of the main window's commands, drawn at run time.
#pragma once

#include <QIcon>

namespace CommandIcons {
// An icon for the command id; a null icon when the command has none.
QIcon icon(int id);
}
