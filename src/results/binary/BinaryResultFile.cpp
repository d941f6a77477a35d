#include "results/binary/BinaryResultFile.h"

#include "results/binary/BinaryResult.h"

#include "connect/ProcessMemory.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>

namespace {

bool writeWhole(const QString& path, const char* head, qint64 headSize, const char* body, qint64 bodySize,
                QString* error)
{
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok && headSize)
        ok = file.write(head, headSize) == headSize;
    if (ok && bodySize)
        ok = file.write(body, bodySize) == bodySize;
    // flush() first: commit() misses a failure to write the last buffered
    // bytes (a full disk) and would put a short file in place.
    if (ok)
        ok = file.flush();
    if (ok)
        ok = file.commit();
    if (!ok) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
    }
    return ok;
}

} // namespace

QString BinaryResultFile::refusedText()
{
    return QStringLiteral("Can't load the binary, most likely it's not a binary file saved from Tovo.");
}

bool BinaryResultFile::save(const QString& path, K value, QString* error)
{
    BinaryResult::Encoded encoded;
    std::string reason;
    if (!BinaryResult::encode(value, encoded, reason)) {
        if (error)
            *error = QString::fromStdString(reason);
        return false;
    }
    return writeWhole(path, encoded.head.data(), qint64(encoded.head.size()), encoded.body,
                      qint64(encoded.bodySize), error);
}

BinaryResultFile::Loaded BinaryResultFile::load(const QString& path)
{
    Loaded loaded;
    QElapsedTimer timer;
    timer.start();
    const std::int64_t before = ProcessMemory::workingSet();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        loaded.error = file.errorString();
        return loaded;
    }
    const qint64 size = file.size();
    std::string reason;
    if (size <= 0) {
        loaded.error = QStringLiteral("the file is empty");
        return loaded;
    }
    if (uchar* mapped = file.map(0, size)) {
        loaded.value = BinaryResult::decode(reinterpret_cast<const char*>(mapped), std::size_t(size), reason);
        file.unmap(mapped);
    } else {
        const QByteArray bytes = file.readAll();
        if (bytes.size() != size) {
            loaded.error = file.errorString();
            return loaded;
        }
        loaded.value = BinaryResult::decode(bytes.constData(), std::size_t(bytes.size()), reason);
    }
    if (!loaded.value)
        loaded.error = QString::fromStdString(reason);
    loaded.elapsedMs = std::int32_t(timer.elapsed());
    const std::int64_t after = ProcessMemory::workingSet();
    loaded.memoryGrowth = before >= 0 && after >= before ? after - before : 0;
    return loaded;
}

bool BinaryResultFile::saveRaw(const QString& path, K value, QString* error)
{
    if (!isRawSavable(value)) {
        if (error)
            *error = QStringLiteral("only a string or a byte vector is saved as it is");
        return false;
    }
    return writeWhole(path, nullptr, 0, reinterpret_cast<const char*>(kG(value)), qint64(value->n), error);
}
