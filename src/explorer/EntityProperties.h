// The properties pane's content for one entity: groups of named values, each
// with its one-line description, in the order the pane shows them; and the
// query text of the pane's "Query" command.
#pragma once

#include <QList>
#include <QString>

class CQEntity;
class NamespaceModel;
class NamespaceTree;

struct EntityProperty {
    QString name;
    QString value;
    QString description;
};

struct EntityPropertyGroup {
    QString name; // empty: the properties continue the first group

    QList<EntityProperty> properties;
    // Double-clicking an entry jumps to the entity named by its name
    // (reference groups) or by its value ("Matched to", "Original name", ...).
    enum class Jump { None, ByName, ByValue } jump = Jump::None;
};

class EntityProperties {
public:
    // model and tree resolve referenced names (either may be null).
    static QList<EntityPropertyGroup> of(const CQEntity& entity, const NamespaceModel* model,
                                         const NamespaceTree* tree);
    // The entity's full name, or empty for tables of unknown or 10000 or more rows.
    static QString queryText(const CQEntity& entity);
    // "long (Scalar)", "long (Nested)", "enumerated (20h)" ...
    static QString variableTypeText(int type);
};
