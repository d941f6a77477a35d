// The eight 16-pixel pictures of the namespace tree and the auto-complete
// list, drawn here: 0 classes window, 1 hierarchy, 2 folder, 3 grid (table),
// 4 violet diamond (function), 5 blue diamond (variable), 6 violet diamond
// with a red "!" (function using unresolved names), 7 red "?" (unresolved).
#pragma once

#include <QIcon>

class ExplorerIcons {
public:
    static QIcon icon(int index);
    static QPixmap pixmap(int index);
};
