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
    // Below 64 bytes even the first group could not end under half the
    // size (and the 12-byte frame prefix would not fit the output).
    if (length < 64 || length > 0x7fffffff)
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
    if (2 * d >= t)
        return false; // the last group can reach exactly half: kdb+ wants less
    writeLength32(b.data() + 4, static_cast<std::uint32_t>(d), little);
    out.assign(reinterpret_cast<const char*>(b.data()), reinterpret_cast<const char*>(b.data()) + d);
    return true;
}

bool Compression::expandedSize(const char* frame, std::size_t length, std::size_t& size, std::string& error)
{
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
    const std::uint64_t total = readLength(in + 8, 4, header.littleEndian);
    if (total < 9) {
        error = "d9: bad size in compressed message";
        return false;
    }
    if (total > maxExpandedSize(length)) {
        error = "d9: compressed message claims more data than it can hold";
        return false;
    }
    size = static_cast<std::size_t>(total);
    return true;
}

bool Compression::decompress(const char* frame, std::size_t length, std::vector<char>& out, std::string& error)
{
    out.clear();
    std::size_t size;
    if (!expandedSize(frame, length, size, error))
        return false;
    out.resize(size);
    if (!expand(frame, length, out.data(), size, error)) {
        out.clear();
        return false;
    }
    return true;
}

bool Compression::expand(const char* frame, std::size_t length, char* plain, std::size_t size, std::string& error)
{
    const auto* in = reinterpret_cast<const Byte*>(frame);
    auto* dst = reinterpret_cast<Byte*>(plain);
    const bool little = in[0] == 1;
    dst[0] = in[0];
    dst[1] = in[1];
    dst[2] = 0;
    dst[3] = 0;
    writeLength32(dst + 4, static_cast<std::uint32_t>(size), little);

    const std::size_t n = size;
    std::size_t table[256] = {};
    std::size_t s = 8, p = 8, d = 12;
    auto fail = [&](const char* text) {
        error = text;
        return false;
    };
    // A group is a control byte and eight items: at most 17 input bytes and
    // 8 * 257 output bytes. Groups far from both ends skip the per-item
    // bounds checks and copy references sixteen bytes at a time (which may
    // write up to fifteen bytes past a reference, overwritten later).
    constexpr std::size_t kGroupOut = 8 * 257 + 16;
    while (s < n && d + 17 <= length && n - s >= kGroupOut) {
        const unsigned flags = in[d++];
        for (unsigned bit = 1; bit < 256; bit <<= 1) {
            if (flags & bit) {
                const std::size_t r = table[in[d]];
                const std::size_t count = 2 + std::size_t(in[d + 1]);
                d += 2;
                if (r == 0)
                    return fail("d9: bad back-reference in compressed message");
                if (s - r >= 16) {
                    for (std::size_t i = 0; i < count; i += 16)
                        std::memcpy(dst + s + i, dst + r + i, 16);
                } else {
                    for (std::size_t i = 0; i < count; ++i)
                        dst[s + i] = dst[r + i];
                }
                // Only the first two bytes of a reference enter the table.
                while (p + 1 < s + 2) {
                    table[dst[p] ^ dst[p + 1]] = p;
                    ++p;
                }
                s += count;
                p = s;
            } else {
                dst[s++] = in[d++];
                if (p + 1 < s) {
                    table[dst[p] ^ dst[p + 1]] = p;
                    ++p;
                }
            }
        }
    }
    unsigned bit = 0, flags = 0;
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
            const std::size_t count = 2 + std::size_t(in[d + 1]);
            d += 2;
            if (r == 0)
                return fail("d9: bad back-reference in compressed message");
            if (count > n - s)
                return fail("d9: compressed message expands past its size");
            if (s - r >= count) {
                std::memcpy(dst + s, dst + r, count);
            } else {
                for (std::size_t i = 0; i < count; ++i)
                    dst[s + i] = dst[r + i];
            }
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
