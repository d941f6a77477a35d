// "View/Search logs..." and "Recover temp files...": the two search-files
// dialogs of the window, created on first use and then only shown again.
#pragma once

#include "files/CDlgViewLogs.h"

#include <QObject>
#include <QPointer>

#include <functional>

class CDialogFontsColors;
class CDlgRemoteFiles;
class CDlgViewLogs;
class CExplorerLink;
class CMainFrame;
class FileChooser;
class LocalCodebase;
class Prompter;
class CommandHandlers;

class CSearchFilesLink : public QObject {
    Q_OBJECT
public:
    CSearchFilesLink(CMainFrame& frame, const CDialogFontsColors& scheme, CExplorerLink& explorer, FileChooser* files,
                     QString homeFolder, QString autoSaveFolder);
    ~CSearchFilesLink() override;

    void registerCommands(CommandHandlers& handlers);
    // Tells the user of a file a search dialog could not read.
    void setPrompter(Prompter* prompter) { m_prompter = prompter; }
    CDlgViewLogs* showLogs();
    CDlgViewLogs* showTempFiles();
    // The remote files inventory over the last namespace load's files; with
    // a path, that file selected at line with function as the jump target.
    CDlgRemoteFiles* showRemoteFiles(const QString& path = QString(), qint64 line = -1,
                                     const QString& function = QString());
    // The file view's codebase and how to have it read a folder ("Pick Local...").
    void setLocalCodebase(const LocalCodebase* codebase, std::function<void(const QString&)> load);
    // The file view read a codebase from root: the inventory shows it.
    CDlgRemoteFiles* showLocalCodebase(const QString& root);

private:
    CDlgViewLogs* make();
    // The inventory, made on first use, with the last namespace load's files.
    CDlgRemoteFiles* remoteFiles();
    CDlgViewLogs::Look look() const;
    SearchFiles::FunctionsOf functionsOf() const;

    CMainFrame& m_frame;
    const CDialogFontsColors& m_scheme;
    CExplorerLink& m_explorer;
    FileChooser* m_files;
    Prompter* m_prompter = nullptr;
    QString m_home;
    QString m_autoSaves;
    // Windows of their own, owned by the frame.
    QPointer<CDlgViewLogs> m_logs;
    QPointer<CDlgViewLogs> m_temp;
    QPointer<CDlgRemoteFiles> m_remote;
    const LocalCodebase* m_codebase = nullptr;
    std::function<void(const QString&)> m_loadLocal;
};
