#include "app/CDefinitionLink.h"

#include "app/CChildFrame.h"
#include "app/CDocumentArea.h"
#include "app/CExplorerLink.h"
#include "app/CFrameStatusBar.h"
#include "app/CMainFrame.h"
#include "app/DefinitionFinder.h"
#include "core/commands/CommandHandlers.h"
#include "core/commands/CommandIds.h"
#include "editor/CTovoView.h"
#include "explorer/panes/CClassView.h"
#include "files/LocalCodebase.h"

#include <QDockWidget>
#include <QFileInfo>

CDefinitionLink::CDefinitionLink(CMainFrame& frame, CExplorerLink& explorer, const LocalCodebase* codebase)
    : QObject(&frame)
    , m_frame(frame)
    , m_explorer(explorer)
    , m_codebase(codebase)
{
}

void CDefinitionLink::registerCommands(CommandHandlers& handlers)
{
    using Scope = CommandHandlers::Scope;
    handlers.addHandler(cmd::GoToDefinition, this, Scope::Window, [this] { goToDefinition(); },
                        [this] { return activeView() && m_explorer.classView()->entities(); });
    handlers.addHandler(cmd::NavigateBackward, this, Scope::Window, [this] { navigateBackward(); },
                        [this] { return m_history.canGoBack(); });
}

CTovoView* CDefinitionLink::activeView() const
{
    CChildFrame* child = m_frame.activeDocument();
    return child ? qobject_cast<CTovoView*>(child->view()) : nullptr;
}

void CDefinitionLink::goToDefinition()
{
    CChildFrame* from = m_frame.activeDocument();
    CTovoView* view = activeView();
    if (!view)
        return;
    const QString identifier = view->identifierAtCaret();
    if (identifier.isEmpty())
        return;
    static const SearchFiles::FileMap noFiles;
    const Definition found = DefinitionFinder::find(m_explorer.classView()->entities().get(),
                                                    m_codebase ? m_codebase->files() : noFiles, identifier);
    if (found.kind == Definition::None) {
        m_frame.frameStatusBar()->setPaneText(CFrameStatusBar::Message,
                                              QStringLiteral("No definition found for %1").arg(identifier));
        return;
    }
    int line = 0, column = 0;
    view->getCursorPosition(&line, &column);
    CChildFrame* target = nullptr;
    switch (found.kind) {
    case Definition::LocalFile:
        target = m_frame.openDocument(found.path);
        break;
    case Definition::RemoteText:
        target = remoteDocument(found.path, found.text);
        break;
    case Definition::Entity:
        if (QDockWidget* pane = m_frame.pane(CMainFrame::NamespaceExplorer)) {
            pane->show();
            pane->raise();
        }
        if (m_explorer.classView()->selectByName(found.name, true))
            m_history.push(from, line, column);
        return;
    case Definition::None:
        return;
    }
    if (!target)
        return;
    m_history.push(from, line, column);
    showLine(target, found.line);
}

void CDefinitionLink::navigateBackward()
{
    // A closed document may not be deleted yet: only open ones count.
    const QList<CChildFrame*> open = m_frame.documentArea()->documents();
    while (const std::optional<PlaceHistory::Place> place = m_history.back()) {
        auto* child = qobject_cast<CChildFrame*>(place->document.data());
        if (!child || !open.contains(child))
            continue;
        m_frame.documentArea()->activateDocument(child);
        if (auto* view = qobject_cast<CTovoView*>(child->view())) {
            view->setCursorPosition(place->line, place->column);
            view->ensureCursorVisible();
            view->setFocus(Qt::OtherFocusReason);
        }
        return;
    }
}

CChildFrame* CDefinitionLink::remoteDocument(const QString& path, const QString& text)
{
    if (CChildFrame* open = m_remoteDocuments.value(path)) {
        m_frame.documentArea()->activateDocument(open);
        return open;
    }
    CChildFrame* child = m_frame.newDocument();
    auto* view = child ? qobject_cast<CTovoView*>(child->view()) : nullptr;
    if (!view)
        return child;
    // The instance's copy: shown, never saved over anything.
    const QString title = QFileInfo(path).fileName() + QStringLiteral(" (remote)");
    view->setText(text);
    view->setModified(false);
    view->setReadOnly(true);
    view->document().setTitle(title);
    child->setTitle(title);
    m_remoteDocuments.insert(path, child);
    return child;
}

void CDefinitionLink::showLine(CChildFrame* child, qint64 line)
{
    auto* view = qobject_cast<CTovoView*>(child->view());
    if (!view)
        return;
    if (line > 0) {
        view->setCursorPosition(int(line - 1), 0);
        view->ensureLineVisible(int(line - 1));
    }
    view->setFocus(Qt::OtherFocusReason);
}
