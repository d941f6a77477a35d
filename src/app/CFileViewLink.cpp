#include "app/CFileViewLink.h"

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/CSearchFilesLink.h"
#include "app/CTovoApp.h"
#include "app/CFrameStatusBar.h"
#include "core/commands/CommandHandlers.h"
#include "core/commands/CommandIds.h"
#include "files/CFileView.h"
#include "files/LocalCodebase.h"

#include <QDockWidget>

CFileViewLink::CFileViewLink(CMainFrame& frame, Prompter& prompter, CSearchFilesLink& searchFiles)
    : QObject(&frame)
    , m_frame(frame)
    , m_view(new CFileView(&frame.app().store(), &prompter, frame.app().commandLine().dummyFileView()))
{
    if (QDockWidget* dock = frame.pane(CMainFrame::FileView)) {
        m_view->setMinimumSize(100, 100);
        dock->setWidget(m_view);
    }
    m_view->setStatusBar(frame.frameStatusBar());
    if (!m_view->tree())
        return;
    connect(m_view, &CFileView::openRequested, &frame, [&frame](const QString& path) { frame.openDocument(path); });
    connect(m_view, &CFileView::codebaseLoaded, &searchFiles, &CSearchFilesLink::showLocalCodebase);
    CFileView* view = m_view;
    searchFiles.setLocalCodebase(view->codebase(), [view](const QString& folder) { view->loadCodebaseFrom(folder); });
    frame.setContentSearchAllowed([view] { return !view->codebase()->isEmpty(); });
}

void CFileViewLink::registerCommands(CommandHandlers& handlers)
{
    if (!m_view->tree())
        return; // an empty pane: the command stays disabled
    handlers.addHandler(cmd::ShowInFileView, this, CommandHandlers::Scope::Window, [this] { showInFileView(); },
                        [this] { return !activePath().isEmpty(); });
}

QString CFileViewLink::activePath() const
{
    const CChildFrame* child = m_frame.activeDocument();
    return child ? child->filePath() : QString();
}

void CFileViewLink::showInFileView()
{
    const QString path = activePath();
    if (path.isEmpty())
        return;
    if (QDockWidget* dock = m_frame.pane(CMainFrame::FileView)) {
        dock->show();
        dock->raise();
    }
    m_view->showPath(path);
}
