// The main window: owns the live settings pages and, as they come, the panes.
#pragma once

#include "core/settings/CDlgQSettings.h"

#include <QMainWindow>

class CTovoApp;
class Prompter;
class QAction;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(CTovoApp& app, Prompter& prompter);
    ~CMainFrame() override;

    CDlgQSettings& qSettings() { return m_qSettings; }
    CDlgEditorSettings& editorSettings() { return m_editorSettings; }

    // Window placement and layout from the settings section; false when none was saved.
    bool restorePlacement();
    void storeState();

    // Opens the settings dialog; returns whether OK was pressed.
    bool showSettings();
    // The menu toggles that save the Q settings page at once.
    void toggleAsync();
    void toggleTls();

    QAction* asyncAction() const { return m_asyncAction; }
    QAction* tlsAction() const { return m_tlsAction; }

signals:
    // After OK in the settings dialog: which of the watched values changed.
    void settingsChanged(bool serversViewChanged, bool outputChanged, bool typingDelayChanged);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    void updateToggleActions();

    CTovoApp& m_app;
    Prompter& m_prompter;
    CDlgQSettings m_qSettings;
    CDlgEditorSettings m_editorSettings;
    QAction* m_asyncAction = nullptr;
    QAction* m_tlsAction = nullptr;
    bool m_stateStored = false;
};
