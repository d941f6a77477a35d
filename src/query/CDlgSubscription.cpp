#include "query/CDlgSubscription.h"

#include "connect/BackgroundJob.h"
#include "connect/SessionAttempt.h"
#include "core/Prompter.h"
#include "core/values/KRender.h"
#include "query/Subscription.h"
#include "query/SubscriptionFeed.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The table box: asks for its list each time it drops down.
class TableCombo : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> aboutToDrop;
    void showPopup() override
    {
        if (aboutToDrop)
            aboutToDrop();
        QComboBox::showPopup();
    }
};

const QString kCaption = QStringLiteral("Subscription test");
} // namespace

CDlgSubscription::CDlgSubscription(Prompter& prompter, const CDlgQSettings& q, Grid grid, QWidget* parent)
    : QDialog(parent), m_prompter(prompter), m_q(q), m_grid(std::move(grid)), m_job(new BackgroundJob(this)),
      m_listJob(new BackgroundJob(this)), m_feed(new SubscriptionFeed(this))
{
    setObjectName(QStringLiteral("CDlgSubscription"));
    setWindowTitle(QStringLiteral("Subscription"));
    setModal(false);
    m_instance = new QLineEdit(this);
    m_instance->setObjectName(QStringLiteral("instance"));
    m_instance->setMaxLength(64);
    auto* table = new TableCombo(this);
    table->setObjectName(QStringLiteral("table"));
    table->setEditable(true);
    table->lineEdit()->setMaxLength(64);
    table->aboutToDrop = [this] { listTables(); };
    m_table = table;
    m_syms = new QLineEdit(this);
    m_syms->setObjectName(QStringLiteral("syms"));
    m_subscribe = new QPushButton(QStringLiteral("Subscribe"), this);
    m_subscribe->setDefault(true);
    auto* hide = new QPushButton(QStringLiteral("Hide"), this);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Instance:"), m_instance);
    form->addRow(QStringLiteral("Table:"), m_table);
    form->addRow(QStringLiteral("Syms:"), m_syms);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_subscribe);
    buttons->addWidget(hide);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    if (m_grid.widget)
        layout->addWidget(m_grid.widget, 1);
    resize(640, 480);

    connect(m_subscribe, &QPushButton::clicked, this, &CDlgSubscription::subscribeClicked);
    connect(hide, &QPushButton::clicked, this, &QWidget::hide);
    m_stateTimer.setInterval(1000);
    connect(&m_stateTimer, &QTimer::timeout, this, &CDlgSubscription::updateState);
    m_stateTimer.start();
    // The newest update, at most once a frame.
    m_paintTimer.setSingleShot(true);
    m_paintTimer.setInterval(16);
    connect(&m_paintTimer, &QTimer::timeout, this, &CDlgSubscription::paintLatest);
    connect(m_feed, &SubscriptionFeed::updateReady, this, [this] {
        if (!m_paintTimer.isActive())
            m_paintTimer.start();
    });
    // A publisher that went away: the thread has ended, join it.
    connect(m_feed, &SubscriptionFeed::ended, this, [this] {
        if (m_feed->isRunning())
            return;
        paintLatest(); // the last update before the end is shown too
        m_feed->stop();
    });
}

CDlgSubscription::~CDlgSubscription()
{
    m_feed->stop();
    if (m_grid.clear)
        m_grid.clear();
}

void CDlgSubscription::open(const QString& currentServer)
{
    if (!m_created) {
        m_created = true;
        m_instance->setText(currentServer);
    } else if (isHidden() && currentServer != m_instance->text()) {
        m_instance->setText(currentServer);
        m_table->setEditText(QString());
        m_syms->clear();
    }
    show();
    raise();
    activateWindow();
}

bool CDlgSubscription::isSubscribed() const { return m_feed->isRunning(); }

bool CDlgSubscription::ask(const QString& text)
{
    return m_prompter.ask(text, kCaption, Prompter::Buttons::YesNo, Prompter::Icon::Warning, Prompter::Answer::Yes)
        == Prompter::Answer::Yes;
}

void CDlgSubscription::stop()
{
    m_feed->stop();
    m_subTable.clear();
    m_subSyms.clear();
    m_subscribe->setText(QStringLiteral("Subscribe"));
}

