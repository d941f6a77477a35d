#include "explorer/NamespaceLoader.h"

#include "explorer/ServiceChannel.h"

#include "kdb/k.h"

#include <QPointer>

NamespaceLoader::NamespaceLoader(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<NamespaceLoad::Result>();
}

NamespaceLoader::~NamespaceLoader() { wait(); }

void NamespaceLoader::wait()
{
    if (m_worker) {
        m_worker->wait();
        delete m_worker;
        m_worker = nullptr;
    }
}

bool NamespaceLoader::start(std::unique_ptr<ServiceChannel> channel, const NamespaceLoadSettings& settings,
                            std::shared_ptr<NamespaceModel> previous)
{
    if (m_busy)
        return false;
    m_busy = true;
    QPointer<NamespaceLoader> self(this);
    std::shared_ptr<ServiceChannel> shared(std::move(channel));
    Work work = [self, shared, settings, previous]() mutable {
        NamespaceLoad::Observer observer;
        observer.rootText = [self](const QString& text) {
            QMetaObject::invokeMethod(self, [self, text] { if (self) emit self->rootText(text); }, Qt::QueuedConnection);
        };
        observer.message = [self](const QString& text) {
            QMetaObject::invokeMethod(self, [self, text] { if (self) emit self->message(text); }, Qt::QueuedConnection);
        };
        NamespaceLoad::Result result = NamespaceLoad::run(*shared, settings, std::move(previous), observer);
        shared.reset();
        return result;
    };
    if (m_executor) {
        m_executor(this, std::move(work), [this](const NamespaceLoad::Result& result) { done(result); });
        return true;
    }
    auto result = std::make_shared<NamespaceLoad::Result>();
    m_worker = QThread::create([work, result]() mutable {
        *result = work();
        m9();
    });
    // Handed over once the worker has ended: the window never waits for it.
    connect(m_worker, &QThread::finished, this, [this, result] {
        wait();
        done(*result);
    });
    m_worker->start();
    return true;
}

void NamespaceLoader::done(const NamespaceLoad::Result& result)
{
    m_busy = false;
    emit finished(result);
}
