// A test authentication plug-in. Its credentials are the text of the
// environment variable TOVO_AUTHTEST_REPLY, or "plug:" and the input.
// Built a second time without GetCredentialString (TOVO_AUTH_NO_CREDENTIALS).
#include <cstdlib>
#include <string>

#if defined(_WIN32)
#define TOVO_EXPORT extern "C" __declspec(dllexport)
#else
#define TOVO_EXPORT extern "C" __attribute__((visibility("default")))
#endif

TOVO_EXPORT const char16_t* GetAuthMethodName()
{
#ifdef TOVO_AUTH_NO_CREDENTIALS
    return u"noproc";
#else
    return u"testauth";
#endif
}

#ifndef TOVO_AUTH_NO_CREDENTIALS
TOVO_EXPORT int GetCredentialString(const char16_t* input, char16_t* buffer, int size)
{
    std::u16string reply;
    if (const char* fixed = std::getenv("TOVO_AUTHTEST_REPLY")) {
        for (const char* c = fixed; *c; ++c)
            reply += static_cast<char16_t>(static_cast<unsigned char>(*c));
    } else {
        reply = u"plug:";
        reply += input;
    }
    if (static_cast<int>(reply.size()) + 1 > size)
        return static_cast<int>(reply.size());
    reply.copy(buffer, reply.size());
    buffer[reply.size()] = u'\0';
    return 0;
}
#endif
