// The edit commands for the window's ordinary text controls (line edits,
// combo box fields, text panes such as the console): window-wide handlers
// that act on the focused control when no pane or view handles the command
// around the focus itself.
#pragma once

class CommandHandlers;
class QObject;

namespace TextControlCommands {
void add(CommandHandlers& handlers, QObject* owner);
}
