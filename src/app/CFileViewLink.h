// The "File View" pane in the window: the pane in its dock, its codebase
// progress in the status bar, "Show in File View", documents opened from
// the tree, and the read codebase handed to the files inventory.
#pragma once

#include <QObject>

class CFileView;
class CMainFrame;
class CSearchFilesLink;
class Prompter;
class CommandHandlers;

class CFileViewLink : public QObject {
    Q_OBJECT
public:
    CFileViewLink(CMainFrame& frame, Prompter& prompter, CSearchFilesLink& searchFiles);

    void registerCommands(CommandHandlers& handlers);
    CFileView* view() const { return m_view; }

private:
    // The file of the active document, empty when it has none.
    QString activePath() const;
    void showInFileView();

    CMainFrame& m_frame;
    CFileView* m_view;
};
