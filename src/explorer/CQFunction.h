// A function: its kind and the texts built from the functions query's
// definition list (parameters, locals, globals, references, body, origin,
// file and line). A placeholder (type 113, no definition) has empty texts.
#pragma once

#include "explorer/CQEntity.h"

#include "kdb/k.h"

class CQFunction : public CQEntity {
public:
    static constexpr int kUndefined = 113;

    // definition: the definition list of the functions reply (borrowed), or
    // null; the three texts are the console texts of the free parameters and
    // of the pair's two symbol lists.
    CQFunction(QString nameSpace, QString shortName, int type, K definition, const QString& freeParameters,
               const QString& nestedGlobals, const QString& symbols, bool hidePureIndirects = false);
    int kind() const override { return Function; }

    const QString& parameters() const { return m_parameters; }
    const QString& locals() const { return m_locals; }
    const QString& globals() const { return m_globals; }
    const QString& nestedGlobals() const { return m_nestedGlobals; }
    const QString& symbolReferences() const { return m_symbols; }
    // The lambda's own namespace without its leading dot; empty for the root.
    const QString& functionNamespace() const { return m_functionNamespace; }
    const QString& body() const { return m_body; }
    const QString& baseBody() const { return m_baseBody; }
    const QString& originText() const { return m_origin; }
    const QString& fileName() const { return m_fileName; }
    std::int64_t fileLine() const { return m_fileLine; }
    const QString& displayName() const { return m_displayName; }
    const QString& projectionArguments() const { return m_projectionArguments; }
    const QString& matchedTo() const { return m_matchedTo; }
    void setMatchedTo(const QString& name) { m_matchedTo = name; }

    // "Lambda", "Projection", "f'", ... by type; empty for other codes.
    static QString typeText(int type);

    // The clean-up of a rendered symbol list: no leading "enlist ", and
    // "`symbol$()" is empty.
    static QString cleanUp(QString text);
    // Trims blanks and backticks at both ends.
    static QString trimTicks(const QString& text);

private:
    void readDefinition(K definition);
    void keepIndirectsInBody();
    void applyKind(K definition, const QString& freeParameters);

    QString m_parameters;
    QString m_locals;
    QString m_globals;
    QString m_nestedGlobals;
    QString m_symbols;
    QString m_functionNamespace;
    QString m_body;
    QString m_baseBody;
    QString m_origin;
    QString m_fileName;
    std::int64_t m_fileLine = -1;
    QString m_displayName;
    QString m_projectionArguments;
    QString m_matchedTo;
};
