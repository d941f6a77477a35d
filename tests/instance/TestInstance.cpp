#include "TestInstance.h"

#include "InstanceNamespaces.h"

#include "ServedClient.h"
#include "TestInstancePrivate.h"

#include <chrono>

// ---- Private ----

void TestInstance::Private::acceptLoop()
{
    while (!stopping) {
        // A short wait, so that stop() is noticed without closing the listener under us.
        kdb::Socket socket = listener.accept(kdb::Deadline::afterMs(50));
        if (!socket.isOpen())
            continue;
        auto client = std::make_shared<ServedClient>(this, std::move(socket));
        {
            std::lock_guard lock(mutex);
            if (stopping)
                break;
            clients.push_back(client);
        }
        client->start();
    }
}

std::shared_ptr<InstanceRule> TestInstance::Private::findRule(const QString& text, const QString& rendered) const
{
    std::lock_guard lock(mutex);
    for (const auto& rule : rules)
        if (rule->matches(text, rendered))
            return rule;
    return nullptr;
}

void TestInstance::Private::record(ReceivedMessage message)
{
    report([text = message.text](InstanceEvents* e) { emit e->messageReceived(text); });
    {
        std::lock_guard lock(mutex);
        received.append(std::move(message));
    }
    receivedChanged.notify_all();
}

void TestInstance::Private::recordHandshake(ReceivedHandshake handshake)
{
    {
        std::lock_guard lock(mutex);
        handshakes.append(std::move(handshake));
    }
    report([](InstanceEvents* e) { emit e->handshakeReceived(); });
}

// ---- RuleBuilder ----

RuleBuilder& RuleBuilder::delay(int ms)
{
    std::lock_guard lock(m_instance->d->mutex);
    m_rule->delayMs = ms;
    return *this;
}

RuleBuilder& RuleBuilder::neverAnswer()
{
    std::lock_guard lock(m_instance->d->mutex);
    m_rule->neverAnswer = true;
    return *this;
}

RuleBuilder& RuleBuilder::dropConnection()
{
    std::lock_guard lock(m_instance->d->mutex);
    m_rule->dropConnection = true;
    return *this;
}

RuleBuilder& RuleBuilder::compressed()
{
    std::lock_guard lock(m_instance->d->mutex);
    m_rule->compress = true;
    return *this;
}

RuleBuilder& RuleBuilder::thenPublish(K message)
{
    std::lock_guard lock(m_instance->d->mutex);
    m_rule->publish.append(KPtr(message));
    return *this;
}

// ---- TestInstance ----

TestInstance::TestInstance() : d(std::make_unique<Private>()) {}

TestInstance::~TestInstance() { stop(); }

void TestInstance::setCredentials(const QStringList& userPasswords)
{
    std::lock_guard lock(d->mutex);
    d->credentials.clear();
    for (const QString& up : userPasswords)
        d->credentials.append(up.toUtf8());
}

void TestInstance::setCapability(int maximum)
{
    std::lock_guard lock(d->mutex);
    d->maxCapability = maximum;
}

void TestInstance::setHandshakeAnswer(int byte)
{
    std::lock_guard lock(d->mutex);
    d->forcedAnswer = byte;
}

void TestInstance::setSilent(bool silent)
{
    std::lock_guard lock(d->mutex);
    d->silent = silent;
}

bool TestInstance::enableTls(const QString& subjectAltNames)
{
    std::lock_guard lock(d->mutex);
    if (!d->certificate)
        d->certificate = std::make_unique<TestCertificate>(subjectAltNames);
    return d->certificate->isValid();
}

QString TestInstance::tlsError() const
{
    std::lock_guard lock(d->mutex);
    return d->certificate ? d->certificate->error() : QString();
}

QString TestInstance::certificateFile() const
{
    std::lock_guard lock(d->mutex);
    return d->certificate ? d->certificate->certificateFile() : QString();
}

InstanceNamespaces& TestInstance::namespaces()
{
    std::lock_guard lock(d->mutex);
    if (!d->namespaces) {
        d->namespaces = std::make_shared<InstanceNamespaces>();
        auto rule = std::make_shared<InstanceRule>();
        rule->pattern = QRegularExpression(QStringLiteral(R"(\.z\.tovo\.ns\.r[1-5]:)"));
        rule->usesPattern = true;
        rule->compute = [model = d->namespaces](const QString& text) { return model->answer(text); };
        d->rules.append(std::move(rule));
    }
    return *d->namespaces;
}

void TestInstance::addRule(std::shared_ptr<InstanceRule> rule)
{
    std::lock_guard lock(d->mutex);
    d->rules.append(std::move(rule));
}

