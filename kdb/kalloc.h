// Allocation of K values inside the library.
#pragma once

#include "kdb/k.h"

namespace kdb {

// Like ktn, but the items are left unset: for readers that fill every item
// at once. Big vectors come from the thread's BlockPool.
K ktnUnset(I t, J n);
// ktn (zeroed) or ktnUnset, but null when the memory cannot be had, where
// those abort as kdb+ does: for counts an untrusted peer announced.
K ktnOrNull(I t, J n, bool zeroed);

} // namespace kdb
