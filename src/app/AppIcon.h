// The application's icon (the same drawing as the package's icon theme
// entries), drawn from its SVG resource at the usual window icon sizes.
#pragma once

#include <QIcon>

namespace AppIcon {
QIcon icon();
} // namespace AppIcon
