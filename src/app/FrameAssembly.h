// Puts the subsystems' views into the main window: source views for
// documents, the grids, the fonts and colours, and the session link.
#pragma once

class CMainFrame;
class CQueryLink;
class CTovoApp;
class Prompter;

namespace FrameAssembly {
// Returns the session link, owned by the frame.
CQueryLink* assemble(CTovoApp& app, CMainFrame& frame, Prompter& prompter);
}
