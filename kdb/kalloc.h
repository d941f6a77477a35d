// Allocation of K values inside the library.
#pragma once

#include "kdb/k.h"

namespace kdb {

// Like ktn, but the items are left unset: for readers that fill every item
// at once. Big vectors come from the thread's BlockPool.
K ktnUnset(I t, J n);

} // namespace kdb
