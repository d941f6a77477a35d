#include "explorer/DependencyWalk.h"

#include "explorer/CQEntity.h"
#include "explorer/CQFunction.h"
#include "explorer/NamespaceModel.h"

namespace {

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

QString described(const CQEntity& entity)
{
    return entity.description().isEmpty() ? QStringLiteral(" (var)")
                                          : QStringLiteral(" (") + entity.description() + u')';
}

bool onPath(const QString& path, const QString& name) { return path.contains(u';' + name + u';'); }

// One walk's text, written line by line (four blanks a level), and the lines
// it may still write.
struct Walk {
    const NamespaceModel& model;
    QString text;
    int left = DependencyWalk::kMaxLines;

    bool spent() const { return left <= 0; }
    void line(int depth, const QString& content)
    {
        if (!text.isEmpty() || depth > 0)
            text += u'\n' + QString(4 * depth, u' ');
        text += content;
        --left;
    }
    QString finished()
    {
        if (spent())
            text += u'\n' + DependencyWalk::stoppedLine();
        return text;
    }
};

void walkDependencies(Walk& walk, const CQFunction& f, const QString& path, int depth, DependencyWalk::Item* parent);
void walkCallers(Walk& walk, const CQEntity& e, const QString& path, int depth, DependencyWalk::Item* parent);

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
    Walk walk{model, {}};
    walkDependencies(walk, f, path, 0, parent);
    return walk.finished();
}

QString DependencyWalk::callers(const CQEntity& e, const QString& path, const NamespaceModel& model, Item* parent)
{
    Walk walk{model, {}};
    walkCallers(walk, e, path, 0, parent);
    return walk.finished();
}

namespace {

void walkDependencies(Walk& walk, const CQFunction& f, const QString& path, int depth, DependencyWalk::Item* parent)
{
    const QString self = f.fullName();
    if (onPath(path, self)) {
        walk.line(depth, self + QStringLiteral(" (loop!)"));
        return;
    }
    walk.line(depth, DependencyWalk::heading(f));
    QStringList candidates = splitNames(f.globals());
    candidates += splitNames(f.nestedGlobals());
    for (const QString& symbol : splitNames(f.symbolReferences()))
        if (walk.model.contains(symbol))
            candidates << symbol;
    if (candidates.isEmpty() && !f.matchedTo().isEmpty())
        candidates << f.matchedTo(); // a projection depends on its lambda
    QStringList seen;
    const QString below = path + u';' + self + u';';
    for (QString name : candidates) {
        if (walk.spent())
            return;
        if (!name.contains(u'.') && !f.functionNamespace().isEmpty())
            name = u'.' + f.functionNamespace() + u'.' + name;
        if (seen.contains(name))
            continue;
        seen << name;
        const CQEntity* entity = walk.model.find(name);
        if (name == self) {
            addItem(parent, self, f.kind());
            walk.line(depth + 1, name + QStringLiteral(" (slf)"));
        } else if (entity && entity->kind() == CQEntity::Function) {
            DependencyWalk::Item* item = addItem(parent, name, entity->kind());
            walkDependencies(walk, static_cast<const CQFunction&>(*entity), below, depth + 1, item);
        } else if (entity) {
            addItem(parent, name, entity->kind());
            walk.line(depth + 1, name + described(*entity));
        } else {
            addItem(parent, name, 7);
            walk.line(depth + 1, name + kUnknown);
        }
    }
}

void walkCallers(Walk& walk, const CQEntity& e, const QString& path, int depth, DependencyWalk::Item* parent)
{
    const QString self = e.fullName();
    if (onPath(path, self)) {
        walk.line(depth, self + QStringLiteral(" (loop!)"));
        return;
    }
    walk.line(depth, DependencyWalk::heading(e));
    const QString below = path + u';' + self + u';';
    for (const QString& name : splitNames(e.usedInText())) {
        if (walk.spent())
            return;
        const CQEntity* entity = walk.model.find(name);
        if (name == self) {
            addItem(parent, self, e.kind());
            walk.line(depth + 1, name + QStringLiteral(" (slf)"));
        } else if (entity && entity->kind() == CQEntity::Function) {
            DependencyWalk::Item* item = addItem(parent, name, entity->kind());
            walkCallers(walk, *entity, below, depth + 1, item);
        } else if (entity) {
            addItem(parent, name, entity->kind());
            walk.line(depth + 1, name + described(*entity));
        } else {
            walk.line(depth + 1, name + kUnknown);
        }
    }
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
