#include "connect/ProcessMemory.h"

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#else
#include <cstdio>
#include <unistd.h>
#endif

std::int64_t ProcessMemory::workingSet()
{
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return -1;
    return static_cast<std::int64_t>(counters.WorkingSetSize);
#elif defined(__linux__)
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f)
        return -1;
    long long size = 0;
    long long resident = 0;
    const int read = std::fscanf(f, "%lld %lld", &size, &resident);
    std::fclose(f);
    if (read != 2)
        return -1;
    return static_cast<std::int64_t>(resident) * sysconf(_SC_PAGESIZE);
#else
    return -1;
#endif
}
