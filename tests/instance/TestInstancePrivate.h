// The shared state of a TestInstance: its settings, rules, clients and records.
#pragma once

#include "TestCertificate.h"
#include "TestInstance.h"

#include "kdb/Socket.h"

#include <QMetaObject>

#include <atomic>
#include <condition_variable>
#include <list>
#include <mutex>
#include <thread>

class ServedClient;

struct TestInstance::Private {
    mutable std::mutex mutex;
    mutable std::condition_variable receivedChanged;

    // settings
    QList<QByteArray> credentials;
    int maxCapability = 6;
    int forcedAnswer = -1;
    bool silent = false;
    bool compressAll = false;
    QString defaultError = QStringLiteral("unscripted");
    std::unique_ptr<TestCertificate> certificate;
    QList<std::shared_ptr<InstanceRule>> rules;
    std::shared_ptr<InstanceNamespaces> namespaces;

    // running
    kdb::Socket listener;
    int port = 0;
    std::atomic<bool> stopping {false};
    std::thread acceptThread;
    std::list<std::shared_ptr<ServedClient>> clients;

    // records
    std::unique_ptr<InstanceEvents> events = std::make_unique<InstanceEvents>();
    QList<ReceivedMessage> received;
    QList<ReceivedHandshake> handshakes;

    void acceptLoop();
    std::shared_ptr<InstanceRule> findRule(const QString& text, const QString& rendered) const;
    void record(ReceivedMessage message);
    void recordHandshake(ReceivedHandshake handshake);
    // Emits an event on the events object's thread.
    template <class F>
    void report(F emitter)
    {
        QMetaObject::invokeMethod(events.get(), [e = events.get(), emitter] { emitter(e); }, Qt::QueuedConnection);
    }
};
