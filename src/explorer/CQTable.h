// A table: storage kind, row count and serialised size, and one entry per
// column of its meta (name, type letter, foreign key, attribute letter).
#pragma once

#include "explorer/CQEntity.h"

#include "kdb/k.h"

#include <QStringList>

class CQTable : public CQEntity {
public:
    enum Storage { InMemory = 0, KeyedInMemory = 1, OnDisk = 2, Splayed = 3, Partitioned = 4, Segmented = 5 };

    // meta: the keyed table of meta, or a symbol atom (the failure's text).
    CQTable(QString nameSpace, QString shortName, K meta, int storage, std::int64_t count,
            std::int64_t serialisedSize);
    int kind() const override { return Table; }

    int storage() const { return m_storage; }
    const QStringList& columns() const { return m_columns; }
    const QStringList& typeLetters() const { return m_types; }
    const QStringList& foreignKeys() const { return m_foreignKeys; }
    const QStringList& attributes() const { return m_attributes; }
    // Bytes a row by the columns' types; a column of unknown size (a string
    // or nested column) counts -1.
    std::int64_t rowWidth() const { return m_rowWidth; }

    // "In-memory" .. "Segmented (on disk)"; empty for other codes.
    static QString storageText(int storage);
    // The storage kind for a table's type and storage code of the tables query.
    static int storageOf(int type, int storageCode);

private:
    void readMeta(K meta);

    int m_storage = 0;
    QStringList m_columns;
    QStringList m_types;
    QStringList m_foreignKeys;
    QStringList m_attributes;
    std::int64_t m_rowWidth = 0;
};
