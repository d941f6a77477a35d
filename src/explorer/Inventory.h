// The rows of the variables and functions inventories: which entities of the
// last namespace load pass the filters, the texts of their columns, and the
// order of a column. Nothing is sent to the instance.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class CQEntity;
class NamespaceModel;

namespace Inventory {

enum class Kind { Variables, Functions };

// Columns: Variables "Full name", "Type", "Count", "Size", "IPC Size";
// Functions "Name", "Type/Desc.", "File", "Line".
QStringList headers(Kind kind);

// Whether filter occurs in text: exactly with matchCase, else in lower-case
// forms; an empty filter passes.
bool passes(const QString& text, const QString& filter, bool matchCase);

// Variables: every entity but functions, without a description (reserved
// names with one are left out), whose full name passes the filter.
// Functions: every function whose full name passes the name filter and
// whose body holds the body filter (in any case).
std::vector<const CQEntity*> rows(Kind kind, const NamespaceModel& model, const QString& nameFilter, bool matchCase,
                                  const QString& bodyFilter = QString());

QStringList cells(Kind kind, const CQEntity& entity);
// The icon of the namespace tree a row shows.
int image(Kind kind, const CQEntity& entity);

// Root names before namespaced ones, then by code.
bool nameLess(const QString& a, const QString& b);
// key: the column, 1-based; positive ascending, negative descending.
void sort(Kind kind, std::vector<const CQEntity*>& rows, int key);
// A click on column (1-based): the key column reverses; another column sorts
// the name column ascending and the others descending (largest first).
int nextKey(int key, int column);

} // namespace Inventory
