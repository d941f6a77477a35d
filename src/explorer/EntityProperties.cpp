#include "explorer/EntityProperties.h"

#include "explorer/CQFunction.h"
#include "explorer/CQTable.h"
#include "explorer/CrossReference.h"
#include "explorer/ElementSizes.h"
#include "explorer/NamespaceModel.h"
#include "explorer/NamespaceTree.h"

#include "core/values/ValueCatalogue.h"

#include <QStringList>

namespace {

using Group = EntityPropertyGroup;

void add(Group& group, const QString& name, const QString& value, const QString& description, bool always = false)
{
    if (always || !value.isEmpty())
        group.properties.append({name, value, description});
}

QString kindName(const CQEntity& entity)
{
    if (!entity.description().isEmpty())
        return entity.description();
    switch (entity.kind()) {
    case CQEntity::Table: return QStringLiteral("Table");
    case CQEntity::Function: return QStringLiteral("Function");
    case CQEntity::Variable: return QStringLiteral("Variable");
    default: return QStringLiteral("Not found");
    }
}

Group references(const QString& title, const QString& names, const CQFunction& f, const NamespaceModel* model,
                 const NamespaceTree* tree, bool namespaces, const QString& description)
{
    Group group{title, {}, Group::Jump::ByName};
    for (const QString& name : names.split(QStringLiteral(", "), Qt::SkipEmptyParts)) {
        QString qualified = name;
        if (!qualified.startsWith(QLatin1Char('.')) && !f.functionNamespace().isEmpty())
            qualified = f.functionNamespace() + QLatin1Char('.') + qualified;
        if (!qualified.startsWith(QLatin1Char('.')) && qualified.indexOf(QLatin1Char('.'), 1) > 0)
            qualified.prepend(QLatin1Char('.'));
        const CQEntity* entity = model ? model->find(qualified) : nullptr;
        QString value;
        if (entity)
            value = kindName(*entity);
        else if (namespaces && tree && tree->item(qualified) && !tree->item(qualified)->entity)
            value = QStringLiteral("Namespace");
        else
            value = QStringLiteral("Not found");
        group.properties.append({qualified, value, description});
    }
    return group;
}

void tableGroups(const CQTable& t, QList<Group>& out)
{
    Group main{QStringLiteral("Table"), {}, Group::Jump::None};
    add(main, QStringLiteral("Namespace"), t.nameSpace(), QStringLiteral("Namespace table defined in"));
    add(main, QStringLiteral("Name"), t.shortName(), QStringLiteral("Table name"));
    add(main, QStringLiteral("Description"), t.description(), QStringLiteral("Description"));
    add(main, QStringLiteral("Type"), CQTable::storageText(t.storage()), QStringLiteral("Table type"));
    if (t.count() == -13)
        add(main, QStringLiteral("Status"), QStringLiteral("Damaged (?)"),
            QStringLiteral("There was exception during requesting count"));
    else if (t.count() >= 0)
        add(main, QStringLiteral("Row count"), t.countText(), QStringLiteral("Table row count"));
    add(main, QStringLiteral("Size"), ValueCatalogue::sizeText(t.sizeEstimate()),
        QStringLiteral("Table size (sum of column counts by type sizes - less than real size in case of nested "
                       "lists, including strings)"));
    add(main, QStringLiteral("IPC Size"), ValueCatalogue::sizeText(t.serialisedSize()),
        QStringLiteral("Table IPC size (differs from real in memory size by symbols resolution)"));
    add(main, QStringLiteral("Error"), t.noteText(), QStringLiteral("Error getting meta."));
    out << main;
    if (!t.noteText().isEmpty())
        return;
    Group attributes{QStringLiteral("Attributes"), {}, Group::Jump::None};
    Group fields{QStringLiteral("Fields"), {}, Group::Jump::None};
    Group keys{QStringLiteral("Foreign keys"), {}, Group::Jump::None};
    for (int i = 0; i < t.columns().size(); ++i) {
        const QString& column = t.columns().at(i);
        const QString attribute = t.attributes().value(i);
        if (!attribute.isEmpty()) {
            const QString name = ValueCatalogue::attributeName(attribute.at(0));
            attributes.properties.append({name, column, name + QStringLiteral(" by attribute")});
        }
        const QString letter = t.typeLetters().value(i);
        QString value;
        if (i == 0 && t.storage() == CQTable::Partitioned) {
            value = QStringLiteral("Physical partitioning");
        } else if (!letter.isEmpty()) {
            const QChar c = letter.at(0);
            const int type = ElementSizes::typeOfLetter(c.toLower());
            value = ValueCatalogue::typeName(type)
                + (c.isUpper() ? QStringLiteral(" list")
                               : QStringLiteral(" (") + ValueCatalogue::sizeText(ElementSizes::ofLetter(c)) + QLatin1Char(')'));
        }
        fields.properties.append({column, value, QStringLiteral("Field type (size)")});
        if (!t.foreignKeys().value(i).isEmpty())
            keys.properties.append({column, t.foreignKeys().at(i), QStringLiteral("Foreign key relation")});
    }
    if (!attributes.properties.isEmpty())
        out << attributes;
    out << fields;
    if (!keys.properties.isEmpty())
        out << keys;
}

void functionGroups(const CQFunction& f, const NamespaceModel* model, const NamespaceTree* tree, QList<Group>& out)
{
    Group main{QStringLiteral("Function"), {}, Group::Jump::None};
    add(main, QStringLiteral("Namespace"), f.nameSpace(), QStringLiteral("Namespace function defined in"));
    add(main, QStringLiteral("Name"), f.shortName(), QStringLiteral("Function name"));
    add(main, QStringLiteral("Description"), f.description(), QStringLiteral("Description"));
    add(main, QStringLiteral("Type"), CQFunction::typeText(f.type()), QStringLiteral("Function type"));
    add(main, QStringLiteral("Parameters"), f.parameters(), QStringLiteral("Function parameters"));
    add(main, QStringLiteral("Locals"), f.locals(), QStringLiteral("Locals used in function"));
    out << main;
    out << references(QStringLiteral("Referenced Globals"), f.globals(), f, model, tree, true,
                      QStringLiteral("Referenced in function (Double-click to jump to)"));
    out << references(QStringLiteral("Globals ref'd from nested"), f.nestedGlobals(), f, model, tree, false,
                      QStringLiteral("Referenced from nested (Double-click to jump to)"));
    Group bySymbol = references(QStringLiteral("Globals ref'd by sym"), f.symbolReferences(), f, model, tree, false,
                                QStringLiteral("Referenced by symbol (Double-click to jump to)"));
    if (!bySymbol.properties.isEmpty())
        out << bySymbol;
    // The function's own properties continue after the reference groups.
    Group more{QString(), {}, Group::Jump::ByValue};
    add(more, QStringLiteral("Projected to"), f.projectionArguments(), QStringLiteral("Projected to"));
    add(more, QStringLiteral("Matched to"), f.matchedTo(), QStringLiteral("Possibly projection of (Double-click to jump to)"));
    QString origin = f.originText();
    if (origin.startsWith(QLatin1String("..")))
        origin.remove(0, 2);
    if (origin.endsWith(QLatin1Char('@'))) {
        origin.chop(1);
        add(more, QStringLiteral("Defined in"), origin, QStringLiteral("A function this lambda was defined in"));
    } else {
        add(more, QStringLiteral("Original name"), origin, QStringLiteral("A name this lambda was originally assigned to"));
    }
    add(more, QStringLiteral("File name"), f.fileName(), QStringLiteral("Function is loaded from file"));
    if (f.fileLine() != -1)
        add(more, QStringLiteral("File line"), QString::number(f.fileLine()),
            QStringLiteral("Function starts at this line in the file"));
    add(more, QStringLiteral("Body"), f.body(), QStringLiteral("Function body"));
    if (!more.properties.isEmpty())
        out << more;
}

} // namespace

