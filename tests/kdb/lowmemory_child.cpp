// Runs queries against an instance with this process's address space capped
// a little above what it uses once connected, and prints one line per query:
//   error: <text>   value: <type> <count>   lost: <reason>
// then "alive". Usage: tovo-lowmemory-child PORT HEADROOM_MB QUERY...
// Prints "unsupported" where the cap cannot be set (or under a sanitizer,
// whose own memory would be capped too).
#include "AddressSpaceLimit.h"

#include "kdb/k.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#define TOVO_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TOVO_SANITIZED 1
#endif
#endif

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
#ifdef TOVO_SANITIZED
    std::puts("unsupported");
    return 0;
#endif
    const int handle = khpunc("127.0.0.1", std::atoi(argv[1]), "", 5000, 0);
    if (handle <= 0) {
        std::printf("connect failed: %d\n", handle);
        return 1;
    }
    const std::size_t used = AddressSpaceLimit::inUse();
    if (used == 0 || !AddressSpaceLimit::cap(used + std::size_t(std::atoi(argv[2])) * 1024 * 1024)) {
        std::puts("unsupported");
        return 0;
    }
    for (int i = 3; i < argc; ++i) {
        K reply = k(handle, argv[i], static_cast<K>(nullptr));
        if (!reply) {
            std::printf("lost: %s\n", ee(nullptr)->s);
            continue;
        }
        if (reply->t == KERR)
            std::printf("error: %s\n", reply->s);
        else
            std::printf("value: %d %lld\n", reply->t, reply->t >= 0 ? reply->n : 1LL);
        r0(reply);
    }
    kclose(handle);
    std::puts("alive");
    std::fflush(stdout);
    return 0;
}
