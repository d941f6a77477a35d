// A scripted kdb+ instance for tests: it listens on 127.0.0.1 (port chosen by
// the system), checks credentials, answers the handshake, optionally over TLS,
// and answers each query from its rules. It records every message it received.
//
//   TestInstance inst;
//   inst.setCredentials({"u:p"});
//   inst.on("1+1", kj(2));
//   inst.onError("bad", "type");
//   inst.on("slow", kj(1)).delay(5000);      // events()->delayedReplyWritten once sent
//   inst.on("hang", kj(1)).neverAnswer();
//   inst.start();
//   ... khpunc("127.0.0.1", inst.port(), "u:p", 1000, 0) ...
//   inst.received();
//
// Everything is thread-safe; the instance serves on its own threads and
// stops (closing every client) when stopped or destroyed.
#pragma once

#include "InstanceEvents.h"
#include "InstanceRule.h"

#include "kdb/KPtr.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

struct ReceivedMessage {
    int type = 0;      // 0 async, 1 sync, 2 response
    QString text;      // the query text: a char vector, or the text first in a general list
    QString rendered;  // the whole value in value notation
    KPtr value;        // as decoded (an error value when the bytes were malformed)
    QByteArray bytes;  // exactly as received, header included
};

struct ReceivedHandshake {
    QByteArray credentials; // "user:password" as sent
    int capability = 0;     // the client's capability byte
    bool accepted = false;
    bool tlsHello = false;  // the "login" was a TLS ClientHello (a TLS client, or a client probing for TLS)
};

class InstanceNamespaces;
class TestInstance;

// Refines the rule just added: inst.on("q", kj(1)).delay(100).compressed();
class RuleBuilder {
public:
    RuleBuilder(TestInstance* instance, std::shared_ptr<InstanceRule> rule) : m_instance(instance), m_rule(std::move(rule)) {}
    RuleBuilder& delay(int ms);
    RuleBuilder& neverAnswer(); // keeps the query unanswered while the client stays
    RuleBuilder& dropConnection();
    RuleBuilder& compressed();
    RuleBuilder& thenPublish(K message); // takes the reference

private:
    TestInstance* m_instance;
    std::shared_ptr<InstanceRule> m_rule;
};

class TestInstance {
public:
    TestInstance();
    ~TestInstance();
    TestInstance(const TestInstance&) = delete;
    TestInstance& operator=(const TestInstance&) = delete;

    // --- handshake ---
    void setCredentials(const QStringList& userPasswords); // empty (default): accept anyone
    void setCapability(int maximum);                       // answer min(client's, maximum); default 6
    void setHandshakeAnswer(int byte);                     // answer this byte whatever was asked; -1: normal
    void setSilent(bool silent);                           // accept connections, never answer the handshake
    // TLS with a certificate made now, naming these hosts; call before
    // start(). False when the certificate cannot be made (see tlsError()).
    bool enableTls(const QString& subjectAltNames = QStringLiteral("IP:127.0.0.1,DNS:localhost"));
    QString tlsError() const;
    QString certificateFile() const; // the PEM file clients must trust

    // --- rules, tried in the order added; the value references are taken ---
    RuleBuilder on(const QString& query, K reply);
    RuleBuilder onPattern(const QString& regex, K reply);
    RuleBuilder onError(const QString& query, const QString& error);
    RuleBuilder onRaw(const QString& query, const QByteArray& message);
    // Delays the exact-text rule for query (adding one that answers :: if none).
    RuleBuilder delay(const QString& query, int ms);
    RuleBuilder drop(const QString& query);
    void addRule(std::shared_ptr<InstanceRule> rule);
    void clearRules();
    // The error text for sync queries that no rule matches (default "unscripted").
    void setDefaultError(const QString& text);
    void setCompressReplies(bool on); // compress every reply that shrinks by half
    // The namespace model that answers the explorer's service queries; made
    // (with its rule) on first use. Change it before start().
    InstanceNamespaces& namespaces();

    // --- running ---
    bool start(int port = 0); // false when the port cannot be bound
    void stop();
    bool isRunning() const;
    int port() const;

    // Pushes an async message to every connected client (takes the reference).
    void publish(K message);
    // Closes every client connection now.
    void dropClients();
    int clientCount() const;

    QList<ReceivedMessage> received() const;
    QList<QString> receivedTexts() const;
    void clearReceived();
    // Waits until at least count messages were received; false on time-out.
    bool waitForReceived(int count, int timeoutMs) const;
    QList<ReceivedHandshake> handshakes() const;
    // Signals of what happens, on the thread that created the instance.
    InstanceEvents* events() const;

    struct Private;

private:
    friend class RuleBuilder;
    std::unique_ptr<Private> d;
};
