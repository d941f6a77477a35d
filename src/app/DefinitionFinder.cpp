#include "app/DefinitionFinder.h"

#include "explorer/CQEntity.h"
#include "explorer/CQFunction.h"
#include "explorer/NamespaceModel.h"
#include "files/CodebaseMatch.h"

QString DefinitionFinder::resolve(const NamespaceModel& model, const QString& identifier)
{
    if (identifier.isEmpty())
        return QString();
    if (model.contains(identifier))
        return identifier;
    if (identifier.contains(u'.'))
        return QString();
    QString found;
    for (const auto& [name, entity] : model.entities().asKeyValueRange()) {
        if (entity->kind() != CQEntity::Function || entity->shortName() != identifier)
            continue;
        if (!found.isEmpty())
            return QString(); // more than one namespace defines it: no guess
        found = name;
    }
    return found;
}

Definition DefinitionFinder::find(const NamespaceModel* model, const SearchFiles::FileMap& local, const QString& identifier)
{
    Definition out;
    if (!model)
        return out;
    out.name = resolve(*model, identifier);
    const CQEntity* entity = out.name.isEmpty() ? nullptr : model->find(out.name);
    if (!entity)
        return Definition();
    out.kind = Definition::Entity;
    if (entity->kind() != CQEntity::Function)
        return out;
    const auto* function = static_cast<const CQFunction*>(entity);
    const auto file = model->files.constFind(function->fileName());
    if (function->fileName().isEmpty() || file == model->files.constEnd())
        return out;
    out.line = function->fileLine();
    if (!local.empty()) {
        CodebaseMatch match;
        const QString counterpart = match.counterpart(file.key(), file.value(), local, true);
        if (!counterpart.isEmpty()) {
            out.kind = Definition::LocalFile;
            out.path = counterpart;
            return out;
        }
    }
    out.kind = Definition::RemoteText;
    out.path = file.key();
    out.text = file.value();
    return out;
}
