// A name that functions use but that is neither an entity nor a namespace.
#pragma once

#include "explorer/CQEntity.h"

class CQUnresolved : public CQEntity {
public:
    explicit CQUnresolved(QString name) : CQEntity(QString(), std::move(name), Unresolved) {}
    int kind() const override { return Unresolved; }
};
