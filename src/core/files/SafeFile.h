// Reading and writing the system's own files (server list, logs, settings,
// documents) so that nothing is lost or leaked: only regular files are read,
// each up to a size bound; a file is replaced whole through a uniquely named
// temporary file in its folder, flushed to disk before the rename; a new file
// follows the user's umask, except files that hold credentials, which are
// made readable by the user only; a rewritten file keeps its permissions.
#pragma once

#include <QByteArray>
#include <QString>

class SafeFile {
public:
    // Who may read a file that is created: Default is read and write for
    // everyone less the user's umask (0644 under 022), Private the owner only
    // (0600) whatever the umask.
    enum class Access { Default, Private };

    // Reads path whole. False with error when it is not a regular file (a
    // folder, a FIFO, a device, a socket; links are followed), when it holds
    // more than maxBytes, or when it cannot be read.
    static bool read(const QString& path, qint64 maxBytes, QByteArray* bytes, QString* error);
    // Whether path is a regular file (a link to one counts).
    static bool isRegular(const QString& path);

    // Replaces the file whole or leaves it unchanged: a link is followed and
    // its target rewritten; an existing file keeps its permissions; a new one
    // gets those of access.
    static bool replace(const QString& path, const QByteArray& bytes, Access access, QString* error);

    // Appends bytes at the end (for logs), creating the file with the
    // permissions of access when missing.
    static bool append(const QString& path, const QByteArray& bytes, Access access, QString* error);

    // Creates path empty with the permissions of access when it does not
    // exist; an existing file is left as it is. False when it cannot be made.
    static bool ensure(const QString& path, Access access, QString* error);
    // Takes every permission away from group and others.
    static bool makePrivate(const QString& path, QString* error);
};
