#include "results/binary/BinaryResult.h"

#include "kdb/Deserializer.h"
#include "kdb/Serializer.h"

#include <cstdint>
#include <cstring>
#include <limits>

namespace {

constexpr unsigned char kVectorMark = 0xFE;
constexpr unsigned char kSerialMark = 0xFF;
constexpr std::size_t kVectorHead = 16;

std::uint32_t readLe32(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
}

void writeLe32(char* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Type, attribute, 32-bit count and data as one serialised value, for the
// reader that checks every count against what remains.
K decodeSerialisedVector(char type, char attribute, std::uint32_t count, const char* data, std::size_t size,
                         std::string& error)
{
    std::vector<char> bytes(6 + size);
    bytes[0] = type;
    bytes[1] = attribute;
    writeLe32(bytes.data() + 2, count);
    if (size)
        std::memcpy(bytes.data() + 6, data, size);
    return kdb::Deserializer::decodeValue(bytes.data(), bytes.size(), true, error);
}

} // namespace

int BinaryResult::itemWidth(int type)
{
    switch (type) {
    case KB: case KG: case KC: return 1;
    case UU: return 16;
    case KH: return 2;
    case KI: case KE: case KS: case KM: case KD: case KU: case KV: case KT: return 4;
    case KJ: case KF: case KP: case KZ: case KN: return 8;
    default: return 0;
    }
}

bool BinaryResult::isVectorLayout(K x) { return x && x->t >= 1 && x->t <= 19 && x->t != KS; }

bool BinaryResult::write(K x, kdb::Serializer::Sink& sink, std::string& error)
{
    error.clear();
    if (!x) {
        error = "no value";
        return false;
    }
    if (isVectorLayout(x)) {
        if (x->n < 0 || x->n > std::numeric_limits<std::int32_t>::max()) {
            error = "the vector has too many items for a binary file";
            return false;
        }
        char head[kVectorHead] = {};
        head[0] = static_cast<char>(kVectorMark);
        head[1] = 0x20;
        head[2] = x->t;
        head[3] = static_cast<char>(x->u);
        writeLe32(head + 8, static_cast<std::uint32_t>(x->n));
        const std::size_t bytes = static_cast<std::size_t>(x->n) * static_cast<std::size_t>(itemWidth(x->t));
        return sink.write(head, sizeof head) && (!bytes || sink.write(reinterpret_cast<const char*>(kG(x)), bytes));
    }
    // The serialiser checks the whole value before its sink sees a byte, so
    // the mark goes out only for a value that will follow.
    class AfterMark : public kdb::Serializer::Sink {
    public:
        explicit AfterMark(kdb::Serializer::Sink& sink) : m_sink(sink) {}
        bool write(const char* data, std::size_t size) override
        {
            if (!m_marked) {
                const char mark[2] = {static_cast<char>(kSerialMark), 0x01};
                if (!m_sink.write(mark, sizeof mark))
                    return false;
                m_marked = true;
            }
            return m_sink.write(data, size);
        }
        bool finish() override { return m_sink.finish(); }

    private:
        kdb::Serializer::Sink& m_sink;
        bool m_marked = false;
    } marked(sink);
    return kdb::Serializer::writeTo(x, kdb::Serializer::kDefaultMode, marked, error);
}

bool BinaryResult::encode(K x, std::vector<char>& out, std::string& error)
{
    class Bytes : public kdb::Serializer::Sink {
    public:
        explicit Bytes(std::vector<char>& out) : m_out(out) {}
        bool write(const char* data, std::size_t size) override
        {
            m_out.insert(m_out.end(), data, data + size);
            return true;
        }

    private:
        std::vector<char>& m_out;
    } bytes(out);
    out.clear();
    return write(x, bytes, error);
}

K BinaryResult::decode(const char* data, std::size_t size, std::string& error)
{
    if (!data || size < 4) {
        error = "the file is too short";
        return nullptr;
    }
    const auto mark = static_cast<unsigned char>(data[0]);
    if (mark == kSerialMark)
        return kdb::Deserializer::decodeValue(data + 2, size - 2, true, error);
    if (mark != kVectorMark) {
        error = "not a binary result file";
        return nullptr;
    }
    const char type = data[2];
    const char attribute = data[3];
    if (type == 0) {
        error = "type 0 in a vector file";
        return nullptr;
    }
    if (size < 8) {
        error = "the file is too short";
        return nullptr;
    }
    const std::uint32_t count = readLe32(data + 4);
    if (count != 0)
        return decodeSerialisedVector(type, attribute, count, data + 8, size - 8, error);

    const int width = itemWidth(type);
    if (!width) {
        error = "unknown item type in a vector file";
        return nullptr;
    }
    if (size < kVectorHead) {
        error = "the file is too short";
        return nullptr;
    }
    const std::size_t dataSize = size - kVectorHead;
    const std::size_t items = dataSize / static_cast<std::size_t>(width);
    if (items > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        error = "too many items for a vector file";
        return nullptr;
    }
    if (type == KS || dataSize % static_cast<std::size_t>(width) != 0)
        return decodeSerialisedVector(type, attribute, static_cast<std::uint32_t>(items), data + kVectorHead,
                                      dataSize, error);
    // The items lie as in memory: straight into the vector.
    K x = ktn(type, static_cast<J>(items));
    x->u = attribute;
    if (dataSize)
        std::memcpy(kG(x), data + kVectorHead, dataSize);
    return x;
}
