#include "explorer/CrossReference.h"

#include "explorer/CQFunction.h"
#include "explorer/NamespaceModel.h"

#include <QStringList>

QString CrossReference::qualify(QString name, const QString& functionNamespace)
{
    // An absolute name stays as it is (a second leading dot would name nothing).
    if (name.startsWith(QLatin1Char('.')))
        return name;
    if (!functionNamespace.isEmpty())
        name = functionNamespace + QLatin1Char('.') + name;
    if (name.indexOf(QLatin1Char('.'), 1) > 0)
        name.prepend(QLatin1Char('.'));
    return name;
}

namespace {
void appendUser(CQEntity& entity, const QString& user)
{
    const QString used = entity.usedInText();
    if (used.isEmpty()) {
        entity.setUsedInText(user);
        return;
    }
    if ((QStringLiteral(", ") + used + QStringLiteral(", ")).contains(QStringLiteral(", ") + user + QStringLiteral(", ")))
        return;
    entity.setUsedInText(used + QStringLiteral(", ") + user);
}
} // namespace

void CrossReference::compute(NamespaceModel& model)
{
    for (const QString& name : std::as_const(model.projections)) {
        auto* projection = dynamic_cast<CQFunction*>(model.find(name));
        if (!projection || projection->baseBody().startsWith(QLatin1String("code")))
            continue;
        const auto lambda = model.bodies.constFind(projection->baseBody());
        if (lambda == model.bodies.constEnd())
            continue;
        projection->setMatchedTo(*lambda);
        if (CQEntity* base = model.find(*lambda)) {
            const QString used = base->usedInText();
            base->setUsedInText(used.isEmpty() ? name : used + QStringLiteral(", ") + name);
        }
    }
    for (const QString& name : std::as_const(model.functionOrder)) {
        auto* function = dynamic_cast<CQFunction*>(model.find(name));
        if (!function)
            continue;
        QStringList parts;
        for (const QString* part : {&function->globals(), &function->nestedGlobals(), &function->symbolReferences()})
            if (!part->isEmpty())
                parts << *part;
        for (const QString& used : parts.join(QStringLiteral(", ")).split(QStringLiteral(", "), Qt::SkipEmptyParts)) {
            if (CQEntity* entity = model.find(qualify(used, function->functionNamespace())))
                appendUser(*entity, name);
        }
    }
}
