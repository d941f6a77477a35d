#include "results/binary/BinaryResultFile.h"

#include "results/binary/BinaryResult.h"

#include "connect/ProcessMemory.h"
#include "kdb/BackgroundSink.h"
#include "kdb/BlockPool.h"
#include "kdb/Deserializer.h"
#include "kdb/MessageHeader.h"
#include "kdb/Serializer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>

#include <algorithm>

namespace {

class FileSink : public kdb::Serializer::Sink {
public:
    explicit FileSink(QSaveFile& file)
        : m_file(file)
    {
    }
    bool write(const char* data, std::size_t size) override
    {
        return m_file.write(data, qint64(size)) == qint64(size);
    }

private:
    QSaveFile& m_file;
};

// The file is written whole or not at all: the bytes go to a temporary file
// that replaces path only when every one of them was written.
template<typename Write>
bool writeWhole(const QString& path, Write&& write, QString* error)
{
    QSaveFile file(path);
    std::string reason;
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) {
        // The file is written from a thread of its own while the value is
        // serialised: both take about as long on a large table.
        FileSink sink(file);
        kdb::BackgroundSink background(sink);
        ok = write(background, reason);
        ok = background.finish() && ok;
    }
    // flush() first: commit() misses a failure to write the last buffered
    // bytes (a full disk) and would put a short file in place.
    if (ok)
        ok = file.flush();
    if (ok)
        ok = file.commit();
    if (!ok) {
        if (error)
            *error = reason.empty() ? file.errorString() : QString::fromStdString(reason);
        file.cancelWriting();
    }
    return ok;
}

// Exactly size bytes, or false.
bool readFully(QFile& file, char* data, qint64 size)
{
    qint64 got = 0;
    while (got < size) {
        const qint64 n = file.read(data + got, size - got);
        if (n <= 0)
            return false;
        got += n;
    }
    return true;
}

class FileSource : public kdb::Deserializer::Source {
public:
    explicit FileSource(QFile& file)
        : m_file(file)
    {
    }
    bool read(void* data, std::size_t size) override
    {
        return readFully(m_file, static_cast<char*>(data), qint64(size));
    }
    std::string error() const override
    {
        return m_file.error() != QFileDevice::NoError ? m_file.errorString().toStdString()
                                                       : std::string("the file is shorter than it was");
    }

private:
    QFile& m_file;
};

// A serialised value is decoded as the file is read, its vectors filled
// straight from the file; the vector layout is read whole into a block the
// thread reuses from one load to the next.
K decodeFile(QFile& file, qint64 size, std::string& reason, QString& readError)
{
    char mark[2] = {0, 0};
    if (size > 2 && readFully(file, mark, 2) && static_cast<unsigned char>(mark[0]) == 0xFF) {
        kdb::MessageHeader header;
        header.length = std::uint64_t(size - 2) + kdb::MessageHeader::kSize;
        FileSource source(file);
        bool sourceFailed = false;
        K value = kdb::Deserializer::decodeStreamed(source, header, reason, sourceFailed);
        if (sourceFailed)
            readError = QString::fromStdString(source.error());
        return value;
    }
    kdb::PooledBuffer buffer{std::size_t(size)};
    if (!buffer.data()) {
        readError = QStringLiteral("not enough memory to read the file");
        return nullptr;
    }
    if (!file.seek(0) || !readFully(file, buffer.data(), size)) {
        readError = file.error() != QFileDevice::NoError ? file.errorString()
                                                         : QStringLiteral("the file is shorter than it was");
        return nullptr;
    }
    return BinaryResult::decode(buffer.data(), std::size_t(size), reason);
}

} // namespace

QString BinaryResultFile::refusedText()
{
    return QStringLiteral("Can't load the binary, most likely it's not a binary file saved from Tovo.");
}

bool BinaryResultFile::save(const QString& path, K value, QString* error)
{
    return writeWhole(path, [value](kdb::Serializer::Sink& sink, std::string& reason) {
        return BinaryResult::write(value, sink, reason);
    }, error);
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
    loaded.value = decodeFile(file, size, reason, loaded.error);
    if (!loaded.value && loaded.error.isEmpty())
        loaded.error = QString::fromStdString(reason);
    loaded.elapsedMs = std::int32_t(timer.elapsed());
    const std::int64_t after = ProcessMemory::workingSet();
    // Memory freed by earlier values is often reused, so the working set may
    // not grow at all: the value holds at least the bytes of its file.
    loaded.memoryGrowth = std::max<std::int64_t>(before >= 0 && after >= before ? after - before : 0, size);
    return loaded;
}

bool BinaryResultFile::saveRaw(const QString& path, K value, QString* error)
{
    if (!isRawSavable(value)) {
        if (error)
            *error = QStringLiteral("only a string or a byte vector is saved as it is");
        return false;
    }
    return writeWhole(path, [value](kdb::Serializer::Sink& sink, std::string&) {
        return sink.write(reinterpret_cast<const char*>(kG(value)), std::size_t(value->n));
    }, error);
}
