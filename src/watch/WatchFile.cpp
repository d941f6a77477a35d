#include "watch/WatchFile.h"

#include "core/files/SafeFile.h"

#include <QFile>

QList<WatchItem> WatchFile::parse(const QByteArray& bytes, bool* truncated)
{
    QList<WatchItem> items;
    if (truncated)
        *truncated = false;
    qsizetype start = 0;
    while (start < bytes.size()) {
        if (items.size() >= kMaxWatches) {
            if (truncated)
                *truncated = true;
            break;
        }
        qsizetype end = bytes.indexOf('\n', start);
        const qsizetype next = end < 0 ? bytes.size() : end + 1;
        if (end < 0)
            end = bytes.size();
        if (end > start && bytes.at(end - 1) == '\r')
            --end;
        WatchItem item;
        item.checked = end > start && bytes.at(start) == '\t';
        const qsizetype from = item.checked ? start + 1 : start;
        item.expression = QString::fromLocal8Bit(bytes.constData() + from, end - from);
        items.append(item);
        start = next;
    }
    return items;
}

QByteArray WatchFile::serialize(const QList<WatchItem>& items)
{
    QByteArray out;
    for (const WatchItem& item : items) {
        if (item.checked)
            out += '\t';
        out += item.expression.toLocal8Bit();
        out += "\r\n";
    }
    return out;
}

WatchFile::Loaded WatchFile::load(const QString& path)
{
    Loaded loaded;
    if (!SafeFile::ensure(path, SafeFile::Access::Default, &loaded.error))
        return loaded;
    // The list is written back here at exit: a file that cannot be written is refused now.
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) {
        loaded.error = file.errorString();
        return loaded;
    }
    file.close();
    return read(path);
}

WatchFile::Loaded WatchFile::read(const QString& path)
{
    Loaded loaded;
    QByteArray bytes;
    if (!SafeFile::isRegular(path)) {
        loaded.error = QStringLiteral("not a regular file");
        return loaded;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        loaded.error = file.errorString();
        return loaded;
    }
    // A file larger than any watch list: its head is read, the rest reported.
    bytes = file.read(kMaxBytes);
    const bool more = !file.atEnd();
    if (more) {
        const qsizetype cut = bytes.lastIndexOf('\n');
        bytes.truncate(cut < 0 ? 0 : cut + 1);
    }
    loaded.items = parse(bytes, &loaded.truncated);
    loaded.truncated = loaded.truncated || more;
    loaded.ok = true;
    return loaded;
}

bool WatchFile::save(const QString& path, const QList<WatchItem>& items, QString* error)
{
    return SafeFile::replace(path, serialize(items), SafeFile::Access::Default, error);
}

QString WatchFile::openFailureText(const QString& path)
{
    return QStringLiteral("Can't open file ") + path
        + QStringLiteral(" for writing.\nMake sure readonly attribute is off and you have permissions for tovo dir, "
                         "then try launching tovo again.");
}

QString WatchFile::truncatedText(const QString& path, int loaded)
{
    return QStringLiteral("%1 is too large for a watch list: only its first %2 watches were loaded.")
        .arg(path)
        .arg(loaded);
}
