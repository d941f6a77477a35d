#include "connect/FileReplace.h"

#include <QFile>
#include <QSaveFile>

#include <filesystem>
#include <system_error>

namespace {
std::filesystem::path nativePath(const QString& path)
{
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}
} // namespace

bool FileReplace::write(const QString& target, const QString& temporaryPath, const QByteArray& bytes, QString* error)
{
    if (temporaryPath.isEmpty()) {
        QSaveFile file(target);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
            *error = file.errorString();
            return false;
        }
        return true;
    }
    QFile tmp(temporaryPath);
    if (!tmp.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = tmp.errorString();
        return false;
    }
    if (tmp.write(bytes) != bytes.size() || !tmp.flush()) {
        *error = tmp.errorString();
        tmp.close();
        tmp.remove();
        return false;
    }
    tmp.close();
    // rename replaces the target in one step (MoveFileEx with replace on
    // Windows), so the file on disk is always either the old or the new one.
    std::error_code ec;
    std::filesystem::rename(nativePath(temporaryPath), nativePath(target), ec);
    if (ec) {
        *error = QString::fromStdString(ec.message());
        QFile::remove(temporaryPath);
        return false;
    }
    return true;
}
