// Lowers this process's address-space limit, so that a test can make memory
// run out at a chosen point. Platform code: POSIX setrlimit(RLIMIT_AS).
#pragma once

#include <cstddef>

namespace AddressSpaceLimit {
// Address space mapped by this process now, in bytes; 0 when unknown.
std::size_t inUse();
// Caps the address space at bytes; false where that is not possible.
bool cap(std::size_t bytes);
} // namespace AddressSpaceLimit
