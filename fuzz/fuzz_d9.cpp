// Any bytes given to the message reader: an error or a value, never a fault.
// A value it produces must write back and read again to the same bytes. The
// reader that decodes as bytes arrive must agree with the whole-message one.
#include "kdb/Deserializer.h"
#include "kdb/MessageHeader.h"
#include "kdb/Serializer.h"
#include "kdb/k.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class BytesSource : public kdb::Deserializer::Source {
public:
    BytesSource(const std::uint8_t* data, std::size_t size) : m_data(data), m_left(size) {}
    bool read(void* out, std::size_t size) override
    {
        if (size > m_left)
            return false;
        if (size)
            std::memcpy(out, m_data, size);
        m_data += size;
        m_left -= size;
        return true;
    }
    std::string error() const override { return "end of bytes"; }
    std::size_t left() const { return m_left; }

private:
    const std::uint8_t* m_data;
    std::size_t m_left;
};

// Decodes a plain message as it would arrive; null when it is not one.
K streamed(const std::uint8_t* data, std::size_t size, bool& decoded)
{
    decoded = false;
    kdb::MessageHeader header;
    std::string error;
    if (size < kdb::MessageHeader::kSize || !kdb::MessageHeader::parse(data, kdb::CapLarge, header, error)
        || header.compressed || header.length != size)
        return nullptr;
    BytesSource source(data + kdb::MessageHeader::kSize, size - kdb::MessageHeader::kSize);
    bool lost = false;
    K x = kdb::Deserializer::decodeStreamed(source, header, error, lost);
    if (lost || source.left() != 0)
        std::abort(); // the message was all there and must be read to its end
    decoded = true;
    return x;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string error;
    K x = kdb::Deserializer::decodeMessage(reinterpret_cast<const char*>(data), size, error);
    bool plain = false;
    K s = streamed(data, size, plain);
    if (plain && (s != nullptr) != (x != nullptr))
        std::abort();
    if (s)
        r0(s);
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
