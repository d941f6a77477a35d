// Writing K values as kdb+ IPC messages (version 3, little endian).
#pragma once

#include "kdb/k.h"

#include <cstddef>
#include <string>
#include <vector>

namespace kdb {

class Serializer {
public:
    // b9's modes: 0 refuses timestamps, timespans and guids (peers before
    // kdb+ 2.6), 1 keeps enumerations as they are, 2, 3 and -1 are the
    // usual IPC encoding (enumerations must already be plain symbols).
    static constexpr int kDefaultMode = 3;

    // Appends one whole message (8-byte header with the given message type,
    // then x) to out. Returns false with a reason in error when x cannot be
    // written; out is then unchanged.
    static bool serialize(K x, int messageType, std::vector<char>& out, std::string& error,
                          int mode = kDefaultMode);

    // Bytes x occupies without the header, or false when it cannot be written.
    static bool valueSize(K x, int mode, std::size_t& size, std::string& error);
    // Takes a value's bytes in order. The bytes of a write stay as they are
    // until the next write returns, or finish() after the last one, so a
    // sink may still be passing them on while the writer fills its other
    // chunk.
    class Sink {
    public:
        virtual ~Sink() = default;
        // False when the bytes could not be taken: nothing more is offered.
        virtual bool write(const char* data, std::size_t size) = 0;
        // After the last write: false when the bytes could not all be taken.
        virtual bool finish() { return true; }
    };
    // Writes x without a header to sink, its small items gathered into runs
    // and the bodies of its large vectors handed over as they lie in x, so
    // they are never copied here. False with the reason in error when x
    // cannot be written (then the sink got nothing), or with error empty when
    // the sink refused bytes.
    static bool writeTo(K x, int mode, Sink& sink, std::string& error);
};

} // namespace kdb
