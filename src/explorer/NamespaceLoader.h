// Runs namespace loads off the window's thread, one at a time (a busy flag),
// and hands the finished model and tree back by queued signals. The worker
// reaches the instance through a channel made for each load.
#pragma once

#include "explorer/NamespaceLoad.h"

#include <QObject>
#include <QThread>

#include <functional>
#include <memory>

class ServiceChannel;

class NamespaceLoader : public QObject {
    Q_OBJECT
public:
    using Work = std::function<NamespaceLoad::Result()>;
    using Done = std::function<void(const NamespaceLoad::Result&)>;
    // Runs work on a thread that is not the window's and then done on the
    // window's thread (while context lives): a session's worker, which runs
    // a load between the user's queries, never beside them. Without one the
    // loader starts a thread of its own for each load.
    using Executor = std::function<void(QObject* context, Work work, Done done)>;

    explicit NamespaceLoader(QObject* parent = nullptr);
    ~NamespaceLoader() override;

    // Starts a load unless one runs (false then). The channel is made on the
    // window's thread and used only by the worker.
    bool start(std::unique_ptr<ServiceChannel> channel, const NamespaceLoadSettings& settings,
               std::shared_ptr<NamespaceModel> previous);
    void setExecutor(Executor executor) { m_executor = std::move(executor); }
    bool isBusy() const { return m_busy; }
    // Waits for a running load to end (exit).
    void wait();

signals:
    void rootText(const QString& text);
    void message(const QString& text);
    void finished(const NamespaceLoad::Result& result);

private:
    void done(const NamespaceLoad::Result& result);

    Executor m_executor;
    QThread* m_worker = nullptr;
    bool m_busy = false;
};

Q_DECLARE_METATYPE(NamespaceLoad::Result)
