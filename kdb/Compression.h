// kdb+'s IPC compression: an LZ-style scheme where a control byte announces
// eight items, each a literal byte or a back-reference (one byte naming a slot
// of a 256-entry table of earlier positions hashed by the XOR of two
// consecutive bytes, one byte of extra length).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kdb {

class Compression {
public:
    // kdb+ only tries to compress a message longer than 2000 bytes going to
    // a peer that is not on this machine.
    static bool worthTrying(std::size_t messageLength, bool peerIsLocal);

    // Compresses a whole message (header included) into out. Returns false,
    // leaving out empty, when the compressed frame would not be under half
    // of the message (kdb+ then sends it plain).
    static bool compress(const char* message, std::size_t length, std::vector<char>& out);

    // Expands a compressed frame (header included) into the whole plain
    // message. Every back-reference and length is checked; on failure returns
    // false with a readable reason in error.
    static bool decompress(const char* frame, std::size_t length, std::vector<char>& out, std::string& error);

    // The plain size a compressed frame announces, once checked against what
    // the frame can honestly hold.
    static bool expandedSize(const char* frame, std::size_t length, std::size_t& size, std::string& error);
    // Expands a frame into plain, which has the size expandedSize() gave.
    static bool expand(const char* frame, std::size_t length, char* plain, std::size_t size, std::string& error);

    // The largest plain size a frame of this length can honestly expand to.
    static std::size_t maxExpandedSize(std::size_t frameLength);
};

} // namespace kdb
