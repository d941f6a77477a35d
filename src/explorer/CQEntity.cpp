#include "explorer/CQEntity.h"

CQEntity::CQEntity(QString nameSpace, QString shortName, int type)
    : m_shortName(std::move(shortName))
    , m_namespace(std::move(nameSpace))
    , m_type(type)
{
}

QString CQEntity::countText() const
{
    return m_count < 0 ? QStringLiteral("Unknown") : QString::number(m_count);
}

QString CQEntity::fullName() const { return joinName(m_namespace, m_shortName); }

QString CQEntity::joinName(const QString& nameSpace, const QString& shortName)
{
    return nameSpace.isEmpty() ? shortName : nameSpace + QLatin1Char('.') + shortName;
}