QString EntityProperties::variableTypeText(int type)
{
    if (type < 0)
        return ValueCatalogue::typeName(-type) + QStringLiteral(" (Scalar)");
    if (type >= 77 && type <= 97)
        return ValueCatalogue::typeName(type - 77) + QStringLiteral(" (Nested)");
    if (type >= 20 && type <= 76)
        return ValueCatalogue::typeName(type) + QStringLiteral(" (%1h)").arg(type);
    return ValueCatalogue::typeName(type);
}

QList<EntityPropertyGroup> EntityProperties::of(const CQEntity& entity, const NamespaceModel* model,
                                                const NamespaceTree* tree)
{
    QList<Group> out;
    switch (entity.kind()) {
    case CQEntity::Variable: {
        Group main{QStringLiteral("Variable"), {}, Group::Jump::None};
        add(main, QStringLiteral("Namespace"), entity.nameSpace(), QStringLiteral("Namespace variable defined in"));
        add(main, QStringLiteral("Name"), entity.shortName(), QStringLiteral("Variable name"));
        add(main, QStringLiteral("Description"), entity.description(), QStringLiteral("Description"));
        add(main, QStringLiteral("Type"), variableTypeText(entity.type()), QStringLiteral("Variable type"));
        if (entity.type() >= 0)
            add(main, QStringLiteral("Count"), entity.countText(), QStringLiteral("List variable count"));
        add(main, QStringLiteral("Size"), ValueCatalogue::sizeText(entity.sizeEstimate()),
            QStringLiteral("Variable size (less than real size in case of nested lists, including strings)"));
        add(main, QStringLiteral("IPC Size"), ValueCatalogue::sizeText(entity.serialisedSize()),
            QStringLiteral("Variable IPC size (differs from real in memory size by symbols resolution)"));
        out << main;
        break;
    }
    case CQEntity::Table: tableGroups(static_cast<const CQTable&>(entity), out); break;
    case CQEntity::Function: functionGroups(static_cast<const CQFunction&>(entity), model, tree, out); break;
    default: {
        Group main{QStringLiteral("Unresolved"), {}, Group::Jump::None};
        add(main, QStringLiteral("Name"), entity.shortName(), QStringLiteral("Variable name"));
        out << main;
        break;
    }
    }
    if (!entity.usedInText().isEmpty()) {
        Group used{QStringLiteral("Used in functions"), {}, Group::Jump::ByName};
        const QString separator = entity.kind() == CQEntity::Unresolved ? QStringLiteral(",") : QStringLiteral(", ");
        for (const QString& user : entity.usedInText().split(separator, Qt::SkipEmptyParts))
            used.properties.append({user, QString(), QStringLiteral("Referenced in function (Double-click to jump to)")});
        out << used;
    }
    return out;
}

QString EntityProperties::queryText(const CQEntity& entity)
{
    if (entity.kind() == CQEntity::Table && (entity.count() < 0 || entity.count() >= 10000))
        return {};
    return entity.fullName();
}
