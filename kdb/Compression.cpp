#include "kdb/Compression.h"
#include "kdb/MessageHeader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace kdb {
namespace {

using Byte = unsigned char;

std::uint64_t readLength(const Byte* p, int bytes, bool littleEndian)
{
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= std::uint64_t(p[littleEndian ? i : bytes - 1 - i]) << (8 * i);
    return v;
}

void writeLength32(Byte* p, std::uint32_t v, bool littleEndian)
{
    for (int i = 0; i < 4; ++i)
        p[littleEndian ? i : 3 - i] = static_cast<Byte>(v >> (8 * i));
}

} // namespace

bool Compression::worthTrying(std::size_t messageLength, bool peerIsLocal)
{
    return messageLength > 2000 && !peerIsLocal;
}

std::size_t Compression::maxExpandedSize(std::size_t frameLength)
{
    // One control byte and eight references of two bytes give at most
    // 8 * (2 + 255) bytes: every 17 stream bytes expand to at most 2056.
    if (frameLength < 12)
        return 8;
    std::size_t stream = frameLength - 12;
    return 8 + (stream / 17 + 1) * 2056;
}

bool Compression::compress(const char* message, std::size_t length, std::vector<char>& out)
{
    out.clear();
    if (length < 16 || length > 0x7fffffff)
        return false;
    const auto* y = reinterpret_cast<const Byte*>(message);
    const bool little = y[0] == 1;
    const long long t = static_cast<long long>(length);
    const long long limit = t / 2 - 17; // stop once the next group could reach half the size
    std::vector<Byte> b(length / 2 + 1);
    std::memcpy(b.data(), y, 4);
    b[2] = 1;
    b[3] = 0;
    writeLength32(b.data() + 8, static_cast<std::uint32_t>(length), little);

    long long table[256] = {};
    long long c = 12, d = 12, s = 8, pending = 0;
    unsigned bit = 0, flags = 0, h = 0, pendingHash = 0;
    while (s < t) {
        if (bit == 0) {
            if (d > limit)
                return false;
            bit = 1;
            b[c] = static_cast<Byte>(flags);
            c = d++;
            flags = 0;
        }
        long long p = 0;
        bool literal = s > t - 3;
        if (!literal) {
            h = y[s] ^ y[s + 1];
            p = table[h];
            literal = p == 0 || y[s] != y[p];
        }
        // A literal's position enters the table one item late, as the reader
        // can only hash it once the following byte is known.
        if (pending > 0) {
            table[pendingHash] = pending;
            pending = 0;
        }
        if (literal) {
            pendingHash = h;
            pending = s;
            b[d++] = y[s++];
        } else {
            table[h] = s;
            flags |= bit;
            p += 2;
            s += 2;
            const long long start = s;
            const long long end = std::min(s + 255, t);
            while (s < end && y[p] == y[s]) {
                ++s;
                ++p;
            }
            b[d++] = static_cast<Byte>(h);
            b[d++] = static_cast<Byte>(s - start);
        }
        bit = (bit << 1) & 0xff;
    }
    b[c] = static_cast<Byte>(flags);
    writeLength32(b.data() + 4, static_cast<std::uint32_t>(d), little);
    out.assign(reinterpret_cast<const char*>(b.data()), reinterpret_cast<const char*>(b.data()) + d);
    return true;
}

bool Compression::decompress(const char* frame, std::size_t length, std::vector<char>& out, std::string& error)
{
    out.clear();
    MessageHeader header;
    if (length < 12) {
        error = "d9: truncated compressed message";
        return false;
    }
    const auto* in = reinterpret_cast<const Byte*>(frame);
    if (!MessageHeader::parse(in, CapLarge, header, error))
        return false;
    if (!header.compressed) {
        error = "d9: message is not compressed";
        return false;
    }
    const std::size_t sizeBytes = 4;
    const std::uint64_t total = readLength(in + 8, 4, header.littleEndian);
    if (total < 9) {
        error = "d9: bad size in compressed message";
        return false;
    }
    if (total > maxExpandedSize(length)) {
        error = "d9: compressed message claims more data than it can hold";
        return false;
    }
    out.resize(static_cast<std::size_t>(total));
    auto* dst = reinterpret_cast<Byte*>(out.data());
    dst[0] = in[0];
    dst[1] = in[1];
    dst[2] = 0;
    dst[3] = 0;
    writeLength32(dst + 4, static_cast<std::uint32_t>(total), header.littleEndian);

    const std::size_t n = static_cast<std::size_t>(total);
    std::size_t table[256] = {};
    std::size_t s = 8, p = 8, d = 8 + sizeBytes;
    unsigned bit = 0, flags = 0;
    auto fail = [&](const char* text) {
        error = text;
        out.clear();
        return false;
    };
    while (s < n) {
        if (bit == 0) {
            if (d >= length)
                return fail("d9: truncated compressed message");
            flags = in[d++];
            bit = 1;
        }
        if (flags & bit) {
            if (d + 2 > length)
                return fail("d9: truncated compressed message");
            const std::size_t r = table[in[d]];
            const std::size_t extra = in[d + 1];
            d += 2;
            if (r == 0)
                return fail("d9: bad back-reference in compressed message");
            const std::size_t count = 2 + extra;
            if (count > n - s)
                return fail("d9: compressed message expands past its size");
            if (s - r >= count) {
                std::memcpy(dst + s, dst + r, count);
            } else {
                for (std::size_t m = 0; m < count; ++m)
                    dst[s + m] = dst[r + m];
            }
            // Only the first two bytes of a reference enter the table.
            while (p + 1 < s + 2) {
                table[dst[p] ^ dst[p + 1]] = p;
                ++p;
            }
            s += count;
            p = s;
        } else {
            if (d >= length)
                return fail("d9: truncated compressed message");
            dst[s++] = in[d++];
            while (p + 1 < s) {
                table[dst[p] ^ dst[p + 1]] = p;
                ++p;
            }
        }
        bit = (bit << 1) & 0xff;
    }
    if (d != length)
        return fail("d9: compressed message has bytes past its content");
    return true;
}

} // namespace kdb
