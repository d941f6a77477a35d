// Allocation of K values inside the library.
#pragma once

#include "kdb/k.h"

namespace kdb {

// Like ktn, but the items are left unset: for readers that fill every item
// at once. Big vectors come from the thread's BlockPool.
K ktnUnset(I t, J n);
// ktn (zeroed) or ktnUnset, but null when the memory cannot be had, where
// those throw std::bad_alloc: for counts an untrusted peer announced.
K ktnOrNull(I t, J n, bool zeroed);
// ka, but null when the memory cannot be had.
K kaOrNull(I t);

// The one shared atom of type t (101..103 primitives, -1 boolean, -4 byte,
// -10 char) with the byte code in g; null for other types. Shared atoms live
// for the whole program and are never freed: r1 and r0 leave them alone, and
// nobody may change them. Only items inside lists are shared, so that a
// whole reply is always a value of its own (replies are told apart by address).
K sharedAtom(I t, G code);
bool isShared(K x);

} // namespace kdb