RuleBuilder TestInstance::on(const QString& query, K reply)
{
    auto rule = std::make_shared<InstanceRule>();
    rule->exact = query;
    rule->reply = KPtr(reply);
    addRule(rule);
    return RuleBuilder(this, rule);
}

RuleBuilder TestInstance::onPattern(const QString& regex, K reply)
{
    auto rule = std::make_shared<InstanceRule>();
    rule->pattern = QRegularExpression(regex);
    rule->usesPattern = true;
    rule->reply = KPtr(reply);
    addRule(rule);
    return RuleBuilder(this, rule);
}

RuleBuilder TestInstance::onError(const QString& query, const QString& error)
{
    auto rule = std::make_shared<InstanceRule>();
    rule->exact = query;
    rule->error = error;
    rule->hasError = true;
    addRule(rule);
    return RuleBuilder(this, rule);
}

RuleBuilder TestInstance::onRaw(const QString& query, const QByteArray& message)
{
    auto rule = std::make_shared<InstanceRule>();
    rule->exact = query;
    rule->raw = message;
    addRule(rule);
    return RuleBuilder(this, rule);
}

RuleBuilder TestInstance::delay(const QString& query, int ms)
{
    {
        std::lock_guard lock(d->mutex);
        for (const auto& rule : d->rules) {
            if (!rule->usesPattern && rule->exact == query) {
                rule->delayMs = ms;
                return RuleBuilder(this, rule);
            }
        }
    }
    auto rule = std::make_shared<InstanceRule>();
    rule->exact = query;
    rule->delayMs = ms;
    addRule(rule);
    return RuleBuilder(this, rule);
}

RuleBuilder TestInstance::drop(const QString& query)
{
    auto rule = std::make_shared<InstanceRule>();
    rule->exact = query;
    rule->dropConnection = true;
    addRule(rule);
    return RuleBuilder(this, rule);
}

void TestInstance::clearRules()
{
    std::lock_guard lock(d->mutex);
    d->rules.clear();
}

void TestInstance::setDefaultError(const QString& text)
{
    std::lock_guard lock(d->mutex);
    d->defaultError = text;
}

void TestInstance::setCompressReplies(bool on)
{
    std::lock_guard lock(d->mutex);
    d->compressAll = on;
}

bool TestInstance::start(int port)
{
    if (isRunning())
        return true;
    if (!d->listener.listen("127.0.0.1", port))
        return false;
    d->port = d->listener.localPort();
    d->stopping = false;
    d->acceptThread = std::thread([this] { d->acceptLoop(); });
    return true;
}

void TestInstance::stop()
{
    if (!d->acceptThread.joinable())
        return;
    d->stopping = true;
    d->acceptThread.join();
    d->listener.close();
    std::list<std::shared_ptr<ServedClient>> clients;
    {
        std::lock_guard lock(d->mutex);
        clients.swap(d->clients);
    }
    for (auto& client : clients)
        client->close();
    for (auto& client : clients)
        client->join();
}

bool TestInstance::isRunning() const { return d->acceptThread.joinable() && !d->stopping; }

int TestInstance::port() const { return d->port; }

void TestInstance::publish(K message)
{
    KPtr owned(message);
    std::list<std::shared_ptr<ServedClient>> clients;
    {
        std::lock_guard lock(d->mutex);
        clients = d->clients;
    }
    for (auto& client : clients)
        client->publish(owned.get());
}

void TestInstance::dropClients()
{
    std::list<std::shared_ptr<ServedClient>> clients;
    {
        std::lock_guard lock(d->mutex);
        clients = d->clients;
    }
    for (auto& client : clients)
        client->close();
}

int TestInstance::clientCount() const
{
    std::lock_guard lock(d->mutex);
    int n = 0;
    for (const auto& client : d->clients)
        n += client->isOpen() ? 1 : 0;
    return n;
}

QList<ReceivedMessage> TestInstance::received() const
{
    std::lock_guard lock(d->mutex);
    return d->received;
}

QList<QString> TestInstance::receivedTexts() const
{
    std::lock_guard lock(d->mutex);
    QList<QString> texts;
    for (const auto& message : d->received)
        texts.append(message.text);
    return texts;
}

void TestInstance::clearReceived()
{
    std::lock_guard lock(d->mutex);
    d->received.clear();
}

bool TestInstance::waitForReceived(int count, int timeoutMs) const
{
    std::unique_lock lock(d->mutex);
    return d->receivedChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                       [&] { return d->received.size() >= count; });
}

QList<ReceivedHandshake> TestInstance::handshakes() const
{
    std::lock_guard lock(d->mutex);
    return d->handshakes;
}

InstanceEvents* TestInstance::events() const { return d->events.get(); }
