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
    // Writes x without a header at out, which holds the valueSize() bytes
    // that valueSize() accepted in the same mode.
    static void writeValue(K x, char* out);

    // The same bytes as pieces, for writing without copying large vectors:
    // runs of out (which holds valueSize() bytes) between references to the
    // items of x's own vectors. Valid while x and out live unchanged.
    struct Piece {
        const char* data;
        std::size_t size;
    };
    static void writePieces(K x, char* out, std::vector<Piece>& pieces);
};

} // namespace kdb