void CDlgSubscription::subscribeClicked()
{
    if (m_job->isRunning())
        return;
    if (isSubscribed()) {
        stop();
        updateState();
        return;
    }
    const QString instance = m_instance->text();
    if (instance.isEmpty() || m_table->currentText().isEmpty()) {
        m_prompter.inform(QStringLiteral("Please fill in at least instance symbol and table to subscribe to."), kCaption,
                          Prompter::Icon::Warning);
        return;
    }
    const QString table = Subscription::withBackquote(m_table->currentText());
    const QString symbols = Subscription::withBackquote(m_syms->text());
    SessionAttempt::Request request;
    request.symbol = instance;
    request.timeoutSec = 5;
    request.q = m_q;
    request.plugins = m_plugins;
    request.query = Subscription::subscribeQuery(table, symbols);
    request.keepHandle = true;
    m_subscribe->setEnabled(false);
    m_job->start<SessionAttempt::Outcome>([request] { return SessionAttempt::run(request); },
                                          [this, table, symbols](SessionAttempt::Outcome outcome) {
        m_subscribe->setEnabled(true);
        auto fail = [this, &outcome] {
            outcome.handle.reset();
            emit subscribeFinished(false);
        };
        if (outcome.result == -1 && outcome.libraryCalled && m_flipTls
            && m_prompter.ask(SessionAttempt::tlsQuestion(m_q.EnableTLS), QStringLiteral("Tovo"),
                              Prompter::Buttons::YesNo, Prompter::Icon::Warning,
                              SessionAttempt::tlsDefault(m_q.EnableTLS))
                == Prompter::Answer::Yes) {
            m_flipTls();
            outcome.handle.reset();
            subscribeClicked(); // again, with the other protocol
            return;
        }
        if (outcome.result < 0) {
            m_prompter.inform(QStringLiteral("Can't connect to the instance."), kCaption, Prompter::Icon::Warning);
            return fail();
        }
        K reply = outcome.reply.get();
        if (!reply) {
            m_prompter.inform(QStringLiteral("Subscription failed - NULL response"), kCaption, Prompter::Icon::Warning);
            return fail();
        }
        const QString rendered = renderConsole(reply, RenderOptions::from(m_q));
        bool asked = false;
        if (!Subscription::hasTwoItems(reply)) {
            if (!ask(Subscription::oddReplyQuestion(rendered)))
                return fail();
            asked = true;
        }
        if (K schema = Subscription::schemaOf(reply)) {
            if (m_grid.show)
                m_grid.show(schema);
            m_shown = KPtr(r1(schema));
        } else if (!asked && !ask(Subscription::oddReplyQuestion(rendered))) {
            return fail();
        }
        if (!outcome.handle) // the connection went while asking
            return fail();
        m_subTable = table;
        m_subSyms = symbols;
        m_feed->start(outcome.handle.release());
        m_subscribe->setText(QStringLiteral("UnSubscribe"));
        updateState();
        emit subscribeFinished(true);
    });
}

void CDlgSubscription::listTables()
{
    const QString instance = m_instance->text();
    if (instance.isEmpty() || m_listJob->isRunning())
        return;
    const QString typed = m_table->currentText();
    m_table->clear();
    m_table->setEditText(typed);
    SessionAttempt::Request request;
    request.symbol = instance;
    request.q = m_q;
    request.plugins = m_plugins;
    request.query = QStringLiteral(".u.t");
    m_listJob->start<SessionAttempt::Outcome>([request] { return SessionAttempt::run(request); },
                                              [this](SessionAttempt::Outcome outcome) {
        K reply = outcome.reply.get();
        if (reply && reply->t == KS) {
            const QString typed = m_table->currentText();
            for (J i = 0; i < reply->n; ++i)
                m_table->addItem(QString::fromUtf8(kS(reply)[i]));
            m_table->setEditText(typed);
        }
        emit tablesListed();
    });
}

void CDlgSubscription::paintLatest()
{
    KPtr latest = m_feed->takeLatest();
    if (!latest)
        return;
    if (m_grid.show)
        m_grid.show(latest.get());
    m_shown = std::move(latest); // the previous update is released here
    ++m_paints;
}

void CDlgSubscription::updateState()
{
    const bool subscribed = isSubscribed();
    if (subscribed == m_shownSubscribed)
        return;
    m_shownSubscribed = subscribed;
    m_instance->setEnabled(!subscribed);
    m_table->setEnabled(!subscribed);
    m_syms->setEnabled(!subscribed);
    m_subscribe->setText(subscribed ? QStringLiteral("UnSubscribe") : QStringLiteral("Subscribe"));
    setWindowTitle(Subscription::title(subscribed, m_instance->text(), m_subTable, m_subSyms));
}
