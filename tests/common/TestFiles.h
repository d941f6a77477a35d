// Files for tests of file reading: a file written whole (its folders made),
// and a file that refuses to be read.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace TestFiles {

inline bool write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Makes path a file that cannot be opened for reading, even by root; false
// when the system offers no such file.
inline bool makeUnreadable(const QString& path)
{
#if defined(Q_OS_UNIX)
    if (::geteuid() != 0)
        return write(path, "locked:1\n") && QFile::setPermissions(path, QFileDevice::WriteOwner);
    // Root reads every ordinary file; a write-only kernel setting refuses it too.
    const QString target = QStringLiteral("/proc/sys/vm/compact_memory");
    QFile probe(target);
    if (!QFileInfo(target).isFile() || probe.open(QIODevice::ReadOnly))
        return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    return QFile::link(target, path);
#else
    Q_UNUSED(path);
    return false;
#endif
}

} // namespace TestFiles
