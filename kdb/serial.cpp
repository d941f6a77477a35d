// b9, d9 and okx: kdb+'s published serialisation calls over our codec.
#include "kdb/Deserializer.h"
#include "kdb/Serializer.h"
#include "kdb/k.h"
#include "kdb/kbounds.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

K bytesOf(const std::vector<char>& bytes)
{
    K x = ktn(KG, static_cast<J>(bytes.size()));
    if (!bytes.empty())
        std::memcpy(kG(x), bytes.data(), bytes.size());
    return x;
}

} // namespace

// Like kdb+'s -8!, b9 writes the plain message; compression is the
// connection's decision (Compression::worthTrying).
K b9(I mode, K x)
{
    try {
        std::vector<char> message;
        std::string error;
        if (!kdb::Serializer::serialize(x, 0, message, error, mode))
            return krr(error.c_str());
        return bytesOf(message);
    } catch (const std::bad_alloc&) {
        return kdb::localError("wsfull");
    }
}

K d9(K x)
{
    if (!x || x->t != KG)
        return krr("type");
    std::string error;
    K value = nullptr;
    try {
        value = kdb::Deserializer::decodeMessage(reinterpret_cast<const char*>(kG(x)),
                                                 static_cast<std::size_t>(x->n), error);
    } catch (const std::bad_alloc&) {
        error = kdb::Deserializer::kOutOfMemory; // memory ran out outside the decoder's own checks
    }
    if (!value && error == kdb::Deserializer::kOutOfMemory)
        return kdb::localError(kdb::tooLargeText(static_cast<unsigned long long>(x->n)).c_str());
    return value ? value : kdb::localError(error.c_str());
}

I okx(K x)
{
    if (!x || x->t != KG)
        return 0;
    std::string error;
    K value = kdb::Deserializer::decodeMessage(reinterpret_cast<const char*>(kG(x)),
                                               static_cast<std::size_t>(x->n), error);
    if (!value)
        return 0;
    r0(value);
    return 1;
}
