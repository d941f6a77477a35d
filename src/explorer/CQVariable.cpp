#include "explorer/CQVariable.h"

#include "explorer/ElementSizes.h"

CQVariable::CQVariable(QString nameSpace, QString shortName, int type, std::int64_t count,
                       std::int64_t serialisedSize)
    : CQEntity(std::move(nameSpace), std::move(shortName), type)
{
    m_count = count;
    m_serialisedSize = serialisedSize;
    const int element = ElementSizes::ofType(type);
    if (element > 0)
        m_sizeEstimate = type < 0 ? element : (count >= 0 ? count * element : -1);
}
