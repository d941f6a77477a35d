// The process's working-set size, sampled around a query.
#pragma once

#include <cstdint>

class ProcessMemory {
public:
    // Bytes, or -1 when it cannot be read.
    static std::int64_t workingSet();
};
