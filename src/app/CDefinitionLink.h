// Go to Definition (F12) and Navigate Backward (Alt+Left) of the source
// views: the function at the caret opens where the namespace load found it
// defined (the local codebase's file when there is a counterpart, else the
// instance's copy of the file, read-only), or is selected in the namespace
// explorer when no file is known; each jump remembers where it came from.
#pragma once

#include "app/PlaceHistory.h"

#include <QHash>
#include <QObject>
#include <QPointer>

class CChildFrame;
class CExplorerLink;
class CMainFrame;
class CTovoView;
class CommandHandlers;
class LocalCodebase;

class CDefinitionLink : public QObject {
    Q_OBJECT
public:
    // codebase: the file view's, or null when there is none.
    CDefinitionLink(CMainFrame& frame, CExplorerLink& explorer, const LocalCodebase* codebase);

    void registerCommands(CommandHandlers& handlers);
    void goToDefinition();
    void navigateBackward();

private:
    CTovoView* activeView() const;
    // The read-only document of an instance's file, made once per path.
    CChildFrame* remoteDocument(const QString& path, const QString& text);
    static void showLine(CChildFrame* child, qint64 line);

    CMainFrame& m_frame;
    CExplorerLink& m_explorer;
    const LocalCodebase* m_codebase;
    PlaceHistory m_history;
    QHash<QString, QPointer<CChildFrame>> m_remoteDocuments;
};
