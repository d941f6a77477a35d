#include "app/CWatchLink.h"

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/CQueryLink.h"
#include "app/CommandIds.h"
#include "connect/BackgroundJob.h"
#include "connect/CQHelper.h"
#include "connect/ConnectionController.h"
#include "connect/SessionAttempt.h"
#include "connect/SessionWorker.h"
#include "core/Prompter.h"
#include "core/colors/CDialogFontsColors.h"
#include "core/commands/CommandHandlers.h"
#include "core/values/RenderOptions.h"
#include "editor/CTovoView.h"
#include "editor/FontConv.h"
#include "query/QueryRunner.h"
#include "watch/CQuickWatchDialog.h"
#include "watch/CWatchBar.h"

#include <QDockWidget>
#include <QPointer>

CWatchLink::CWatchLink(CMainFrame& frame, CQueryLink& link, Prompter& prompter, FileChooser& chooser,
                       const QString& watchesPath, CDialogFontsColors& scheme)
    : QObject(&frame)
    , m_frame(frame)
    , m_link(link)
    , m_prompter(prompter)
    , m_scheme(scheme)
{
    CWatchBar::Context context;
    context.settings = &frame.qSettings();
    context.prompter = &prompter;
    context.chooser = &chooser;
    context.defaultPath = watchesPath;
    context.evaluate = [this](const QString& server, const QString& query, std::function<void(KPtr)> done) {
        evaluate(server, query, std::move(done));
    };
    context.canRunQuery = [this] { return m_link.session().isOpen() && !m_link.runner().isRunning(); };
    // Its own reply does not refresh the watches.
    context.runQuery = [this](const QString& query) { m_link.runner().run(query, false, false); };
    m_bar = new CWatchBar(context);
    m_bar->setMinimumSize(100, 100);
    if (QDockWidget* dock = frame.pane(CMainFrame::Watch))
        dock->setWidget(m_bar);
    applyColours();
    connect(&frame, &CMainFrame::settingsChanged, this, &CWatchLink::applyColours);
    connect(&frame, &CMainFrame::colourSchemeChanged, this, &CWatchLink::applyColours);

    connect(&frame, &CMainFrame::addWatchRequested, m_bar, &CWatchBar::addExpression);
    connect(&link.controller(), &ConnectionController::uncheckWatchesRequested, m_bar, &CWatchBar::uncheckAll);
    connect(&frame, &CMainFrame::shuttingDown, m_bar, [this] { m_bar->save(); });
    connect(&frame, &CMainFrame::quickWatchRequested, this, &CWatchLink::quickWatch);

    // Quick Watch from the Q menu, the toolbar and Ctrl+Q: the identifier of the active view.
    frame.commands().addHandler(cmd::QuickWatch, this, CommandHandlers::Scope::Window, [this] {
        CChildFrame* child = m_frame.activeDocument();
        if (auto* view = child ? qobject_cast<CTovoView*>(child->view()) : nullptr) {
            const QString id = view->identifierAtCaret();
            if (!id.isEmpty())
                quickWatch(id);
        }
    }, [this] {
        CChildFrame* child = m_frame.activeDocument();
        return child && qobject_cast<CTovoView*>(child->view()) && !m_frame.serverText().isEmpty();
    });
}

bool CWatchLink::loadWatches()
{
    return m_bar->load();
}

void CWatchLink::applyColours()
{
    m_bar->setColours(FontConv::toQColor(m_scheme.color(CDialogFontsColors::InactiveWatch)),
                      FontConv::toQColor(m_scheme.color(CDialogFontsColors::UndefinedErrorWatch)),
                      FontConv::toQColor(m_scheme.color(CDialogFontsColors::ChangedValue)));
}

void CWatchLink::evaluate(const QString& server, const QString& query, std::function<void(KPtr)> done)
{
    SessionAttempt::Request request;
    request.symbol = server.isEmpty() ? m_frame.serverText() : server;
    if (request.symbol.isEmpty()) {
        done(KPtr());
        return;
    }
    request.timeoutSec = m_link.session().connectTimeoutSec();
    request.q = m_frame.qSettings();
    request.plugins = m_link.plugins();
    request.query = query;
    if (!m_job) // its worker thread starts with the first evaluation
        m_job = new BackgroundJob(this);
    m_job->start<SessionAttempt::Outcome>([request] { return SessionAttempt::run(request); },
                                          [this, done](SessionAttempt::Outcome outcome) {
                                              if (outcome.result == -3)
                                                  for (const QString& text : outcome.tlsTexts)
                                                      m_prompter.inform(text, QStringLiteral("Tovo"),
                                                                        Prompter::Icon::Warning);
                                              // A failure reaches the pane as an error value that says why.
                                              if (!outcome.reply)
                                                  outcome.reply = KPtr(krr(outcome.result > 0 ? "connection lost"
                                                                                              : "could not connect"));
                                              done(std::move(outcome.reply));
                                          });
}

CQuickWatchDialog* CWatchLink::quickWatchDialog() const
{
    return m_dialog.data();
}

void CWatchLink::quickWatch(const QString& expression)
{
    const QString server = m_frame.serverText();
    if (expression.isEmpty() || server.isEmpty() || m_dialog || m_connecting)
        return;
    // The dialog's own session: held here while it connects, then by the
    // dialog, and released with it.
    m_connecting = std::make_shared<CQHelper>(m_link.session().context());
    std::weak_ptr<CQHelper> weak = m_connecting;
    m_connecting->openAsync(server, this, [this, weak, expression](int result) {
        std::shared_ptr<CQHelper> session = std::exchange(m_connecting, nullptr);
        if (result <= 0 || !session || session != weak.lock()) {
            // Released after this callback: the session's worker is delivering it.
            QMetaObject::invokeMethod(this, [session] {}, Qt::QueuedConnection);
            return;
        }
        auto owner = std::make_shared<QPointer<QObject>>();
        CQuickWatchDialog::Requery requery = [session, owner](const QString& text, std::function<void(KPtr)> done) {
            const int handle = session->handle();
            session->worker().post(owner->data(), [handle, text] {
                return KPtr(k(handle, text.toUtf8().constData(), static_cast<K>(nullptr)));
            }, std::move(done));
        };
        auto* dialog = new CQuickWatchDialog(expression, std::move(requery), RenderOptions::from(m_frame.qSettings()),
                                             &m_frame);
        *owner = dialog;
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setColourer(m_colourer);
        m_dialog = dialog;
        dialog->open();
        dialog->requery();
    });
}
