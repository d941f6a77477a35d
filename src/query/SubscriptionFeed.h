// The subscription thread: waits for the next message on the subscription's
// handle and keeps the newest update for the window's thread, which takes it
// when it paints; older updates not yet taken are dropped. Stopping closes
// the handle, so the blocked read returns, and then joins the thread.
#pragma once

#include "kdb/KPtr.h"

#include <QObject>

#include <atomic>
#include <mutex>
#include <thread>

class SubscriptionFeed : public QObject {
    Q_OBJECT
public:
    explicit SubscriptionFeed(QObject* parent = nullptr);
    ~SubscriptionFeed() override;

    // Takes the open handle and starts reading it.
    void start(int handle);
    // Closes the handle (when still open) and joins the thread.
    void stop();
    // Whether the thread is still reading.
    bool isRunning() const { return m_running.load(); }
    // The newest update not yet taken (a table or keyed table), or null.
    KPtr takeLatest();
    long long updates() const { return m_updates.load(); }
    long long dropped() const { return m_dropped.load(); }

signals:
    // An update is waiting; sent once until it is taken.
    void updateReady();
    // The thread ended (a null or unexpected message, or stop()).
    void ended();

private:
    void read(int handle);
    void closeHandle();

    std::thread m_thread;
    std::atomic<int> m_handle{-1};
    std::atomic<bool> m_running{false};
    std::atomic<long long> m_updates{0};
    std::atomic<long long> m_dropped{0};
    std::mutex m_mutex;
    KPtr m_latest;
    bool m_notified = false;
};
