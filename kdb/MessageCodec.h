// Whole IPC messages to and from K values, for the connection and the test
// instance: the serialiser's output with the right message type, compressed
// when the rules allow.
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

    // Serialises x as a message of the given type; compresses it when
    // shouldCompress() allows and the result is under half the size. False
    // (and error) when x cannot be serialised or is too long for the capability.
    static bool encode(K x, int type, int capability, bool peerIsLoopback, std::vector<unsigned char>& out,
                       std::string& error);

    // Decodes one whole message (header included, compressed or not); an
    // error value when the bytes are malformed.
    static K decode(const unsigned char* data, std::size_t size);
};

} // namespace kdb
