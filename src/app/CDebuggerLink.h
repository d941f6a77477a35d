// Joins the debugger to the main window: "Debugger..." (Ctrl+Alt+D) from a
// source view connects the debugger's own session to the current server,
// checks (and on request injects) the agent, reloads the namespace explorer
// and shows the window; "Switch to in Debugger" from the explorer shows a
// function in it; values chosen in it are shown through the main runner.
#pragma once

#include <QObject>

#include <functional>
#include <memory>

class CDialogFontsColors;
class CDlgDebug;
class CExplorerLink;
class CMainFrame;
class CQHelper;
class CQueryLink;
class DebugController;
class KRender;
class Prompter;

class CDebuggerLink : public QObject {
    Q_OBJECT
public:
    CDebuggerLink(CMainFrame& frame, CQueryLink& link, CExplorerLink& explorer, const CDialogFontsColors& scheme,
                  Prompter& prompter, QString homeFolder, std::function<QString()> selection);
    ~CDebuggerLink() override;

    void open();
    void switchTo(const QString& function);
    CDlgDebug* dialog() const { return m_dialog.get(); }
    DebugController* controller() const { return m_controller; }

signals:
    // After each refresh of the debugger (the watch list refreshes then).
    void debuggerRefreshed();

private:
    void agentChecked(bool ok);

    CMainFrame& m_frame;
    CQueryLink& m_link;
    CExplorerLink& m_explorer;
    const CDialogFontsColors& m_scheme;
    Prompter& m_prompter;
    std::function<QString()> m_selection;
    std::unique_ptr<CQHelper> m_session;
    std::unique_ptr<KRender> m_render;
    DebugController* m_controller = nullptr;
    std::unique_ptr<CDlgDebug> m_dialog;
    QString m_pendingSelection;
    bool m_opening = false;
};
