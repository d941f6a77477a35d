// Who uses what, walked from one entity: the dependencies of a function (the
// names it refers to, recursively) or the callers of any entity (its used-in
// names, recursively), as indented text and, when asked, as a tree of items.
// A name met again along the current path ends in " (loop!)".
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class CQEntity;
class CQFunction;
class NamespaceModel;

namespace DependencyWalk {

struct Item {
    QString name;
    int image = 7; // the entity's kind; 7 for a name that is no entity
    std::vector<Item> children;
};

// A function reached along two paths is walked twice, so a dense call
// graph's text can grow without end: a walk stops at this many lines and
// says so on its last line.
inline constexpr int kMaxLines = 100000;
QString stoppedLine();

// path: ";"-delimited full names of the functions above; parent may be null
// (no items are made).
QString dependencies(const CQFunction& f, const QString& path, const NamespaceModel& model, Item* parent);
QString callers(const CQEntity& e, const QString& path, const NamespaceModel& model, Item* parent);

// The first line of a walk: a function's namespace and display name, or a
// full name.
QString heading(const CQEntity& e);

// Get source (w/ all dependents): the function names of a dependency text,
// each once, without their parameters; and the query that fetches them.
QStringList functionNames(const QString& walkText);
QString sourceQuery(const QStringList& names);

} // namespace DependencyWalk
