#include "core/files/PrivateTempFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>

PrivateTempFolder::PrivateTempFolder(QString parent, QString prefix)
    : m_parent(std::move(parent)), m_prefix(std::move(prefix))
{
}

PrivateTempFolder::~PrivateTempFolder() = default;

QString PrivateTempFolder::path(QString* error)
{
    std::lock_guard lock(m_mutex);
    if (!m_dir) {
        const QString parent = m_parent.isEmpty() ? QDir::tempPath() : m_parent;
        // QTemporaryDir makes the folder with mkdtemp (mode 0700) or, on
        // Windows, inside the user's own temporary folder.
        auto dir = std::make_unique<QTemporaryDir>(QDir(parent).filePath(m_prefix + QStringLiteral("XXXXXXXX")));
        if (!dir->isValid()) {
            if (error)
                *error = dir->errorString();
            return QString();
        }
        QFile::setPermissions(dir->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        m_dir = std::move(dir);
    }
    return m_dir->path();
}

bool PrivateTempFolder::exists() const
{
    std::lock_guard lock(m_mutex);
    return m_dir != nullptr;
}

QString PrivateTempFolder::writeFile(const QString& prefix, const QString& suffix, const QByteArray& bytes,
                                     QString* error)
{
    return writeFile(prefix, suffix, nullptr, 0, bytes.constData(), bytes.size(), error);
}

QString PrivateTempFolder::writeFile(const QString& prefix, const QString& suffix, const char* head,
                                     qint64 headSize, const char* body, qint64 bodySize, QString* error)
{
    const QString folder = path(error);
    if (folder.isEmpty())
        return QString();
    QString pattern = QDir(folder).filePath(prefix + QStringLiteral("XXXXXXXXXXXX"));
    if (!suffix.isEmpty())
        pattern += u'.' + suffix;
    QTemporaryFile file(pattern); // a random name, created exclusively, mode 0600
    file.setAutoRemove(true);
    if (!file.open()) {
        if (error)
            *error = file.errorString();
        return QString();
    }
    if ((headSize > 0 && file.write(head, headSize) != headSize)
        || (bodySize > 0 && file.write(body, bodySize) != bodySize) || !file.flush()) {
        if (error)
            *error = file.errorString();
        return QString();
    }
    file.setAutoRemove(false);
    return file.fileName();
}

void PrivateTempFolder::remove()
{
    std::lock_guard lock(m_mutex);
    m_dir.reset(); // QTemporaryDir removes the folder recursively
}
