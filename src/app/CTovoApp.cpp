#include "app/CTovoApp.h"

#include "app/CDemoLink.h"
#include "app/CFileDialogChooser.h"
#include "app/CFrameStatusBar.h"
#include "app/CMainFrame.h"
#include "app/CQueryLink.h"
#include "app/CServerLink.h"
#include "app/FrameAssembly.h"
#include "connect/ConnectionController.h"
#include "connect/ServerList.h"
#include "core/settings/KeptSettings.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/SettingsUpgrade.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

CTovoApp::CTovoApp(const CommandLine& commandLine, Prompter& prompter, std::unique_ptr<SettingsStore> store)
    : m_commandLine(commandLine)
    , m_prompter(prompter)
    , m_store(store ? std::move(store) : std::make_unique<SettingsStore>(commandLine.profile()))
    , m_dialogChooser(std::make_unique<CFileDialogChooser>())
    , m_chooser(m_dialogChooser.get())
{
}

CTovoApp::~CTovoApp() = default;

QString CTovoApp::defaultHomeFolder()
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (QFileInfo(exeDir).isWritable())
        return exeDir;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QString error;
    HomeFolder(data).ensureExists(&error);
    return data;
}

bool CTovoApp::initInstance()
{
    m_mruLength = m_store->readCustomInt(QString::fromLatin1(kept::MRULength.name), kept::MRULength.def);
    m_home = HomeFolder(m_commandLine.homeDir().isEmpty() ? defaultHomeFolder() : m_commandLine.homeDir());
    // A missing home folder is made (the user's alone); when it cannot be,
    // Tovo runs without the files kept there and says so once.
    QString homeError;
    const bool homeReady = m_home.ensureExists(&homeError);

    const bool upgrade = SettingsUpgrade::needed(*m_store);
    m_mainFrame = std::make_unique<CMainFrame>(*this, m_prompter);
    m_link = FrameAssembly::assemble(*this, *m_mainFrame, m_prompter);
    if (upgrade)
        SettingsUpgrade::run(*m_store);

    // Files named on the command line, or else the documents open at the last exit.
    if (!m_commandLine.files().isEmpty()) {
        for (const QString& file : m_commandLine.files())
            if (!m_mainFrame->openDocument(file))
                return false;
    } else {
        m_mainFrame->reopenDocuments();
    }
    if (m_mainFrame->activeDocument() == nullptr)
        m_mainFrame->newDocument();
    if (!m_mainFrame->restorePlacement())
        m_mainFrame->resize(1200, 800);
    m_mainFrame->show();
    m_mainFrame->fitToScreens();
    if (!homeReady)
        m_mainFrame->frameStatusBar()->setPaneText(CFrameStatusBar::Message,
                                                   HomeFolder::unavailableText(m_home.path(), homeError));
    else if (!m_store->problem().isEmpty())
        m_mainFrame->frameStatusBar()->setPaneText(CFrameStatusBar::Message, m_store->problem());

    CServerLink* servers = m_mainFrame->findChild<CServerLink*>();
    if (servers)
        m_demo = new CDemoLink(m_demoFiles, *m_mainFrame, servers->list(), m_link->controller(), m_prompter);
    // --demo: this Tovo's own demo instance, connected once it listens.
    if (m_demo && m_commandLine.demo()) {
        m_demo->start();
        return true;
    }
    // A first start with nothing to connect to offers the demo, once the
    // window is up and its event loop runs.
    if (m_demo && upgrade && m_demo->available() && servers->list().entries().isEmpty()
        && m_commandLine.server().isEmpty() && m_commandLine.files().isEmpty()) {
        QMetaObject::invokeMethod(m_demo, &CDemoLink::offer, Qt::QueuedConnection);
        return true;
    }

    // The server of --server, or else the one connected at the last exit.
    QString server = m_commandLine.server();
    if (server.isEmpty())
        server = m_store->readCustomText(QString::fromLatin1(kept::ActiveServer), QString());
    if (!server.isEmpty()) {
        if (!server.startsWith(u'`'))
            server.prepend(u'`');
        m_mainFrame->syncConnectBoxWithNextServer(); // the connect ends after the timer's first ticks
        m_link->controller().connectTo(server);
    }
    return true;
}

void CTovoApp::exitInstance()
{
    if (m_mainFrame) {
        m_mainFrame->storeState();
        m_store->writeCustomText(QString::fromLatin1(kept::ActiveServer), m_mainFrame->serverText());
    }
    m_store->sync();
}
