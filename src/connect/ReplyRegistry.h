// Replies still owned by a waiting worker, each with its run's gate. A reply
// must be freed on the thread whose call produced it, so releasing the last
// reference of a registered reply opens its gate and the worker frees it.
#pragma once

#include "connect/ReplyGate.h"

#include "kdb/k.h"

#include <QHash>
#include <QObject>

#include <memory>
#include <mutex>

class ReplyRegistry : public QObject {
    Q_OBJECT
public:
    // Application-wide; lives on the application's main thread.
    static ReplyRegistry& instance();

    void insert(K value, std::shared_ptr<ReplyGate> gate);
    bool contains(K value) const;
    int size() const;

    // The release rule, from any thread: the last reference of a registered
    // reply (count 0, or 1 for the primitives 101..103) is handed to the
    // user-interface thread, which opens the gate; anything else is r0'd.
    static void release(K value);
    // Forgets value when it is registered with gate (an aborted run takes
    // its reply back); true when it was.
    bool takeIfGate(K value, const ReplyGate* gate);
    // Opens value's gate at once; on the user-interface thread only.
    void releaseNow(K value) { releaseRegistered(reinterpret_cast<quintptr>(value)); }

private:
    ReplyRegistry();
    void releaseRegistered(quintptr value);

    mutable std::mutex m_mutex;
    QHash<K, std::shared_ptr<ReplyGate>> m_gates;
};
