#include "kdb/MessageCodec.h"

#include "kdb/Compression.h"
#include "kdb/Deserializer.h"
#include "kdb/MessageHeader.h"
#include "kdb/Serializer.h"

namespace kdb {

bool MessageCodec::shouldCompress(std::size_t length, bool peerIsLoopback, int capability)
{
    return capability >= CapCompression && Compression::worthTrying(length, peerIsLoopback);
}

bool MessageCodec::encode(K x, int type, int capability, bool peerIsLoopback, std::vector<char>& out,
                          std::string& error)
{
    out.clear();
    if (!Serializer::serialize(x, type, out, error))
        return false;
    MessageHeader header;
    header.type = type;
    header.length = out.size();
    if (!header.write(reinterpret_cast<unsigned char*>(out.data()), capability)) {
        error = "message of " + std::to_string(out.size()) + " bytes too long for the connection";
        out.clear();
        return false;
    }
    if (shouldCompress(out.size(), peerIsLoopback, capability)) {
        std::vector<char> packed;
        if (compress(out, packed))
            out.swap(packed);
    }
    return true;
}

bool MessageCodec::compress(const std::vector<char>& message, std::vector<char>& out)
{
    return Compression::compress(message.data(), message.size(), out);
}

K MessageCodec::tryDecode(const char* data, std::size_t size, std::string& error)
{
    return Deserializer::decodeMessage(data, size, error);
}

K MessageCodec::decode(const char* data, std::size_t size)
{
    std::string error;
    K x = tryDecode(data, size, error);
    return x ? x : krr(error.c_str());
}

} // namespace kdb
