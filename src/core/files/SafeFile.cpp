#include "core/files/SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr QFileDevice::Permissions kPrivate = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
// The mode asked of open(2) for a new file; the kernel takes the umask away.
constexpr QFileDevice::Permissions kDefault = QFileDevice::ReadOwner | QFileDevice::WriteOwner
    | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther;

// Only for creating: a mode given to open(2), never set with chmod, which
// would ignore the umask.
QFileDevice::Permissions creationModeOf(SafeFile::Access access)
{
    return access == SafeFile::Access::Private ? kPrivate : kDefault;
}

// A link's final target; the path itself when it is no link (or a broken one,
// which then is created at the link's target).
QString finalTarget(const QString& path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < 64 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? path : info.filePath();
}

} // namespace

bool SafeFile::isRegular(const QString& path)
{
    const QFileInfo info(path);
    // QFileInfo follows links; exists() and isFile() hold only for regular files.
    return info.exists() && info.isFile();
}

bool SafeFile::read(const QString& path, qint64 maxBytes, QByteArray* bytes, QString* error)
{
    bytes->clear();
    const QFileInfo info(path);
    if (!info.exists()) {
        *error = QStringLiteral("No such file or directory");
        return false;
    }
    if (!info.isFile()) {
        // Opening a FIFO would block until a writer comes; a device may never end.
        *error = QStringLiteral("not a regular file");
        return false;
    }
    if (info.size() > maxBytes) {
        *error = QStringLiteral("file larger than %1 bytes").arg(maxBytes);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    // The file may have been swapped or grown since the check: read no more than the bound.
    *bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        bytes->clear();
        return false;
    }
    if (bytes->size() > maxBytes) {
        *error = QStringLiteral("file larger than %1 bytes").arg(maxBytes);
        bytes->clear();
        return false;
    }
    return true;
}

bool SafeFile::ensure(const QString& path, Access access, QString* error)
{
    const QString target = finalTarget(path);
    QFile file(target);
    if (!QFileInfo::exists(target)) {
        // Created with its final permissions from the start: never readable by others, even briefly.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, creationModeOf(access))) {
            if (!QFileInfo::exists(target)) {
                *error = file.errorString();
                return false;
            }
        }
        file.close();
    }
    return true;
}

bool SafeFile::makePrivate(const QString& path, QString* error)
{
    const QString target = finalTarget(path);
    const QFileDevice::Permissions now = QFile::permissions(target);
    const QFileDevice::Permissions owner = now & (QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                  | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
    if (owner != now && !QFile::setPermissions(target, owner)) {
        *error = QStringLiteral("cannot make the file private");
        return false;
    }
    return true;
}

bool SafeFile::replace(const QString& path, const QByteArray& bytes, Access access, QString* error)
{
    const QString target = finalTarget(path);
    const bool existed = QFileInfo::exists(target);
    if (existed && !QFileInfo(target).isFile()) {
        *error = QStringLiteral("not a regular file");
        return false;
    }
    // A private file is first created empty with 0600, so that its
    // temporary file is never open to others, not even before a chmod.
    if (!existed && access == Access::Private && !ensure(target, access, error))
        return false;
    // QSaveFile writes a uniquely named temporary file beside the target,
    // syncs it to disk on commit and renames it over the target. For an
    // existing target the temporary file is created 0600 and then takes the
    // target's permissions; for a new one it is created with 0666 less the
    // umask, which is what a Default file gets.
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    // flush() first: QSaveFile's commit() misses a failure to write its
    // buffer (a full disk) and would put an empty file in place.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

bool SafeFile::append(const QString& path, const QByteArray& bytes, Access access, QString* error)
{
    const QString target = finalTarget(path);
    const QFileInfo info(target);
    if (info.exists() && !info.isFile() && !info.isDir()) {
        // Opening a FIFO for writing would block until a reader comes.
        *error = QStringLiteral("not a regular file");
        return false;
    }
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append, creationModeOf(access))) {
        *error = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
