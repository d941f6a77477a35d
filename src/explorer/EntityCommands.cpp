#include "explorer/EntityCommands.h"

#include "explorer/CQEntity.h"
#include "explorer/CQTable.h"
#include "explorer/NamespaceModel.h"

QString EntityCommands::sourceText(const QString& fullName, const QString& definition)
{
    QString name = fullName;
    QString body = definition;
    if (body.startsWith(QStringLiteral("k)"))) {
        body.remove(0, 2);
        name.prepend(QStringLiteral("k)"));
    }
    // The editor keeps LF line ends; a CR from the reply would show as a break too.
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return name + u':' + body + QStringLiteral(";\n\n");
}

QString EntityCommands::sourceFailedText(const QString& fullName, const QString& reason)
{
    return QStringLiteral("Could not get the source of %1:\n%2").arg(fullName, reason);
}

QString EntityCommands::deleteQuery(const CQEntity& entity)
{
    QString from = QStringLiteral("`.") + entity.nameSpace();
    from.replace(QStringLiteral("`.."), QStringLiteral("`."));
    return QStringLiteral("delete ") + entity.shortName() + QStringLiteral(" from ") + from;
}

QString EntityCommands::deleteQuestion(const QString& query)
{
    return QStringLiteral("You are about to ") + query + QStringLiteral("\n Are you absolutely sure???");
}

const CQEntity* EntityCommands::largest(const NamespaceModel& model, bool serialised)
{
    const CQEntity* best = nullptr;
    std::int64_t bestSize = 0;
    for (const auto& item : model.entities()) {
        const CQEntity* entity = item.get();
        if (entity->kind() == CQEntity::Table) {
            const int storage = static_cast<const CQTable*>(entity)->storage();
            if (storage >= CQTable::OnDisk && storage <= CQTable::Segmented)
                continue;
        }
        const std::int64_t size = serialised ? entity->serialisedSize() : entity->sizeEstimate();
        if (size > bestSize || (best && size == bestSize && entity->fullName() < best->fullName())) {
            best = entity;
            bestSize = size;
        }
    }
    return best;
}
