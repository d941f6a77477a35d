// Whole IPC messages to and from K values, for the connection and the test
// instance: the serialiser's output with the right message type, compressed
// when kdb+'s rules allow.
#pragma once

#include "kdb/k.h"

#include <cstddef>
#include <string>
#include <vector>

namespace kdb {

class MessageCodec {
public:
    // kdb+ compresses a message over 2000 bytes, to a peer that is not on
    // this machine, when the connection's capability allows it.
    static bool shouldCompress(std::size_t length, bool peerIsLoopback, int capability);

    // Serialises x as a message of the given type, compressed when
    // shouldCompress() allows and the frame is under half the size. False
    // (and error) when x cannot be serialised or is too long for the capability.
    static bool encode(K x, int type, int capability, bool peerIsLoopback, std::vector<char>& out,
                       std::string& error);

    // Compresses a whole plain message; false when that does not pay.
    static bool compress(const std::vector<char>& message, std::vector<char>& out);

    // Decodes one whole message (header included, compressed or not); an
    // error value when the bytes are malformed.
    static K decode(const char* data, std::size_t size);
    // The same, but null (and error) for malformed bytes, so that a message
    // carrying a q error stays distinguishable.
    static K tryDecode(const char* data, std::size_t size, std::string& error);
};

} // namespace kdb
