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

// Lines still allowed to the whole walk.
struct Budget {
    int left = DependencyWalk::kMaxLines;
    bool spent() const { return left <= 0; }
    void take() { --left; }
};

QString walkDependencies(const CQFunction& f, const QString& path, const NamespaceModel& model,
                         DependencyWalk::Item* parent, Budget& budget);
QString walkCallers(const CQEntity& e, const QString& path, const NamespaceModel& model, DependencyWalk::Item* parent,
                    Budget& budget);

QString finished(QString text, const Budget& budget)
{
    if (budget.spent())
        text += u'\n' + DependencyWalk::stoppedLine();
    return text;
}

} // namespace

QString DependencyWalk::stoppedLine()
{
    return QStringLiteral("... stopped after %1 lines: the call graph goes on").arg(kMaxLines);
}

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
    Budget budget;
    return finished(walkDependencies(f, path, model, parent, budget), budget);
}

QString DependencyWalk::callers(const CQEntity& e, const QString& path, const NamespaceModel& model, Item* parent)
{
    Budget budget;
    return finished(walkCallers(e, path, model, parent, budget), budget);
}

namespace {

QString walkDependencies(const CQFunction& f, const QString& path, const NamespaceModel& model,
                         DependencyWalk::Item* parent, Budget& budget)
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
        if (budget.spent())
            break;
        budget.take();
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
            DependencyWalk::Item* item = addItem(parent, name, entity->kind());
            children += kIndent
                + indented(walkDependencies(static_cast<const CQFunction&>(*entity), path + u';' + self + u';', model,
                                            item, budget));
        } else if (entity) {
            addItem(parent, name, entity->kind());
            children += kIndent + name + described(*entity);
        } else {
            addItem(parent, name, 7);
            children += kIndent + name + kUnknown;
        }
    }
    return DependencyWalk::heading(f) + children;
}

QString walkCallers(const CQEntity& e, const QString& path, const NamespaceModel& model, DependencyWalk::Item* parent,
                    Budget& budget)
{
    const QString self = e.fullName();
    if (onPath(path, self))
        return self + QStringLiteral(" (loop!)");
    QString children;
    for (const QString& name : splitNames(e.usedInText())) {
        if (budget.spent())
            break;
        budget.take();
        const CQEntity* entity = model.find(name);
        if (name == self) {
            addItem(parent, self, e.kind());
            children += kIndent + name + QStringLiteral(" (slf)");
        } else if (entity && entity->kind() == CQEntity::Function) {
            DependencyWalk::Item* item = addItem(parent, name, entity->kind());
            children += kIndent + indented(walkCallers(*entity, path + u';' + self + u';', model, item, budget));
        } else if (entity) {
            addItem(parent, name, entity->kind());
            children += kIndent + name + described(*entity);
        } else {
            children += kIndent + name + kUnknown;
        }
    }
    return DependencyWalk::heading(e) + children;
}

} // namespace

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
