#include "results/export/ResultTempFile.h"

#include "core/files/PrivateTempFolder.h"

#include <QDir>
#include <QTemporaryFile>

namespace ResultTempFile {

QString write(PrivateTempFolder& folder, const QString& prefix, const QString& suffix,
              const std::function<bool(QIODevice&)>& write)
{
    const QString parent = folder.path();
    if (parent.isEmpty())
        return QString();
    QTemporaryFile file(QDir(parent).filePath(prefix + QStringLiteral("XXXXXXXXXXXX.") + suffix));
    file.setAutoRemove(true);
    if (!file.open() || !write(file) || !file.flush())
        return QString();
    file.setAutoRemove(false);
    return file.fileName();
}

} // namespace ResultTempFile
