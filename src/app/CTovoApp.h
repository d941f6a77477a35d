// The application object: start-up and shutdown of one Tovo process.
#pragma once

#include "app/CommandLine.h"
#include "app/DemoInstance.h"
#include "core/HomeFolder.h"
#include "core/files/PrivateTempFolder.h"
#include "core/settings/SettingsStore.h"

#include <QObject>

#include <memory>

class CDemoLink;
class CMainFrame;
class FileChooser;
class CQueryLink;
class Prompter;

class CTovoApp : public QObject {
    Q_OBJECT
public:
    // store: null for the native per-user store of the given profile.
    CTovoApp(const CommandLine& commandLine, Prompter& prompter, std::unique_ptr<SettingsStore> store = nullptr);
    ~CTovoApp() override;

    // Runs the start-up sequence; false ends the program.
    bool initInstance();
    // Stores what the session leaves behind; called once before the event loop ends.
    void exitInstance();

    const CommandLine& commandLine() const { return m_commandLine; }
    const HomeFolder& home() const { return m_home; }
    QString GetHomeFilePath(const QString& name) const { return m_home.filePath(name); }
    SettingsStore& store() { return *m_store; }
    // The session's private folder of temporary files (reply documents and
    // pictures); removed with its files when the application object goes.
    PrivateTempFolder& tempFolder() { return m_tempFolder; }
    CMainFrame* mainFrame() const { return m_mainFrame.get(); }
    CQueryLink* queryLink() const { return m_link; }
    int mruLength() const { return m_mruLength; }
    // The file dialogs; tests install their own before initInstance.
    FileChooser& fileChooser() { return *m_chooser; }
    void setFileChooser(FileChooser* chooser) { m_chooser = chooser; }
    // Where the demo instance and its files are (main finds them; tests set
    // their own before initInstance). Without them there is no demo.
    void setDemoFiles(const DemoFiles& files) { m_demoFiles = files; }
    CDemoLink* demoLink() const { return m_demo; }

    // The home folder when --homedir is absent: the executable's folder, or the
    // per-user application-data folder when that one is not writable.
    static QString defaultHomeFolder();

private:
    CommandLine m_commandLine;
    Prompter& m_prompter;
    std::unique_ptr<SettingsStore> m_store;
    HomeFolder m_home;
    PrivateTempFolder m_tempFolder;
    int m_mruLength = 4;
    std::unique_ptr<FileChooser> m_dialogChooser;
    FileChooser* m_chooser;
    std::unique_ptr<CMainFrame> m_mainFrame;
    CQueryLink* m_link = nullptr;
    DemoFiles m_demoFiles;
    CDemoLink* m_demo = nullptr;
};
