#include "explorer/Inventory.h"

#include "explorer/CQEntity.h"
#include "explorer/CQFunction.h"
#include "explorer/NamespaceModel.h"
#include "core/values/ValueCatalogue.h"

#include <algorithm>
#include <cstdlib>

QStringList Inventory::headers(Kind kind)
{
    if (kind == Kind::Variables)
        return {QStringLiteral("Full name"), QStringLiteral("Type"), QStringLiteral("Count"), QStringLiteral("Size"),
                QStringLiteral("IPC Size")};
    return {QStringLiteral("Name"), QStringLiteral("Type/Desc."), QStringLiteral("File"), QStringLiteral("Line")};
}

bool Inventory::passes(const QString& text, const QString& filter, bool matchCase)
{
    if (filter.isEmpty())
        return true;
    return matchCase ? text.contains(filter) : text.toLower().contains(filter.toLower());
}

std::vector<const CQEntity*> Inventory::rows(Kind kind, const NamespaceModel& model, const QString& nameFilter,
                                             bool matchCase, const QString& bodyFilter)
{
    std::vector<const CQEntity*> out;
    for (const auto& item : model.entities()) {
        const CQEntity* entity = item.get();
        const bool function = entity->kind() == CQEntity::Function;
        if (kind == Kind::Variables ? function || !entity->description().isEmpty() : !function)
            continue;
        if (!passes(entity->fullName(), nameFilter, matchCase))
            continue;
        if (kind == Kind::Functions
            && !passes(static_cast<const CQFunction*>(entity)->body(), bodyFilter, false))
            continue;
        out.push_back(entity);
    }
    return out;
}

QStringList Inventory::cells(Kind kind, const CQEntity& entity)
{
    if (kind == Kind::Variables)
        return {entity.fullName(), ValueCatalogue::typeName(entity.type()), entity.countText(),
                ValueCatalogue::sizeText(entity.sizeEstimate()), ValueCatalogue::sizeText(entity.serialisedSize())};
    const auto& f = static_cast<const CQFunction&>(entity);
    const QString desc = f.description().isEmpty() ? ValueCatalogue::typeName(f.type()) : f.description();
    return {f.fullName(), desc, f.fileName(), f.fileLine() == -1 ? QString() : QString::number(f.fileLine())};
}

int Inventory::image(Kind kind, const CQEntity& entity)
{
    if (kind == Kind::Variables)
        return entity.kind() == CQEntity::Variable ? 5 : 3;
    return entity.noteText().isEmpty() ? 4 : 6;
}

bool Inventory::nameLess(const QString& a, const QString& b)
{
    const bool aDot = a.startsWith(u'.'), bDot = b.startsWith(u'.');
    if (aDot != bDot)
        return !aDot;
    return a < b;
}

namespace {

// Ascending order of a column, as -1, 0 or 1.
int compare(Inventory::Kind kind, int column, const CQEntity& a, const CQEntity& b)
{
    auto order = [](auto x, auto y) { return x < y ? -1 : y < x ? 1 : 0; };
    switch (column) {
    case 1:
        return Inventory::nameLess(a.fullName(), b.fullName()) ? -1 : Inventory::nameLess(b.fullName(), a.fullName()) ? 1 : 0;
    case 2:
        return order(a.type(), b.type());
    case 3:
        if (kind == Inventory::Kind::Variables)
            return order(a.count(), b.count());
        return order(static_cast<const CQFunction&>(a).fileName(), static_cast<const CQFunction&>(b).fileName());
    case 4:
        if (kind == Inventory::Kind::Variables)
            return order(a.sizeEstimate(), b.sizeEstimate());
        return order(static_cast<const CQFunction&>(a).fileLine(), static_cast<const CQFunction&>(b).fileLine());
    case 5:
        return order(a.serialisedSize(), b.serialisedSize());
    default:
        return 0;
    }
}

} // namespace

void Inventory::sort(Kind kind, std::vector<const CQEntity*>& rows, int key)
{
    const int column = std::abs(key);
    const bool descending = key < 0;
    std::stable_sort(rows.begin(), rows.end(), [&](const CQEntity* a, const CQEntity* b) {
        const int c = compare(kind, column, *a, *b);
        if (c == 0) // ties by name, so the order never depends on the load's
            return nameLess(a->fullName(), b->fullName());
        return descending ? c > 0 : c < 0;
    });
}

int Inventory::nextKey(int key, int column)
{
    if (std::abs(key) == column)
        return -key;
    return column == 1 ? 1 : -column;
}
