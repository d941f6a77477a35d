#include "AddressSpaceLimit.h"

#include <cstdio>
#include <sys/resource.h>

std::size_t AddressSpaceLimit::inUse()
{
    // The first field of statm: the whole mapped size, in pages.
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f)
        return 0;
    unsigned long long pages = 0;
    const int got = std::fscanf(f, "%llu", &pages);
    std::fclose(f);
    return got == 1 ? static_cast<std::size_t>(pages) * 4096 : 0;
}

bool AddressSpaceLimit::cap(std::size_t bytes)
{
    rlimit limit {};
    if (getrlimit(RLIMIT_AS, &limit) != 0)
        return false;
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    return setrlimit(RLIMIT_AS, &limit) == 0;
}
