// "View/Search logs..." and "Recover temp files...": the two search-files
// dialogs of the window, created on first use and then only shown again.
#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class CDialogFontsColors;
class CDlgViewLogs;
class CExplorerLink;
class CMainFrame;
class CommandHandlers;

class CSearchFilesLink : public QObject {
    Q_OBJECT
public:
    CSearchFilesLink(CMainFrame& frame, const CDialogFontsColors& scheme, CExplorerLink& explorer, QString homeFolder,
                     QString autoSaveFolder);
    ~CSearchFilesLink() override;

    void registerCommands(CommandHandlers& handlers);
    CDlgViewLogs* showLogs();
    CDlgViewLogs* showTempFiles();

private:
    CDlgViewLogs* make();

    CMainFrame& m_frame;
    const CDialogFontsColors& m_scheme;
    CExplorerLink& m_explorer;
    QString m_home;
    QString m_autoSaves;
    // Windows of their own, owned by the frame.
    QPointer<CDlgViewLogs> m_logs;
    QPointer<CDlgViewLogs> m_temp;
};
