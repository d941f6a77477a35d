// UTF-8 text written to a device in pieces: the text of a large export is
// never held whole.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

class ExportSink {
public:
    // flushBytes: the buffer is written out once it holds more than this.
    explicit ExportSink(QIODevice& device, qsizetype flushBytes = 1 << 20)
        : m_device(device)
        , m_flushBytes(flushBytes)
    {
        m_buffer.reserve(flushBytes + 4096);
    }

    ExportSink& operator<<(const QString& text)
    {
        m_buffer += text.toUtf8();
        return *this;
    }
    ExportSink& operator<<(QLatin1StringView text)
    {
        m_buffer.append(text.data(), text.size());
        return *this;
    }
    ExportSink& operator<<(const char* text)
    {
        m_buffer.append(text);
        return *this;
    }
    ExportSink& bytes(const QByteArray& bytes)
    {
        m_buffer += bytes;
        return *this;
    }

    // Writes the buffer out when it has grown past the limit (call between rows).
    bool maybeFlush() { return m_buffer.size() <= m_flushBytes || flush(); }
    bool flush()
    {
        if (m_failed)
            return false;
        if (!m_buffer.isEmpty() && m_device.write(m_buffer) != m_buffer.size())
            m_failed = true;
        m_buffer.truncate(0); // keeps the allocation: clear() would free it for every piece
        return !m_failed;
    }
    bool failed() const { return m_failed; }

private:
    QIODevice& m_device;
    qsizetype m_flushBytes;
    QByteArray m_buffer;
    bool m_failed = false;
};
