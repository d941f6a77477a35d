#include "app/CActionRegistry.h"

#include "app/CommandIds.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>

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
    {cmd::ImportServers, "Import Servers...", "", "Add the servers of Studio for kdb+, kdb-studio or VS Code to the server list"},
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
    {cmd::GoToDefinition, "Go to &Definition", "F12", "Open where the function at the caret is defined"},
    {cmd::NavigateBackward, "Navigate &Backward", "Alt+Left", "Return to where Go to Definition left"},
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
    {cmd::GridFilterRow, "Grid &Filter Row", "Ctrl+Shift+F", "Show or hide the filter boxes under the grid's header"},
    {cmd::SyntaxHighlight, "Syntax &Highlight", "Ctrl+U", "Toggle syntax highlighting"},
    {cmd::WindowNew, "&New Window", "", "Open another window for the active document"},
    {cmd::Windows, "&Windows...", "", "Manage the document windows"},
    {cmd::AppAbout, "&About Tovo...", "", "Display program information"},
    {cmd::QHelp, "q reference (code.kx.com)", "F1", "Look up the identifier in the q reference"},
    {cmd::StartDemo, "Start Demo Instance", "", "Start the bundled demo instance, connect to it and open demo.q"},
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
    {cmd::LookDark, "Dar&k", "", "Dark frame, editor, console, grid and charts"},
};
} // namespace

CActionRegistry::CActionRegistry(QObject* parent)
    : QObject(parent)
{
    // A command's owner changes with the focus. While a widget is being
    // destroyed the focus leaves it for none: then the states are brought up
    // to date once control is back in the event loop.
    m_focusUpdate.setSingleShot(true);
    m_focusUpdate.setInterval(0);
    connect(&m_focusUpdate, &QTimer::timeout, this, &CActionRegistry::updateCommands);
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        connect(app, &QApplication::focusChanged, &m_focusUpdate, [this](QWidget*, QWidget* now) {
            if (now)
                updateCommands();
            else
                m_focusUpdate.start(); // perhaps a widget going away
        });
        // A key that may be a shortcut finds the states of this moment (Undo right after typing).
        app->installEventFilter(this);
    }
}

CActionRegistry::~CActionRegistry() = default;

bool CActionRegistry::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // Every accelerator of the table holds Ctrl or Alt, or is a function key.
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            || (key->key() >= Qt::Key_F1 && key->key() <= Qt::Key_F35))
            updateCommands();
    }
    return QObject::eventFilter(watched, event);
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
    connect(a, &QAction::triggered, this, [this, id] { run(id); });
    updateAction(id);
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

void CActionRegistry::addHandler(int id, QObject* owner, Scope scope, Run run, Rule enabled, Rule checked)
{
    if (!owner || !run)
        return;
    QList<Handler>& list = m_handlers[id];
    list.removeIf([owner](const Handler& h) { return h.owner == owner; });
    list.append(Handler{owner, scope, std::move(run), std::move(enabled), std::move(checked)});
    if (!m_watchedOwners.contains(owner)) {
        m_watchedOwners.append(owner);
        connect(owner, &QObject::destroyed, this, [this, owner] { ownerDestroyed(owner); });
    }
    if (m_actions.contains(id))
        updateAction(id);
}

void CActionRegistry::removeHandler(int id, QObject* owner)
{
    auto it = m_handlers.find(id);
    if (it == m_handlers.end())
        return;
    it->removeIf([owner](const Handler& h) { return h.owner == owner || h.owner.isNull(); });
    if (it->isEmpty())
        m_handlers.erase(it);
    if (m_actions.contains(id))
        updateAction(id);
}

void CActionRegistry::ownerDestroyed(QObject* owner)
{
    // The owner's pointers are already cleared: drop every handler whose owner is gone.
    m_watchedOwners.removeAll(owner);
    QList<int> changed;
    for (auto it = m_handlers.begin(); it != m_handlers.end();) {
        if (it->removeIf([](const Handler& h) { return h.owner.isNull(); }) > 0)
            changed.append(it.key());
        if (it->isEmpty())
            it = m_handlers.erase(it);
        else
            ++it;
    }
    for (int id : changed)
        if (m_actions.contains(id))
            updateAction(id);
}

bool CActionRegistry::hasHandler(int id) const
{
    for (const Handler& h : m_handlers.value(id))
        if (!h.owner.isNull())
            return true;
    return false;
}

int CActionRegistry::handlerCount() const
{
    int n = 0;
    for (const QList<Handler>& list : m_handlers)
        for (const Handler& h : list)
            n += h.owner.isNull() ? 0 : 1;
    return n;
}

const CActionRegistry::Handler* CActionRegistry::route(int id) const
{
    auto it = m_handlers.constFind(id);
    if (it == m_handlers.cend())
        return nullptr;
    // The nearest owner around the focus widget...
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
        for (const Handler& h : *it)
            if (h.scope == Scope::Focus && h.owner == w)
                return &h;
    // ...else the window-wide one (the latest registered).
    for (auto h = it->crbegin(); h != it->crend(); ++h)
        if (h->scope == Scope::Window && !h->owner.isNull())
            return &*h;
    return nullptr;
}

QObject* CActionRegistry::target(int id) const
{
    const Handler* h = route(id);
    return h ? h->owner.data() : nullptr;
}

bool CActionRegistry::run(int id)
{
    const Handler* h = route(id);
    if (!h || (h->enabled && !h->enabled())) {
        if (m_actions.contains(id))
            updateAction(id); // the checked mark a click may have flipped goes back
        return false;
    }
    // The handler may remove handlers, or close and delete the window.
    const Run run = h->run;
    QPointer<CActionRegistry> self(this);
    run();
    if (self)
        updateCommands();
    return true;
}

void CActionRegistry::updateCommands()
{
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it)
        updateAction(it.key());
}

void CActionRegistry::updateAction(int id)
{
    QAction* a = m_actions.value(id);
    if (!a)
        return;
    const Handler* h = route(id);
    a->setEnabled(h && (!h->enabled || h->enabled()));
    if (h && h->checked) {
        a->setCheckable(true);
        a->setChecked(h->checked());
    }
}
