// A kept result: where and when it came from, and one reference to its value.
#pragma once

#include "results/grid/CResultInfo.h"

#include "kdb/KPtr.h"

struct CResultWithInfo {
    CResultInfo info;
    KPtr value;

    // The roundtrip as "045ms" below a second, else "01:30.500".
    QString roundtripText() const;
    QString sizeText() const;
};
