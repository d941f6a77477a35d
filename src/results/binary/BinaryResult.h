// Values as binary result files, in kdb+'s own on-disk layouts:
//  - a simple vector (types 1..19 but symbols): FE 20, type, attribute, four
//    zero bytes, the 32-bit count, four zero bytes, then the items;
//  - anything else: FF 01 and the value serialised as for IPC, no header.
// No Qt here: the fuzz target and tovo-cli use it as it is. Every byte read is
// untrusted: sizes and counts are checked before use.
#pragma once

#include "kdb/BlockPool.h"
#include "kdb/Serializer.h"
#include "kdb/k.h"

#include <cstddef>
#include <string>
#include <vector>

class BinaryResult {
public:
    // A file's bytes as a head and a body of pieces. The pieces point into
    // the value itself for its large vectors, so they are never copied, and
    // into storage (a block reused from one save to the next) for the rest.
    struct Encoded {
        std::vector<char> head;
        std::vector<kdb::Serializer::Piece> body;
        kdb::PooledBuffer storage;

        std::size_t size() const;
        std::vector<char> bytes() const;
    };

    // True when x is written in the simple-vector layout.
    static bool isVectorLayout(K x);
    // The item width of a simple type in the vector layout; 0 for other types.
    static int itemWidth(int type);

    // False with error when x cannot be written (a null value, a vector of
    // more than 2^31-1 items, a value the serialiser refuses).
    static bool encode(K x, Encoded& out, std::string& error);

    // The value of a file's bytes, or null with error when they are not a
    // binary result file.
    static K decode(const char* data, std::size_t size, std::string& error);
};
