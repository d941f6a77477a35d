// A small q-like notation for K values, used by instance scripts for replies
// and by the instance to show what it received.
//
//   atoms     42  42i  42h  0x2a  1b  1.5  1.5e  "a"  `sym  ::  0N  0n  0Ni
//             2024.01.31  2024.01m  2024.01.31D10:00:00.000000000
//             10:00  10:00:00  10:00:00.000  0D01:00:00.000000000
//   vectors   1 2 3  1 2 3i  1.5 2  101b  0x0102  "text"  `a`b`c  enlist 1
//   lists     (1;`a;"text")  ()
//   dict      `a`b!1 2
//   tables    ([] a:1 2; b:`x`y)   keyed: ([k:1 2] v:`x`y)
//   lambda    {x+y}
//
// A trailing type letter applies to a whole vector, as in q.
#pragma once

#include "kdb/KPtr.h"

#include <QString>

class ValueNotation {
public:
    // Null (and error set) when the text is not valid notation.
    static KPtr parse(const QString& text, QString* error = nullptr);
    // Text in the same notation (parse(format(x)) equals x for the types above);
    // other types show as <type N>.
    static QString format(K x);
};
