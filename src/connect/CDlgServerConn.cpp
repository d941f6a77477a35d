#include "connect/CDlgServerConn.h"

#include "connect/BackgroundJob.h"
#include "connect/SessionAttempt.h"
#include "core/Prompter.h"
#include "core/settings/CDlgQSettings.h"
#include "core/settings/KeptSettings.h"
#include "core/settings/SettingsStore.h"
#include "core/values/KRender.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

CDlgServerConn::CDlgServerConn(const QString& namePath, const QString& symbol, bool addMode, Prompter& prompter,
                               SettingsStore& store, CDlgQSettings& q, QWidget* parent)
    : QDialog(parent), m_addMode(addMode), m_prompter(prompter), m_store(store), m_q(q), m_job(new BackgroundJob(this))
{
    setObjectName(QStringLiteral("CDlgServerConn"));
    setWindowTitle(QStringLiteral("Server Connection"));
    m_form.open(namePath, symbol);

    auto edit = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    m_name = edit("name");
    m_symbol = edit("symbol");
    m_host = edit("server");
    m_port = edit("port");
    m_port->setValidator(new QIntValidator(0, 65535, m_port));
    m_login = edit("login");
    m_password = edit("password");
    m_password->setEchoMode(QLineEdit::Password);
    m_connectAfter = new QCheckBox(QStringLiteral("Connect after saving"), this);
    m_connectAfter->setChecked(store.readInt(QString::fromLatin1(kept::ConnectAfterSaving.name),
                                             kept::ConnectAfterSaving.def) != 0);
    m_timeout = new QSpinBox(this);
    m_timeout->setObjectName(QStringLiteral("timeout"));
    m_timeout->setRange(0, 999);
    m_timeout->setValue(std::clamp(
        store.readInt(QString::fromLatin1(kept::ConnectTimeoutSec.name), kept::ConnectTimeoutSec.def), 0, 999));
    m_info = new QPlainTextEdit(this);
    m_info->setObjectName(QStringLiteral("information"));
    m_info->setReadOnly(true);
    m_info->setPlainText(ServerConnForm::startInfo());
    m_info->setMinimumHeight(90);
    m_test = new QPushButton(QStringLiteral("Test"), this);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Name:"), m_name);
    form->addRow(QStringLiteral("Symbol:"), m_symbol);
    form->addRow(QStringLiteral("Server:"), m_host);
    form->addRow(QStringLiteral("Port:"), m_port);
    form->addRow(QStringLiteral("Login:"), m_login);
    form->addRow(QStringLiteral("Password:"), m_password);
    auto* timeoutRow = new QHBoxLayout;
    timeoutRow->addWidget(m_timeout);
    timeoutRow->addWidget(new QLabel(QStringLiteral("sec."), this));
    timeoutRow->addStretch();
    timeoutRow->addWidget(m_test);
    form->addRow(QStringLiteral("Timeout:"), timeoutRow);
    form->addRow(QString(), m_connectAfter);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgServerConn::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDlgServerConn::reject);
    connect(m_test, &QPushButton::clicked, this, &CDlgServerConn::test);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_info);
    layout->addWidget(buttons);
    resize(460, sizeHint().height());

    showFields();
    m_name->setText(m_form.name());
    connect(m_name, &QLineEdit::textEdited, this, [this](const QString& text) { m_form.setName(text); });
    connect(m_symbol, &QLineEdit::textEdited, this, [this](const QString& text) { m_form.setSymbol(text); });
    const std::pair<QLineEdit*, ServerConnForm::Field> fields[] = {
        {m_host, ServerConnForm::Field::Host}, {m_port, ServerConnForm::Field::Port},
        {m_login, ServerConnForm::Field::Login}, {m_password, ServerConnForm::Field::Password}};
    for (const auto& [box, field] : fields) {
        connect(box, &QLineEdit::textEdited, this, [this, field](const QString& text) {
            m_form.setField(field, text);
            m_symbol->setText(m_form.symbol());
        });
    }
}

CDlgServerConn::~CDlgServerConn() = default;

bool CDlgServerConn::connectAfterSaving() const { return m_connectAfter->isChecked(); }
bool CDlgServerConn::isTesting() const { return m_job->isRunning(); }
QString CDlgServerConn::information() const { return m_info->toPlainText(); }

