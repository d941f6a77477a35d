// What a namespace load leaves behind: the entity map, the namespaces as the
// instance listed them, the namespace set and list, the files and body maps,
// the server and the time the load ended. Built whole on the load's thread
// and handed to the window's thread finished.
#pragma once

#include "explorer/CQEntity.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

struct NamespaceCategory {
    QString key;  // .feed.Tables, .z.Handlers
    QString name; // the text after the key's last dot: Tables, Handlers
    QStringList shortNames;
};

struct NamespaceEntry {
    QString symbol; // .feed; empty for the root
    QList<NamespaceCategory> categories;
    // .feed. for .feed, empty for the root.
    QString prefix() const { return symbol.isEmpty() ? QString() : symbol + QLatin1Char('.'); }
};

class NamespaceModel {
public:
    QList<NamespaceEntry> namespaces;
    QSet<QString> namespaceSet;
    // ";" symbol ";" for every namespace, in reply order.
    QString namespaceList;
    // Source file path to file text.
    QMap<QString, QString> files;
    // Lambda body to the full name of a lambda with that body.
    QHash<QString, QString> bodies;
    // Full names of the projections and of all functions, in reply order.
    QStringList projections;
    QStringList functionOrder;
    QString serverName;
    qint64 endTime = 0;

    CQEntity* find(const QString& fullName) const;
    bool contains(const QString& fullName) const { return m_entities.contains(fullName); }
    // Enters the entity under its full name, replacing (and deleting) any other.
    CQEntity* insert(std::unique_ptr<CQEntity> entity);
    // Deletes the entity of that name.
    bool remove(const QString& fullName);
    void clearEntities() { m_entities.clear(); }
    qsizetype entityCount() const { return m_entities.size(); }
    const QHash<QString, std::shared_ptr<CQEntity>>& entities() const { return m_entities; }

    // Names that functions use but that exist nowhere; owned here, listed in
    // the tree, not part of the entity map.
    std::vector<std::unique_ptr<CQEntity>> unresolved;

private:
    QHash<QString, std::shared_ptr<CQEntity>> m_entities;
};
