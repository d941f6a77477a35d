#include "kdb/MessageHeader.h"

namespace kdb {

std::uint64_t MessageHeader::maxLength(int capability)
{
    return capability >= CapLarge ? 0xFFFFFFFFFFull : 0x7FFFFFFFull;
}

bool MessageHeader::parse(const unsigned char* b, int capability, MessageHeader& out, std::string& error)
{
    if (b[0] > 1) {
        error = "bad message header: byte order " + std::to_string(b[0]);
        return false;
    }
    if (b[1] > MsgResponse) {
        error = "bad message header: message type " + std::to_string(b[1]);
        return false;
    }
    if (b[2] > 1) {
        error = "bad message header: compression flag " + std::to_string(b[2]);
        return false;
    }
    out.littleEndian = b[0] == 1;
    out.type = b[1];
    out.compressed = b[2] == 1;
    std::uint64_t low = out.littleEndian
        ? (std::uint64_t(b[4]) | std::uint64_t(b[5]) << 8 | std::uint64_t(b[6]) << 16 | std::uint64_t(b[7]) << 24)
        : (std::uint64_t(b[7]) | std::uint64_t(b[6]) << 8 | std::uint64_t(b[5]) << 16 | std::uint64_t(b[4]) << 24);
    out.length = capability >= CapLarge ? (low | std::uint64_t(b[3]) << 32) : low;
    if (out.length > maxLength(capability)) {
        error = "bad message header: length " + std::to_string(out.length) + " over the limit of the connection";
        return false;
    }
    const std::uint64_t minimum = out.compressed ? kCompressedPrefix + 1 : kSize + 1;
    if (out.length < minimum) {
        error = "bad message header: length " + std::to_string(out.length) + " too short";
        return false;
    }
    return true;
}

bool MessageHeader::write(unsigned char* b, int capability) const
{
    if (length > maxLength(capability) || length < kSize)
        return false;
    b[0] = 1;
    b[1] = static_cast<unsigned char>(type);
    b[2] = compressed ? 1 : 0;
    b[3] = static_cast<unsigned char>(length >> 32);
    b[4] = static_cast<unsigned char>(length);
    b[5] = static_cast<unsigned char>(length >> 8);
    b[6] = static_cast<unsigned char>(length >> 16);
    b[7] = static_cast<unsigned char>(length >> 24);
    return true;
}

} // namespace kdb