void CDlgServerConn::showFields()
{
    m_name->setText(m_form.name());
    m_symbol->setText(m_form.symbol());
    m_host->setText(m_form.host());
    m_port->setText(m_form.portText());
    m_login->setText(m_form.login());
    m_password->setText(m_form.password());
}

void CDlgServerConn::focus(ServerConnForm::Focus where)
{
    QWidget* target = nullptr;
    switch (where) {
    case ServerConnForm::Focus::Server: target = m_host; break;
    case ServerConnForm::Focus::Port: target = m_port; break;
    case ServerConnForm::Focus::Login: target = m_login; break;
    case ServerConnForm::Focus::Timeout: target = m_timeout; break;
    case ServerConnForm::Focus::Symbol: target = m_symbol; break;
    case ServerConnForm::Focus::None: break;
    }
    if (target)
        target->setFocus();
}

void CDlgServerConn::setTesting(bool testing)
{
    m_test->setEnabled(!testing);
    m_ok->setEnabled(!testing);
}

void CDlgServerConn::test()
{
    if (isTesting())
        return;
    m_store.writeInt(QString::fromLatin1(kept::ConnectTimeoutSec.name), m_timeout->value());
    m_form.prepare();
    showFields();
    startTest();
}

void CDlgServerConn::startTest()
{
    SessionAttempt::Request request;
    request.host = m_form.host();
    request.port = m_form.port();
    request.credentials = m_form.credentials();
    request.timeoutSec = m_timeout->value();
    request.q = m_q;
    request.query = ServerConnForm::versionQuery();
    setTesting(true);
    m_job->start<SessionAttempt::Outcome>([request] { return SessionAttempt::run(request); },
                                          [this](SessionAttempt::Outcome outcome) {
        setTesting(false);
        if (m_closeAfterTest) {
            QDialog::reject();
            return;
        }
        const QString symbol = m_form.symbol();
        if (outcome.result == -1 && outcome.libraryCalled) {
            if (m_prompter.ask(SessionAttempt::tlsQuestion(m_q.EnableTLS), QStringLiteral("Tovo"),
                               Prompter::Buttons::YesNo, Prompter::Icon::Warning,
                               SessionAttempt::tlsDefault(m_q.EnableTLS))
                == Prompter::Answer::Yes) {
                m_q.EnableTLS = !m_q.EnableTLS;
                m_q.save(m_store);
                startTest();
                return;
            }
        }
        if (outcome.result == -3)
            for (const QString& text : outcome.tlsTexts)
                m_prompter.inform(text, QStringLiteral("Tovo"), Prompter::Icon::Warning);
        if (outcome.result <= 0) {
            const QString info = ServerConnForm::failureInfo(outcome.result, m_timeout->value(), outcome.error);
            m_info->setPlainText(info);
            const bool error = outcome.result == -1 || outcome.result == -3;
            m_prompter.inform(ServerConnForm::failureMessage(symbol, info), QStringLiteral("Error"),
                              error ? Prompter::Icon::Error : Prompter::Icon::Warning);
            focus(ServerConnForm::failureFocus(outcome.result));
        } else {
            m_prompter.inform(QStringLiteral("Successfully connected to ") + symbol, QStringLiteral("Success"),
                              Prompter::Icon::Information);
            if (outcome.reply && outcome.reply->t != KERR)
                m_info->setPlainText(ServerConnForm::versionInfo(renderConsole(outcome.reply.get(), RenderOptions::from(m_q))));
        }
        emit testFinished(outcome.result);
    });
}

void CDlgServerConn::accept()
{
    if (isTesting())
        return;
    m_form.prepare();
    showFields();
    const ServerConnForm::Refusal refusal = m_form.refusal();
    if (refusal != ServerConnForm::Refusal::None) {
        m_prompter.inform(ServerConnForm::refusalText(refusal), ServerConnForm::refusalCaption(refusal),
                          Prompter::Icon::Warning);
        focus(ServerConnForm::refusalFocus(refusal));
        return;
    }
    m_store.writeInt(QString::fromLatin1(kept::ConnectAfterSaving.name), m_connectAfter->isChecked() ? 1 : 0);
    m_store.writeInt(QString::fromLatin1(kept::ConnectTimeoutSec.name), m_timeout->value());
    QDialog::accept();
}

void CDlgServerConn::reject()
{
    // A Test under way gives up at once; the dialog closes when it reports.
    if (isTesting()) {
        m_closeAfterTest = true;
        m_job->cancel();
        return;
    }
    QDialog::reject();
}
