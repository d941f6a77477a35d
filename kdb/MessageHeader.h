// The 8-byte header in front of every IPC message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kdb {

enum MessageType : int { MsgAsync = 0, MsgSync = 1, MsgResponse = 2 };

// Capability bytes of the handshake.
enum : int { CapNone = 0, CapCompression = 1, CapGuid = 3, CapLarge = 6 };

struct MessageHeader {
    static constexpr std::size_t kSize = 8;

    bool littleEndian = true;
    int type = MsgAsync;
    bool compressed = false;
    // The whole message (or compressed frame) including these 8 bytes.
    std::uint64_t length = 0;

    // Reads and checks a header from untrusted bytes. Without capability 6 the
    // length is a signed 32-bit count (at most 2 GB); with it, byte 3 carries
    // bits 32..39 of the length.
    static bool parse(const unsigned char* bytes, int capability, MessageHeader& out, std::string& error);
    // Writes a little-endian header; false when the length does not fit the capability.
    bool write(unsigned char* bytes, int capability) const;
    static std::uint64_t maxLength(int capability);
};

// Compressed frames carry the uncompressed length right after the header.
constexpr std::size_t kCompressedPrefix = 12;

} // namespace kdb
