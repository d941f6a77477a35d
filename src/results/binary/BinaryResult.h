// Values as binary result files, in kdb+'s own on-disk layouts:
//  - a simple vector (types 1..19 but symbols): FE 20, type, attribute, four
//    zero bytes, the 32-bit count, four zero bytes, then the items;
//  - anything else: FF 01 and the value serialised as for IPC, no header.
// No Qt here: the fuzz target and tovo-cli use it as it is. Every byte read is
// untrusted: sizes and counts are checked before use.
#pragma once

#include "kdb/Serializer.h"
#include "kdb/k.h"

#include <cstddef>
#include <string>
#include <vector>

class BinaryResult {
public:
    // True when x is written in the simple-vector layout.
    static bool isVectorLayout(K x);
    // The item width of a simple type in the vector layout; 0 for other types.
    static int itemWidth(int type);

    // Writes x's file bytes to sink, its large vectors straight from x.
    // False with error when x cannot be written (a null value, a vector of
    // more than 2^31-1 items, a value the serialiser refuses: the sink then
    // got nothing), or with error empty when the sink refused bytes.
    static bool write(K x, kdb::Serializer::Sink& sink, std::string& error);
    // The same bytes in memory.
    static bool encode(K x, std::vector<char>& out, std::string& error);

    // The value of a file's bytes, or null with error when they are not a
    // binary result file.
    static K decode(const char* data, std::size_t size, std::string& error);
};
