// Replies still held for the thread whose call produced them, each with that
// thread's session worker. Releasing the last reference of a registered
// reply hands it back to its worker, which frees it between its tasks; no
// thread waits while a reply is shown.
#pragma once

#include "connect/SessionWorker.h"

#include "kdb/k.h"

#include <QHash>

#include <mutex>

class ReplyRegistry {
public:
    // Application-wide.
    static ReplyRegistry& instance();

    void insert(K value, SessionWorker::Poster home);
    bool contains(K value) const;
    int size() const;

    // The release rule, from any thread: the last reference of a registered
    // reply (count 0, or 1 for the primitives 101..103) is freed by its
    // worker (at once when called there; here when the worker is gone);
    // anything else is r0'd.
    static void release(K value);
    // Forgets value and frees it on its worker (an aborted run takes its
    // stored reply back); false when value was not registered.
    bool takeBack(K value);

private:
    ReplyRegistry() = default;
    static void freeOn(const SessionWorker::Poster& home, K value);

    mutable std::mutex m_mutex;
    QHash<K, SessionWorker::Poster> m_homes;
};
