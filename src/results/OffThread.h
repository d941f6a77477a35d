// Work that may take long (reading or writing a large file, talking to an
// instance) runs on a thread of its own; its result comes back to the
// window's thread. Threads still running when the owner goes are waited for.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QThread>

#include <functional>
#include <memory>

class OffThread : public QObject {
    Q_OBJECT
public:
    explicit OffThread(QObject* parent = nullptr) : QObject(parent) {}
    ~OffThread() override { waitAll(); }

    // done runs on this object's thread unless this object is gone first.
    template <typename T>
    void run(std::function<T()> work, std::function<void(T)> done)
    {
        auto result = std::make_shared<T>();
        QThread* thread = QThread::create([work = std::move(work), result] { *result = work(); });
        m_threads.append(thread);
        connect(thread, &QThread::finished, this, [this, thread, result, done = std::move(done)] {
            m_threads.removeAll(thread);
            thread->deleteLater();
            if (done)
                done(std::move(*result));
        });
        thread->start();
    }

    bool busy() const { return !m_threads.isEmpty(); }
    void waitAll()
    {
        for (QThread* thread : m_threads) {
            thread->wait();
            delete thread;
        }
        m_threads.clear();
    }

private:
    QList<QThread*> m_threads;
};
