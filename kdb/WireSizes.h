// How many bytes one item of a simple type takes in an IPC message.
#pragma once

#include "kdb/k.h"

namespace kdb {

// For type t (1..76, the type of a list or the negated type of an atom): the
// fixed size of one item on the wire; 0 for symbols (null-terminated text)
// and for types without fixed-size items.
inline J wireItemSize(int t)
{
    switch (t) {
    case KB: case KG: case KC: return 1;
    case UU: return 16;
    case KH: return 2;
    case KI: case KE: case KM: case KD: case KU: case KV: case KT: return 4;
    case KJ: case KF: case KP: case KZ: case KN: return 8;
    default:
        if (t >= 20 && t <= 76)
            return 8; // enumerations carry their long index
        return 0;
    }
}

} // namespace kdb
