// Tovo's whole window in a temporary home, started with a command line that
// connects it to a test instance. Header-only: the tests that include it link
// the application's libraries themselves.
#pragma once

#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "app/CMainFrame.h"
#include "app/CTovoApp.h"

#include <QDockWidget>

#include <memory>

class WindowOnInstance {
public:
    // False when the window did not start. files: answers the window's file
    // dialogs (the desktop's otherwise).
    bool start(quint16 port, FileChooser* files = nullptr)
    {
        m_app = std::make_unique<CTovoApp>(
            CommandLine(QStringLiteral("--homedir:%1 --server:127.0.0.1:%2").arg(m_home.path()).arg(port)), m_prompter,
            m_home.store());
        if (files)
            m_app->setFileChooser(files);
        return m_app->initInstance();
    }

    // Closes the window and its sessions while the instance still runs.
    void close() { m_app.reset(); }

    CTovoApp* app() const { return m_app.get(); }
    CMainFrame* frame() const { return m_app ? m_app->mainFrame() : nullptr; }
    ScriptedPrompter& prompter() { return m_prompter; }
    const TempHome& home() const { return m_home; }

    // The widget of one of the frame's panes, or null.
    template<typename Widget>
    Widget* pane(int id) const
    {
        QDockWidget* dock = frame() ? frame()->pane(id) : nullptr;
        return dock ? qobject_cast<Widget*>(dock->widget()) : nullptr;
    }

private:
    TempHome m_home;
    ScriptedPrompter m_prompter;
    std::unique_ptr<CTovoApp> m_app;
};
