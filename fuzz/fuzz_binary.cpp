// Any bytes given to the binary result file reader: a value or a refusal,
// never a fault. A value it reads must write back and read again to the same
// value.
#include "results/binary/BinaryResult.h"

#include "kdb/Serializer.h"
#include "kdb/k.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<char> wire(K x)
{
    std::vector<char> out;
    std::string error;
    if (!kdb::Serializer::serialize(x, 0, out, error, 1))
        out.clear();
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string error;
    K x = BinaryResult::decode(reinterpret_cast<const char*>(data), size, error);
    if (!x)
        return 0;
    std::vector<char> bytes;
    if (BinaryResult::encode(x, bytes, error)) {
        K y = BinaryResult::decode(bytes.data(), bytes.size(), error);
        if (!y)
            std::abort(); // what we wrote we must read
        if (wire(x) != wire(y))
            std::abort();
        r0(y);
    }
    r0(x);
    m9();
    return 0;
}
