#include "app/CActionRegistry.h"

#include "app/CommandIds.h"

#include <QAction>
#include <QKeySequence>

namespace {
struct CommandDef {
    int id;
    const char* text;
    const char* shortcuts; // ';'-separated portable key sequences
    const char* tip;
};

// Menu texts and accelerators of the main window's commands.
const CommandDef kCommands[] = {
    {cmd::FileNew, "&New", "Ctrl+N", "Create a new document"},
    {cmd::FileOpen, "&Open...", "Ctrl+O", "Open an existing document"},
    {cmd::FileClose, "&Close", "", "Close the active document"},
    {cmd::FileSave, "&Save", "Ctrl+S", "Save the active document"},
    {cmd::FileSaveAs, "Save &As...", "", "Save the active document with a new name"},
    {cmd::ExportToExcel, "Export to excel", "", "Open grid content in the spreadsheet application"},
    {cmd::OpenHomeFolder, "Open home folder...", "", "Open the folder of the server list"},
    {cmd::ViewSearchLogs, "View/Search logs...", "", "Search the query logs"},
    {cmd::RecoverTempFiles, "Recover temp files...", "", "Recover automatically saved files"},
    {cmd::FilePrint, "&Print...", "Ctrl+P", "Print the active document"},
    {cmd::FilePrintPreview, "Print Pre&view", "", "Display full pages"},
    {cmd::FilePrintSetup, "P&rint Setup...", "", "Change the printer and printing options"},
    {cmd::AppExit, "E&xit", "", "Quit the application"},
    {cmd::EditRedo, "&Redo", "Ctrl+Y", "Redo the previously undone action"},
    {cmd::EditUndo, "&Undo", "Ctrl+Z;Alt+Backspace", "Undo the last action"},
    {cmd::EditCut, "Cu&t", "Ctrl+X", "Cut the selection"},
    {cmd::EditCopy, "&Copy", "Ctrl+C", "Copy the selection"},
    {cmd::EditPaste, "&Paste", "Ctrl+V", "Insert clipboard contents"},
    {cmd::EditPasteSpecial, "Paste &Special...", "", "Insert clipboard contents with options"},
    {cmd::EditSelectAll, "Select A&ll", "Ctrl+A", "Select the entire document"},
    {cmd::EditFind, "&Find...", "Ctrl+F", "Find the specified text"},
    {cmd::EditFindNext, "F&ind Next", "F3", "Repeat the last search"},
    {cmd::EditReplace, "R&eplace", "Ctrl+H", "Replace specific text with different text"},
    {cmd::GoToLine, "Go to line...", "Ctrl+G", "Go to a line"},
    {cmd::GoToMatchingBracket, "Go to matching bracket", "Ctrl+]", "Go to the partner of the bracket"},
    {cmd::AutoComplete, "Auto-complete", "Ctrl+Space", "Complete the identifier"},
    {cmd::ExecuteLine, "Execute &Line", "Ctrl+Return;Ctrl+Enter;Ctrl+Shift+Return;Ctrl+Shift+Enter",
     "Execute the current line"},
    {cmd::ExecuteSelection, "Execute &Selection", "Ctrl+E;Ctrl+Shift+E", "Execute the selection"},
    {cmd::Stop, "Stop", "", "Stop the running query or connect"},
    {cmd::QuickWatch, "&Quick Watch...", "Ctrl+Q", "Quick watch of the identifier"},
    {cmd::ConnectToServer, "Connect to Server...", "", "Connect to a server"},
    {cmd::Settings, "Settings...", "", "Invokes settings dialog\nSettings"},
    {cmd::Connected, "Connected", "", "Connect or disconnect"},
    {cmd::Tls, "TLS/OpenSSL", "", "Use TLS for new connections"},
    {cmd::Async, "Async", "", "Asynchronous querying"},
    {cmd::ConnectPrevious, "Connect to previous", "", "Connect to the previous server"},
    {cmd::ConnectNext, "Connect to next", "", "Connect to the next server"},
    {cmd::TestSubscription, "Test Subscription...", "", "Test a subscription"},
    {cmd::Debugger, "Debugger...", "Ctrl+Alt+D", "Debug a q function"},
    {cmd::VariablesInventory, "Variables Inventory...", "Ctrl+Alt+V", "List the instance's variables"},
    {cmd::FunctionsInventory, "Functions Inventory...", "Ctrl+Alt+F", "List the instance's functions"},
    {cmd::RemoteFilesInventory, "Remote Files Inventory...", "Ctrl+Alt+R", "Compare remote and local files"},
    {cmd::ResultsStash, "Results Stash...", "", "Stashed results"},
    {cmd::ViewStatusBar, "&Status Bar", "", "Show or hide the status bar"},
    {cmd::FullScreen, "F&ull Screen", "F11", "Toggle full screen"},
    {cmd::LineWrapping, "Line &Wrapping", "Ctrl+L", "Toggle line wrapping"},
    {cmd::ChartGrid, "&Chart grid content", "", "Chart the grid content"},
    {cmd::SyntaxHighlight, "Syntax &Highlight", "Ctrl+U", "Toggle syntax highlighting"},
    {cmd::WindowNew, "&New Window", "", "Open another window for the active document"},
    {cmd::Windows, "&Windows...", "", "Manage the document windows"},
    {cmd::AppAbout, "&About Tovo...", "", "Display program information"},
    {cmd::QHelp, "q reference (code.kx.com)", "F1", "Look up the identifier in the q reference"},
    {cmd::Customize, "Customize...", "", "Customize toolbars"},
    {cmd::Refresh, "&Refresh", "", "Reload the namespaces"},
    {cmd::FileFilter, "File filter", "", "Filter files"},
    {cmd::TabbedDocument, "&Tabbed Document", "", ""},
    {cmd::NewHorizontalTabGroup, "New &Horizontal Tab Group", "", ""},
    {cmd::NewVerticalTabGroup, "New &Vertical Tab Group", "", ""},
    {cmd::MoveToNextTabGroup, "Move to Ne&xt Tab Group", "", ""},
    {cmd::MoveToPreviousTabGroup, "Move to P&revious Tab Group", "", ""},
    {cmd::ShowInFileView, "Show in File View", "", ""},
    {cmd::LookWindows2000, "Windows &2000", "", ""},
    {cmd::LookOfficeXP, "Office &XP", "", ""},
    {cmd::LookWindowsXP, "&Windows XP", "", ""},
    {cmd::LookOffice2003, "Office 200&3", "", ""},
    {cmd::LookVS2005, "Visual Studio 200&5", "", ""},
    {cmd::LookVS2008, "Visual Studio 200&8", "", ""},
    {cmd::LookBlue, "&Blue Style", "", ""},
    {cmd::LookBlack, "B&lack Style", "", ""},
    {cmd::LookSilver, "&Silver Style", "", ""},
    {cmd::LookAqua, "&Aqua Style", "", ""},
    {cmd::LookWindows7, "Win&dows 7", "", ""},
};
} // namespace

CActionRegistry::CActionRegistry(QObject* parent)
    : QObject(parent)
{
}

QAction* CActionRegistry::action(int id)
{
    if (QAction* existing = m_actions.value(id))
        return existing;
    auto* a = new QAction(parent());
    a->setData(id);
    for (const CommandDef& def : kCommands) {
        if (def.id != id)
            continue;
        a->setText(QString::fromUtf8(def.text));
        const QString tip = QString::fromUtf8(def.tip);
        a->setToolTip(tip.isEmpty() ? a->text().remove(u'&') : tip);
        a->setStatusTip(tip.section(u'\n', 0, 0));
        QList<QKeySequence> keys;
        for (const QString& k : QString::fromUtf8(def.shortcuts).split(u';', Qt::SkipEmptyParts))
            keys.append(QKeySequence(k, QKeySequence::PortableText));
        a->setShortcuts(keys);
        break;
    }
    m_actions.insert(id, a);
    return a;
}

bool CActionRegistry::isCommand(int id)
{
    for (const CommandDef& def : kCommands)
        if (def.id == id)
            return true;
    return false;
}

QList<int> CActionRegistry::allCommands()
{
    QList<int> ids;
    for (const CommandDef& def : kCommands)
        ids.append(def.id);
    return ids;
}
