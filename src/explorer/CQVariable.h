// A variable of a namespace: type, count and serialised size from the
// variables query, and a size estimate from its type and count.
#pragma once

#include "explorer/CQEntity.h"

class CQVariable : public CQEntity {
public:
    CQVariable(QString nameSpace, QString shortName, int type, std::int64_t count, std::int64_t serialisedSize);
    int kind() const override { return Variable; }
};
