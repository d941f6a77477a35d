// Reading kdb+ IPC messages (version 3) into K values. Every byte is
// untrusted: counts and lengths are checked against what remains, nesting is
// bounded, and a malformed message yields an error, never a crash.
#pragma once

#include "kdb/k.h"

#include <cstddef>
#include <string>

namespace kdb {

class Deserializer {
public:
    static constexpr int kMaxDepth = 512;

    // Decodes exactly one whole message (8-byte header included, either byte
    // order, compressed or not). Returns the value, or null with a reason in
    // error when the bytes are not one well-formed message. A message that
    // carries a q error decodes to a value of type -128.
    static K decodeMessage(const char* data, std::size_t length, std::string& error);

    // Decodes one value without header that fills exactly length bytes.
    static K decodeValue(const char* data, std::size_t length, bool littleEndian, std::string& error);
};

} // namespace kdb
