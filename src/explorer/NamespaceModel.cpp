#include "explorer/NamespaceModel.h"

CQEntity* NamespaceModel::find(const QString& fullName) const
{
    const auto it = m_entities.constFind(fullName);
    return it == m_entities.constEnd() ? nullptr : it->get();
}

CQEntity* NamespaceModel::insert(std::unique_ptr<CQEntity> entity)
{
    CQEntity* raw = entity.get();
    m_entities.insert(raw->fullName(), std::shared_ptr<CQEntity>(std::move(entity)));
    return raw;
}

bool NamespaceModel::remove(const QString& fullName) { return m_entities.remove(fullName) > 0; }
