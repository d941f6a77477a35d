// Any bytes as a compressed frame: an error or a plain message, never a fault
// nor an output larger than the frame can justify. Any bytes as a plain
// message: compressing then expanding gives them back.
#include "kdb/Compression.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    std::vector<char> out;
    std::string error;
    if (kdb::Compression::decompress(bytes, size, out, error) && out.size() > kdb::Compression::maxExpandedSize(size))
        std::abort();

    // The same bytes behind a plain header.
    std::vector<char> plain(8 + size);
    const std::uint32_t length = static_cast<std::uint32_t>(plain.size());
    plain[0] = 1;
    std::memcpy(plain.data() + 4, &length, 4);
    if (size)
        std::memcpy(plain.data() + 8, bytes, size);
    std::vector<char> frame, back;
    if (kdb::Compression::compress(plain.data(), plain.size(), frame)) {
        if (2 * frame.size() >= plain.size())
            std::abort();
        if (!kdb::Compression::decompress(frame.data(), frame.size(), back, error) || back != plain)
            std::abort();
    }
    return 0;
}
