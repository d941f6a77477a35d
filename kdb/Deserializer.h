// Reading kdb+ IPC messages (version 3) into K values. Every byte is
// untrusted: counts and lengths are checked against what remains, nesting is
// bounded, and a malformed message yields an error, never a crash.
#pragma once

#include "kdb/MessageHeader.h"
#include "kdb/k.h"

#include <cstddef>
#include <string>

namespace kdb {

class Deserializer {
public:
    static constexpr int kMaxDepth = 512;
    // The error of a message whose value does not fit in the memory available;
    // whatever was built of it has been freed. Short enough to be stored
    // without allocating, as memory has just run out.
    static constexpr const char* kOutOfMemory = "d9: wsfull";

    // Decodes exactly one whole message (8-byte header included, either byte
    // order, compressed or not). Returns the value, or null with a reason in
    // error when the bytes are not one well-formed message. A message that
    // carries a q error decodes to a value of type -128.
    static K decodeMessage(const char* data, std::size_t length, std::string& error);

    // Where a streamed message's bytes come from, in order.
    class Source {
    public:
        virtual ~Source() = default;
        // Fills exactly size bytes; false when the bytes cannot be had.
        virtual bool read(void* data, std::size_t size) = 0;
        // Why the last read failed.
        virtual std::string error() const = 0;
    };

    // Decodes one plain message whose header has been read, taking the rest
    // from source as the value is built: vector bodies go straight into their
    // vectors, so no copy of the whole message is ever held. The message is
    // always read to its end (a malformed one becomes null with error), unless
    // the source fails: then null, sourceFailed set, and the source is lost.
    static K decodeStreamed(Source& source, const MessageHeader& header, std::string& error, bool& sourceFailed);

    // Decodes one value without header that fills exactly length bytes.
    static K decodeValue(const char* data, std::size_t length, bool littleEndian, std::string& error);
};

} // namespace kdb
