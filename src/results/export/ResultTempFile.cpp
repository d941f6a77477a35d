#include "results/export/ResultTempFile.h"

#include <QDir>
#include <QTemporaryFile>

namespace ResultTempFile {

QString write(const QString& prefix, const QString& suffix, const std::function<bool(QIODevice&)>& write)
{
    QTemporaryFile file(QDir::temp().filePath(prefix + QStringLiteral("XXXXXX.") + suffix));
    file.setAutoRemove(true);
    if (!file.open() || !write(file) || !file.flush())
        return QString();
    file.setAutoRemove(false);
    return file.fileName();
}

} // namespace ResultTempFile
