#include "kdb/Stream.h"

#include <algorithm>
#include <cstring>

namespace kdb {

namespace {
constexpr std::size_t kGrowStep = 16u << 20; // reserve at most this much ahead of the received bytes
}

long long Stream::readSome(void* data, std::size_t size, Deadline deadline)
{
    if (m_tls)
        return m_tls->read(data, size, deadline);
    if (!deadline.never() || CancelScope::active()) {
        Socket::Wait w = m_socket->waitReadable(deadline);
        if (w == Socket::Wait::TimedOut)
            return -2;
        if (w == Socket::Wait::Failed)
            return -1;
    }
    long long n = m_socket->recv(data, size);
    return n == -2 ? -1 : n; // a blocking socket never asks to retry
}

Stream::Read Stream::readExact(void* data, std::size_t size, Deadline deadline)
{
    auto* p = static_cast<unsigned char*>(data);
    while (size > 0) {
        long long n = readSome(p, size, deadline);
        if (n == 0) {
            m_error = "connection closed";
            return Read::Closed;
        }
        if (n == -2) {
            m_error = "timed out";
            return Read::TimedOut;
        }
        if (n < 0) {
            m_error = m_socket->error().empty() ? "read failed" : m_socket->error();
            return Read::Failed;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return Read::Ok;
}

bool Stream::writeAll(const void* data, std::size_t size)
{
    bool ok = m_tls ? m_tls->writeAll(data, size) : m_socket->sendAll(data, size);
    if (!ok)
        m_error = m_socket->error().empty() ? "write failed" : m_socket->error();
    return ok;
}

Stream::Read Stream::readMessage(int capability, MessageHeader& header, std::vector<char>& bytes,
                                 Deadline deadline)
{
    char head[MessageHeader::kSize];
    const Read r = readHeader(capability, header, head, deadline);
    return r == Read::Ok ? readBody(header, head, bytes, deadline) : r;
}

Stream::Read Stream::readHeader(int capability, MessageHeader& header, char (&head)[MessageHeader::kSize],
                                Deadline deadline)
{
    Read r = readExact(head, sizeof head, deadline);
    if (r != Read::Ok)
        return r;
    if (!MessageHeader::parse(reinterpret_cast<const unsigned char*>(head), capability, header, m_error))
        return Read::BadHeader;
    if (header.length > static_cast<std::uint64_t>(SIZE_MAX)) {
        m_error = "message too large for this system";
        return Read::BadHeader;
    }
    return Read::Ok;
}

Stream::Read Stream::readBody(const MessageHeader& header, const char (&head)[MessageHeader::kSize],
                              std::vector<char>& bytes, Deadline deadline)
{
    const std::size_t total = static_cast<std::size_t>(header.length);
    bytes.clear();
    bytes.resize(std::min(total, MessageHeader::kSize + kGrowStep));
    std::memcpy(bytes.data(), head, sizeof head);
    std::size_t have = MessageHeader::kSize;
    while (have < total) {
        if (have == bytes.size())
            bytes.resize(std::min(total, bytes.size() * 2));
        const Read r = readExact(bytes.data() + have, bytes.size() - have, deadline);
        if (r != Read::Ok)
            return r;
        have = bytes.size();
    }
    return Read::Ok;
}

} // namespace kdb
