// The command ids live with the command handlers in core, so panes below the
// application layer can register for them.
#pragma once

#include "core/commands/CommandIds.h"

namespace cmd {

// Commands only the application window owns.
inline constexpr int ImportServers = 33130; // File
inline constexpr int StartDemo = 33131;     // Help

} // namespace cmd
