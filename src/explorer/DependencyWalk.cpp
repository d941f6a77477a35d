#include "explorer/DependencyWalk.h"

#include "explorer/CQEntity.h"
#include "explorer/CQFunction.h"
#include "explorer/NamespaceModel.h"

namespace {

const QString kIndent = QStringLiteral("\n    ");
// " (???)", escaped so that no compiler reads a trigraph in it.
const QString kUnknown = QStringLiteral(" (\?\?\?)");

QStringList splitNames(const QString& text)
{
    return text.split(QStringLiteral(", "), Qt::SkipEmptyParts);
}

DependencyWalk::Item* addItem(DependencyWalk::Item* parent, const QString& name, int image)
{
    if (!parent)
        return nullptr;
    parent->children.push_back({name, image, {}});
    return &parent->children.back();
}

QString indented(QString text)
{
    return text.replace(QStringLiteral("\n"), kIndent);
}

QString described(const CQEntity& entity)
{
    return entity.description().isEmpty() ? QStringLiteral(" (var)")
                                          : QStringLiteral(" (") + entity.description() + u')';
}

bool onPath(const QString& path, const QString& name) { return path.contains(u';' + name + u';'); }

} // namespace

QString DependencyWalk::heading(const CQEntity& e)
{
    if (e.kind() != CQEntity::Function)
        return e.fullName();
    const auto& f = static_cast<const CQFunction&>(e);
    const QString shown = f.displayName().isEmpty() ? f.shortName() : f.displayName();
    return f.nameSpace().isEmpty() ? shown : f.nameSpace() + u'.' + shown;
}

QString DependencyWalk::dependencies(const CQFunction& f, const QString& path, const NamespaceModel& model,
                                     Item* parent)
{
    const QString self = f.fullName();
    if (onPath(path, self))
        return self + QStringLiteral(" (loop!)");
    QStringList candidates = splitNames(f.globals());
    candidates += splitNames(f.nestedGlobals());
    for (const QString& symbol : splitNames(f.symbolReferences()))
        if (model.contains(symbol))
            candidates << symbol;
    if (candidates.isEmpty() && !f.matchedTo().isEmpty())
        candidates << f.matchedTo(); // a projection depends on its lambda
    QString children;
    QStringList seen;
    for (QString name : candidates) {
        if (!name.contains(u'.') && !f.functionNamespace().isEmpty())
            name = u'.' + f.functionNamespace() + u'.' + name;
        if (seen.contains(name))
            continue;
        seen << name;
        const CQEntity* entity = model.find(name);
        if (name == self) {
            addItem(parent, self, f.kind());
            children += kIndent + name + QStringLiteral(" (slf)");
        } else if (entity && entity->kind() == CQEntity::Function) {
            Item* item = addItem(parent, name, entity->kind());
            children += kIndent
                + indented(dependencies(static_cast<const CQFunction&>(*entity), path + u';' + self + u';', model, item));
        } else if (entity) {
            addItem(parent, name, entity->kind());
            children += kIndent + name + described(*entity);
        } else {
            addItem(parent, name, 7);
            children += kIndent + name + kUnknown;
        }
    }
    return heading(f) + children;
}

QString DependencyWalk::callers(const CQEntity& e, const QString& path, const NamespaceModel& model, Item* parent)
{
    const QString self = e.fullName();
    if (onPath(path, self))
        return self + QStringLiteral(" (loop!)");
    QString children;
    for (const QString& name : splitNames(e.usedInText())) {
        const CQEntity* entity = model.find(name);
        if (name == self) {
            addItem(parent, self, e.kind());
            children += kIndent + name + QStringLiteral(" (slf)");
        } else if (entity && entity->kind() == CQEntity::Function) {
            Item* item = addItem(parent, name, entity->kind());
            children += kIndent + indented(callers(*entity, path + u';' + self + u';', model, item));
        } else if (entity) {
            addItem(parent, name, entity->kind());
            children += kIndent + name + described(*entity);
        } else {
            children += kIndent + name + kUnknown;
        }
    }
    return heading(e) + children;
}

QStringList DependencyWalk::functionNames(const QString& walkText)
{
    QStringList names;
    for (QString line : walkText.split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.contains(u'('))
            continue;
        const qsizetype bracket = line.indexOf(u'[');
        if (bracket >= 0)
            line.truncate(bracket);
        if (!line.isEmpty() && !names.contains(line))
            names << line;
    }
    return names;
}

QString DependencyWalk::sourceQuery(const QStringList& names)
{
    QString list;
    for (const QString& name : names)
        list += u'`' + name;
    return QStringLiteral("{x!{.:[x]}each x}(),{x@where {112h<>type .:[x]}each x}(),") + list;
}
