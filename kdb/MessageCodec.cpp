#include "kdb/MessageCodec.h"

#include "kdb/KPtr.h"
#include "kdb/MessageHeader.h"

#include <cstring>

namespace kdb {

bool MessageCodec::shouldCompress(std::size_t length, bool peerIsLoopback, int capability)
{
    return capability >= CapCompression && !peerIsLoopback && length > 2000;
}

bool MessageCodec::encode(K x, int type, int capability, bool peerIsLoopback, std::vector<unsigned char>& out,
                          std::string& error)
{
    KPtr bytes(b9(3, x));
    if (!bytes || bytes->t != KG || bytes->n < static_cast<J>(MessageHeader::kSize) + 1) {
        error = bytes && bytes->t == KERR ? std::string(bytes->s) : std::string("cannot serialise the message");
        return false;
    }
    MessageHeader header;
    header.type = type;
    header.length = static_cast<std::uint64_t>(bytes->n);
    out.resize(static_cast<std::size_t>(bytes->n));
    std::memcpy(out.data(), kG(bytes.get()), out.size());
    if (!header.write(out.data(), capability)) {
        error = "message too long for the connection";
        return false;
    }
    (void)peerIsLoopback;
    return true;
}

K MessageCodec::decode(const unsigned char* data, std::size_t size)
{
    K bytes = ktn(KG, static_cast<J>(size));
    if (size)
        std::memcpy(kG(bytes), data, size);
    K x = d9(bytes);
    r0(bytes);
    return x;
}

} // namespace kdb
