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
    if (m_worker)
        return false;
    QPointer<NamespaceLoader> self(this);
    std::shared_ptr<ServiceChannel> shared(std::move(channel));
    auto result = std::make_shared<NamespaceLoad::Result>();
    m_worker = QThread::create([self, shared, settings, previous, result]() mutable {
        NamespaceLoad::Observer observer;
        observer.rootText = [self](const QString& text) {
            QMetaObject::invokeMethod(self, [self, text] { if (self) emit self->rootText(text); }, Qt::QueuedConnection);
        };
        observer.message = [self](const QString& text) {
            QMetaObject::invokeMethod(self, [self, text] { if (self) emit self->message(text); }, Qt::QueuedConnection);
        };
        *result = NamespaceLoad::run(*shared, settings, std::move(previous), observer);
        shared.reset();
        m9();
    });
    // Handed over once the worker has ended: the window never waits for it.
    connect(m_worker, &QThread::finished, this, [this, result] {
        wait();
        emit finished(*result);
    });
    m_worker->start();
    return true;
}
