#include "files/LocalCodebase.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <memory>
#include <vector>

struct LocalCodebase::Job {
    std::atomic<bool> cancel{false};
    Walk result;
};

namespace {

QString openFailure(const QFile& file, const QString& path, int error)
{
#if defined(Q_OS_UNIX)
    Q_UNUSED(file);
    const bool denied = error == EACCES || error == EPERM;
#else
    Q_UNUSED(error);
    const bool denied = file.error() == QFileDevice::PermissionsError || !QFileInfo(path).isReadable();
#endif
    if (denied)
        return QStringLiteral("Access to %1 was denied.").arg(path);
    if (!QFileInfo::exists(path))
        return QStringLiteral("%1 was not found.").arg(path);
    return QStringLiteral("An unexpected file error occurred while accessing %1.").arg(path);
}

// One file of the walk; false when it cannot be opened, which ends the walk.
bool readFile(const QFileInfo& info, LocalCodebase::Walk& walk)
{
    ++walk.filesSeen;
    // FIFOs, devices and sockets are no files to read (a FIFO would block).
    if (!info.isFile() || info.size() >= SearchFiles::kMaxFileBytes)
        return true;
    const QString path = info.absoluteFilePath();
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const int error = errno;
        walk.failedPath = path;
        walk.failure = openFailure(file, path, error);
        return false;
    }
    // The file may have grown since it was listed: never more than the bound.
    const QByteArray bytes = file.read(SearchFiles::kMaxFileBytes);
    walk.bytesRead += bytes.size();
    if (bytes.size() >= SearchFiles::kMaxFileBytes)
        return true;
    if (std::optional<QString> text = SearchFiles::acceptedText(bytes))
        walk.files.emplace(path, std::move(*text));
    return true;
}

} // namespace

LocalCodebase::Walk LocalCodebase::walk(const QString& root, const std::atomic<bool>* cancel, const ProgressFn& progress)
{
    Walk walk;
    const auto filters = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    // Depth first in listing order: a folder is entered where it is met.
    std::vector<std::unique_ptr<QDirIterator>> folders;
    folders.push_back(std::make_unique<QDirIterator>(root, filters));
    while (!folders.empty()) {
        if (cancel && cancel->load(std::memory_order_relaxed)) {
            walk.cancelled = true;
            break;
        }
        QDirIterator& it = *folders.back();
        if (!it.hasNext()) {
            folders.pop_back();
            continue;
        }
        it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isDir()) {
            // A link to a folder may lead back up the tree: not followed.
            if (!info.isSymLink())
                folders.push_back(std::make_unique<QDirIterator>(info.absoluteFilePath(), filters));
            continue;
        }
        if (!readFile(info, walk))
            break;
        if (progress && walk.filesSeen % kProgressEvery == 0)
            progress(walk.filesSeen, walk.bytesRead);
    }
    return walk;
}

LocalCodebase::LocalCodebase(QObject* parent) : QObject(parent) {}

LocalCodebase::~LocalCodebase()
{
    // The walk stops at its next entry: at most one file read to wait for.
    if (m_thread) {
        m_job->cancel = true;
        m_thread->wait();
        delete m_thread;
    }
}

bool LocalCodebase::load(const QString& root)
{
    if (m_thread)
        return false;
    m_root = root;
    m_files.clear();
    m_failedPath.clear();
    m_failure.clear();
    m_job = std::make_shared<Job>();
    std::shared_ptr<Job> job = m_job;
    // The owner outlives the thread (its destructor waits), so queued calls
    // to it are safe; they are dropped if it goes first.
    m_thread = QThread::create([this, job, root] {
        job->result = walk(root, &job->cancel, [this](int seen, qint64 bytes) {
            QMetaObject::invokeMethod(this, [this, seen, bytes] { emit progress(seen, bytes); }, Qt::QueuedConnection);
        });
    });
    connect(m_thread, &QThread::finished, this, &LocalCodebase::takeResult, Qt::QueuedConnection);
    m_thread->start();
    emit changed();
    return true;
}

void LocalCodebase::cancel()
{
    if (m_job)
        m_job->cancel = true;
}

void LocalCodebase::takeResult()
{
    if (!m_thread)
        return;
    // Finished: the thread has left its function, nothing else touches the job.
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    Walk result = std::move(m_job->result);
    m_job.reset();
    m_files = std::move(result.files);
    Outcome outcome = Outcome::Loaded;
    if (!result.failedPath.isEmpty()) {
        m_failedPath = result.failedPath;
        m_failure = result.failure;
        outcome = Outcome::Failed;
    } else if (result.cancelled) {
        outcome = Outcome::Cancelled;
    }
    emit progress(result.filesSeen, result.bytesRead);
    emit changed();
    emit finished(outcome);
}
