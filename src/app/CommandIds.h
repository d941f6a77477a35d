// The command ids live with the command handlers in core, so panes below the
// application layer can register for them.
#pragma once

#include "core/commands/CommandIds.h"
