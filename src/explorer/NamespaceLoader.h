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
    using ChannelFactory = std::function<std::unique_ptr<ServiceChannel>()>;

    explicit NamespaceLoader(QObject* parent = nullptr);
    ~NamespaceLoader() override;

    // Starts a load unless one runs (false then). The channel is made on the
    // window's thread and used only by the worker.
    bool start(std::unique_ptr<ServiceChannel> channel, const NamespaceLoadSettings& settings,
               std::shared_ptr<NamespaceModel> previous);
    bool isBusy() const { return m_worker != nullptr; }
    // Waits for a running load to end (exit).
    void wait();

signals:
    void rootText(const QString& text);
    void message(const QString& text);
    void finished(const NamespaceLoad::Result& result);

private:
    QThread* m_worker = nullptr;
};

Q_DECLARE_METATYPE(NamespaceLoad::Result)
