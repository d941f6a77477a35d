#include "app/CResultsLink.h"

#include "app/CFrameStatusBar.h"
#include "app/CMainFrame.h"
#include "app/CQueryLink.h"
#include "app/CReplyPresenter.h"
#include "app/CTovoApp.h"
#include "connect/CQHelper.h"
#include "core/commands/CommandHandlers.h"
#include "core/commands/CommandIds.h"
#include "core/settings/CDlgQSettings.h"
#include "kdb/KPtr.h"
#include "core/values/ReplyFacts.h"
#include "kdb/Serializer.h"
#include "query/QueryRunner.h"
#include "results/COutputWnd.h"
#include "results/CResultCommands.h"
#include "results/ResultSender.h"
#include "results/dialogs/CDlgResultProps.h"
#include "results/dialogs/CDlgSetResults.h"
#include "results/grid/COutputTable.h"
#include "results/history/CDlgResults.h"
#include "results/history/CHistoryPane.h"
#include "results/history/ResultHistory.h"

#include "core/FileChooser.h"

#include <QDockWidget>

CResultsLink::CResultsLink(CMainFrame& frame, CQueryLink& link, Prompter& prompter, FileChooser& files,
                           COutputTable* table, COutputTable* gridView)
    : QObject(&frame)
    , m_frame(frame)
    , m_link(link)
    , m_prompter(prompter)
    , m_files(files)
    , m_table(table)
    , m_gridView(gridView)
    , m_commands(new CResultCommands({&files, &prompter, &frame.qSettings(), &frame.app().tempFolder(), {}}, this))
    , m_history(new ResultHistory(this))
    , m_historyPane(new CHistoryPane(*m_history))
{
    const CDlgQSettings* settings = &frame.qSettings();
    m_history->setLimitSource([settings] { return settings->QMaxHistoryResults; });
    if (QDockWidget* dock = frame.pane(CMainFrame::ResultsHistory)) {
        QWidget* old = dock->widget();
        dock->setWidget(m_historyPane);
        delete old;
    }

    for (COutputTable* grid : {table, gridView}) {
        m_commands->attach(grid);
        grid->setServerConnected([this] { return connected(); });
        connect(grid, &COutputTable::sendToInstance, this, &CResultsLink::sendToInstance);
        connect(grid, &COutputTable::sendToStash, this,
                [this](K value, const CResultInfo& record) { openStash()->add(value, record); });
        connect(grid, &COutputTable::showResultProperties, this, &CResultsLink::showProperties);
    }
    connect(table, &COutputTable::valueShown, m_history, &ResultHistory::record);
    // A reply shown without a record of its own: the session's last run (or load).
    table->renderer()->setRecordSource([this] {
        CResultInfo record;
        const CQHelper& session = m_link.session();
        record.roundtrip = std::int32_t(session.elapsedMs);
        record.server = m_loadQuery.isEmpty() ? m_frame.serverText() : QStringLiteral("Loaded locally");
        record.query = m_loadQuery.isEmpty() ? m_link.runner().lastQuery() : m_loadQuery;
        std::size_t size = 0;
        std::string error;
        const K reply = session.lastReply();
        if (!m_loadQuery.isEmpty())
            record.size = session.memoryGrowth;
        else if (session.lastReplyFacts && session.lastReplyFacts->isOf(reply)) // sized on the worker
            record.size = std::max<std::int64_t>(session.lastReplyFacts->messageSize(), 0);
        else if (reply && kdb::Serializer::valueSize(reply, 3, size, error))
            record.size = std::int64_t(size + 8);
        return record;
    });

    connect(m_historyPane, &CHistoryPane::propertiesRequested, this, &CResultsLink::showProperties);
    connect(m_historyPane, &CHistoryPane::sendToInstanceRequested, this, &CResultsLink::sendToInstance);
    connect(m_historyPane, &CHistoryPane::sendToStashRequested, this,
            [this](const std::vector<CResultWithInfo>& records) {
                CDlgResults* stash = openStash();
                for (const CResultWithInfo& record : records)
                    stash->add(record.value.get(), record.info);
            });
    connect(m_historyPane, &CHistoryPane::sendToGridViewRequested, this, &CResultsLink::showInGridView);
    connect(m_historyPane, &CHistoryPane::gridViewShowRequested, this, [this] {
        if (QDockWidget* dock = m_frame.pane(CMainFrame::GridView)) {
            dock->show();
            dock->raise();
        }
    });

    COutputWnd* output = frame.outputWnd();
    connect(output, &COutputWnd::resultCommand, this, &CResultsLink::resultCommand);
    output->setMenuRule([this](const QString& text, QString& shown) {
        const K last = m_link.session().lastReply();
        if (text == QStringLiteral("Save to Binary..."))
            return last != nullptr;
        if (text == QStringLiteral("Load from Binary..."))
            return !m_loading && !m_link.runner().isRunning();
        if (text == QStringLiteral("Save Result As...")) {
            const QString named = CResultCommands::saveResultAsText(last);
            if (!named.isEmpty())
                shown = named;
            return !named.isEmpty();
        }
        if (text == QStringLiteral("Send Result to Instance..."))
            return connected() && last != nullptr;
        if (text == QStringLiteral("Save and Open in Shell"))
            return true;
        return false; // commands without a handler here
    });
}

