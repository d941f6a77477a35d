// Any bytes given to the message reader: an error or a value, never a fault.
// A value it produces must write back and read again to the same bytes.
#include "kdb/Deserializer.h"
#include "kdb/Serializer.h"
#include "kdb/k.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string error;
    K x = kdb::Deserializer::decodeMessage(reinterpret_cast<const char*>(data), size, error);
    if (!x) {
        // The same bytes as a bare value, in both byte orders.
        for (bool little : {true, false}) {
            K v = kdb::Deserializer::decodeValue(reinterpret_cast<const char*>(data), size, little, error);
            if (v)
                r0(v);
        }
        return 0;
    }
    std::vector<char> first, second;
    if (kdb::Serializer::serialize(x, 0, first, error, 1)) {
        K y = kdb::Deserializer::decodeMessage(first.data(), first.size(), error);
        if (!y)
            std::abort(); // what we wrote we must read
        if (!kdb::Serializer::serialize(y, 0, second, error, 1) || second != first)
            std::abort();
        r0(y);
    }
    r0(x);
    m9();
    return 0;
}
