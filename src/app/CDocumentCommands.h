// The File menu's document commands: Open, Save, Save As, the recent files,
// the question before a modified document closes, and the modified mark in
// each document's title.
#pragma once

#include "app/CRecentFiles.h"

#include <QObject>

class CChildFrame;
class CDlgEditorSettings;
class CMainFrame;
class CTovoView;
class FileChooser;
class Prompter;
class SettingsStore;

class CDocumentCommands : public QObject {
    Q_OBJECT
public:
    CDocumentCommands(CMainFrame& frame, SettingsStore& store, const CDlgEditorSettings& settings, Prompter& prompter,
                      FileChooser& chooser, int recentLength, QObject* parent = nullptr);

    // "&Open...": asks for a file and opens it (or activates it when open).
    CChildFrame* open();
    CChildFrame* openPath(const QString& path);
    // Saves to the document's own file, or asks for one when it has none.
    bool save(CChildFrame* child);
    // Asks for a file and saves there; the document then belongs to it.
    bool saveAs(CChildFrame* child);
    // "&New Window": another window onto the active document.
    CChildFrame* newWindow(CChildFrame* child);
    // Before a document closes: asks about unsaved changes. False keeps it open.
    bool queryClose(CChildFrame* child);
    // Before the window closes: asks about every modified document in turn.
    bool queryCloseAll();

    // Follows a new document window: its title carries the modified mark.
    void attach(CChildFrame* child);
    void updateTitle(CChildFrame* child);

    CRecentFiles& recentFiles() { return m_recent; }

signals:
    void recentFilesChanged();

private:
    static CTovoView* viewOf(CChildFrame* child);
    // The frame windows showing view's document.
    QList<CChildFrame*> windowsOf(CTovoView* view) const;
    bool saveTo(CChildFrame* child, const QString& path, bool saveAs);
    bool askToSave(CChildFrame* child);
    void rememberRecent(const QString& path);

    CMainFrame& m_frame;
    SettingsStore& m_store;
    const CDlgEditorSettings& m_settings;
    Prompter& m_prompter;
    FileChooser& m_chooser;
    CRecentFiles m_recent;
};