void CResultsLink::registerCommands(CommandHandlers& handlers)
{
    using Scope = CommandHandlers::Scope;
    handlers.addHandler(cmd::ResultsStash, this, Scope::Window, [this] { openStash(); });
    handlers.addHandler(
        cmd::ExportToExcel, this, Scope::Window, [this] { m_commands->openInExcel(m_table); },
        [this] { return !m_table->renderer()->isEmpty(); });
}

bool CResultsLink::connected() const { return m_link.session().isOpen() && !m_frame.serverText().isEmpty(); }

CDlgResults* CResultsLink::openStash()
{
    if (!m_stash) {
        m_stash = new CDlgResults(&m_frame);
        m_stash->grid()->setPrompter(&m_prompter);
        m_stash->grid()->setSettings(&m_frame.qSettings());
        m_stash->grid()->setColours(m_table->renderer()->colours());
        m_stash->grid()->setServerConnected([this] { return connected(); });
        m_commands->attach(m_stash->grid());
        m_stash->setCurrentSource([this] {
            CResultWithInfo current;
            if (K value = m_table->renderer()->valueToSend())
                current.value = KPtr(r1(value));
            current.info = m_table->renderer()->record();
            return current;
        });
        connect(m_stash, &CDlgResults::sendToInstanceRequested, this, &CResultsLink::sendToInstance);
        connect(m_stash, &CDlgResults::propertiesRequested, this, &CResultsLink::showProperties);
        connect(m_stash, &CDlgResults::sendToGridViewRequested, this, &CResultsLink::showInGridView);
        connect(m_stash, &CDlgResults::openExcelRequested, this, [this] { m_commands->openInExcel(m_stash->grid()); });
        connect(m_stash->grid(), &COutputTable::sendToInstance, this, &CResultsLink::sendToInstance);
        connect(m_stash->grid(), &COutputTable::showResultProperties, this, &CResultsLink::showProperties);
    }
    m_stash->show();
    m_stash->raise();
    m_stash->activateWindow();
    return m_stash;
}

void CResultsLink::sendToInstance(K value)
{
    if (!value || !connected())
        return;
    const QString name = CDlgSetResults::ask(&m_frame);
    if (name.isEmpty())
        return;
    ResultSender::send(m_link.session().context(), m_frame.serverText(), name, value, this);
}

void CResultsLink::showProperties(const CResultInfo& record)
{
    CDlgResultProps dialog(record, &m_frame);
    dialog.exec();
}

void CResultsLink::showInGridView(K value, const CResultInfo& record)
{
    if (value)
        m_gridView->receiveValue(value, record, nullptr);
    if (QDockWidget* dock = m_frame.pane(CMainFrame::GridView)) {
        dock->show();
        dock->raise();
    }
}

void CResultsLink::resultCommand(const QString& text)
{
    const K last = m_link.session().lastReply();
    if (text == QStringLiteral("Save to Binary..."))
        m_commands->saveToBinary(last);
    else if (text == QStringLiteral("Load from Binary..."))
        loadReplyFromBinary();
    else if (text == QStringLiteral("Save Result As..."))
        m_commands->saveResultAs(last);
    else if (text == QStringLiteral("Save and Open in Shell"))
        m_commands->saveAndOpenInShell(last);
    else if (text == QStringLiteral("Send Result to Instance..."))
        sendToInstance(last);
}

void CResultsLink::loadReplyFromBinary()
{
    if (m_loading || m_link.runner().isRunning())
        return;
    const QString path = m_files.openFileName(QString(), QStringLiteral("All Files (*.*)"));
    if (path.isEmpty())
        return;
    CFrameStatusBar* status = m_frame.frameStatusBar();
    const QString text = QStringLiteral("LOADING %1 local binary file...").arg(path);
    status->setPaneText(CFrameStatusBar::Message, text);
    status->startBusy();
    m_frame.setRunningQuery(text);
    m_loading = true;
    m_commands->loadFile(path, [this, status, text](K value, qint32 elapsedMs, qint64 memoryGrowth) {
        m_loading = false;
        status->stopBusy();
        status->setPaneText(CFrameStatusBar::Message, QString());
        m_frame.setRunningQuery(QString());
        // A query started meanwhile owns the session's reply: the loaded value gives way.
        if (!value || m_link.runner().isRunning()) {
            if (value)
                r0(value);
            return;
        }
        CQHelper& session = m_link.session();
        session.setLastReply(value);
        session.elapsedMs = elapsedMs;
        session.memoryGrowth = memoryGrowth;
        bool refresh = false;
        m_loadQuery = text;
        m_link.presenter().show(session.lastReply(), session.elapsedMs, refresh);
        m_loadQuery.clear();
    });
}
