#include "app/CMainFrame.h"

#include "app/CDlgSettings.h"
#include "app/CTovoApp.h"
#include "core/settings/SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QPlainTextEdit>

namespace {
const QString kGeometry = QStringLiteral("Geometry");
const QString kWindowState = QStringLiteral("WindowState");
} // namespace

CMainFrame::CMainFrame(CTovoApp& app, Prompter& prompter)
    : m_app(app)
    , m_prompter(prompter)
{
    setObjectName(QStringLiteral("CMainFrame"));
    setWindowTitle(QStringLiteral("Tovo"));
    m_qSettings.asyncAllowed = app.commandLine().async();
    m_qSettings.load(app.store());
    m_editorSettings.load(app.store());

    auto* placeholder = new QPlainTextEdit(this);
    placeholder->setObjectName(QStringLiteral("placeholderDocument"));
    setCentralWidget(placeholder);
    createMenus();
    resize(1024, 700);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::createMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* exit = file->addAction(QStringLiteral("E&xit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* query = menuBar()->addMenu(QStringLiteral("&Query"));
    m_asyncAction = query->addAction(QStringLiteral("Sync"));
    m_asyncAction->setCheckable(true);
    connect(m_asyncAction, &QAction::triggered, this, &CMainFrame::toggleAsync);
    m_tlsAction = query->addAction(QStringLiteral("TLS/OpenSSL"));
    m_tlsAction->setCheckable(true);
    connect(m_tlsAction, &QAction::triggered, this, &CMainFrame::toggleTls);

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    QAction* settings = tools->addAction(QStringLiteral("Settings..."));
    settings->setToolTip(QStringLiteral("Invokes settings dialog\nSettings"));
    connect(settings, &QAction::triggered, this, [this] { showSettings(); });
    updateToggleActions();
}

void CMainFrame::updateToggleActions()
{
    m_asyncAction->setEnabled(m_qSettings.asyncAllowed);
    m_asyncAction->setChecked(m_qSettings.AsyncQuerying);
    m_asyncAction->setText(m_qSettings.AsyncQuerying ? QStringLiteral("Async") : QStringLiteral("Sync"));
    m_tlsAction->setChecked(m_qSettings.EnableTLS);
}

void CMainFrame::toggleAsync()
{
    if (!m_qSettings.asyncAllowed)
        return;
    m_qSettings.AsyncQuerying = !m_qSettings.AsyncQuerying;
    m_qSettings.save(m_app.store());
    updateToggleActions();
}

void CMainFrame::toggleTls()
{
    m_qSettings.EnableTLS = !m_qSettings.EnableTLS;
    m_qSettings.save(m_app.store());
    updateToggleActions();
}

bool CMainFrame::showSettings()
{
    SettingsStore& store = m_app.store();
    m_qSettings.load(store);
    m_editorSettings.load(store);
    const int typingDelay = m_editorSettings.TypingDelayMS;
    const bool localeFormat = m_qSettings.NumberLocaleFormat;
    const int precision = m_qSettings.QFloatPrecision;
    const int serversAs = m_qSettings.QShowServersAs;

    CDlgSettings dialog(m_qSettings, m_editorSettings, m_prompter, this);
    if (dialog.exec() != QDialog::Accepted) {
        m_qSettings.load(store);
        m_editorSettings.load(store);
        return false;
    }
    m_qSettings.save(store);
    m_editorSettings.save(store);
    updateToggleActions();
    const bool typingChanged = typingDelay != m_editorSettings.TypingDelayMS;
    emit settingsChanged(serversAs != m_qSettings.QShowServersAs,
                         typingChanged || localeFormat != m_qSettings.NumberLocaleFormat
                             || precision != m_qSettings.QFloatPrecision,
                         typingChanged);
    return true;
}

bool CMainFrame::restorePlacement()
{
    const QByteArray geometry = m_app.store().readState(kGeometry);
    if (geometry.isEmpty() || !restoreGeometry(geometry))
        return false;
    restoreState(m_app.store().readState(kWindowState));
    return true;
}

void CMainFrame::storeState()
{
    if (m_stateStored)
        return;
    m_stateStored = true;
    m_app.store().writeState(kGeometry, saveGeometry());
    m_app.store().writeState(kWindowState, saveState());
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    storeState();
    event->accept();
}
