#include "AddressSpaceLimit.h"

std::size_t AddressSpaceLimit::inUse() { return 0; }
bool AddressSpaceLimit::cap(std::size_t) { return false; }
