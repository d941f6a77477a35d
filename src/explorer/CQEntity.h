// An entity of a q namespace found by a namespace load: a variable, a table,
// a function or a name that functions use but that exists nowhere. Keyed by
// its full q name (root names bare, others namespace, dot, short name).
#pragma once

#include <QString>

#include <cstdint>

class CQEntity {
public:
    // Kind codes; also the tree's image indices.
    enum Kind { Table = 3, Function = 4, Variable = 5, Unresolved = 7 };

    CQEntity(QString nameSpace, QString shortName, int type);
    virtual ~CQEntity() = default;
    CQEntity(const CQEntity&) = delete;
    CQEntity& operator=(const CQEntity&) = delete;

    virtual int kind() const = 0;
    virtual std::int64_t sizeEstimate() const { return m_sizeEstimate; }
    virtual std::int64_t serialisedSize() const { return m_serialisedSize; }
    virtual int type() const { return m_type; }
    virtual std::int64_t count() const { return m_count; }
    // The count in decimal, or "Unknown" when negative.
    virtual QString countText() const;
    virtual QString fullName() const;

    const QString& shortName() const { return m_shortName; }
    const QString& nameSpace() const { return m_namespace; }
    const QString& description() const { return m_description; }
    void setDescription(const QString& text) { m_description = text; }
    // Tables: the text of a failed meta; functions: "Unresolved:" and the
    // names they use that exist nowhere.
    const QString& noteText() const { return m_note; }
    void setNoteText(const QString& text) { m_note = text; }
    // The functions that use this entity (", "; "," for unresolved names).
    const QString& usedInText() const { return m_usedIn; }
    void setUsedInText(const QString& text) { m_usedIn = text; }

    // The full name of a name in a namespace (".feed" + "upd"), or the short
    // name alone for the root.
    static QString joinName(const QString& nameSpace, const QString& shortName);

protected:
    std::int64_t m_serialisedSize = -1;
    QString m_note;
    QString m_shortName;
    QString m_namespace;
    int m_type = 0;
    std::int64_t m_count = -1;
    std::int64_t m_sizeEstimate = -1;
    QString m_description;
    QString m_usedIn;
};
