// The watch expressions with their check states and last values, the one
// combined query that evaluates every checked expression, and the changed
// and error sets that its reply leaves behind.
#pragma once

#include "kdb/k.h"

#include <QList>
#include <QSet>
#include <QString>

class KRender;

struct WatchItem {
    QString expression;
    bool checked = true;
    QString value;
    quint64 id = 0; // stable across edits, so a late reply finds its items
};

class WatchList {
public:
    enum class AddResult { Empty, Added, AlreadyPresent, ToggledOff };
    // How a cell is drawn: the list's normal text colour or a watch colour.
    enum class Tint { Normal, Inactive, Error, Changed };
    enum Column { ExpressionColumn = 0, ValueColumn = 1 };

    // The query of one evaluation and the items its reply belongs to, in order.
    struct Query {
        QString text;     // empty: nothing to send
        QList<quint64> ids;
        // Items whose expression was refused (turned into "Seriously?" and unchecked).
        QList<int> refused;
    };

    static const QString refusedText; // "Seriously?"

    int size() const { return int(m_items.size()); }
    bool isEmpty() const { return m_items.isEmpty(); }
    const WatchItem& at(int row) const { return m_items.at(row); }
    const QList<WatchItem>& items() const { return m_items; }
    int rowOf(quint64 id) const;

    // Replaces every item (a loaded file); the changed and error sets are cleared.
    void reset(const QList<WatchItem>& items);
    // Appends an item and returns its row.
    int append(const QString& expression, bool checked);
    void remove(int row);
    void clear();
    void setChecked(int row, bool checked) { m_items[row].checked = checked; }
    void setExpression(int row, const QString& expression) { m_items[row].expression = expression; }
    void setAllChecked(bool checked);
    void reverseChecked();

    // Add expression: trimmed; an existing one is removed when toggle is set
    // (row then tells which), else left alone; a new one is appended checked.
    AddResult add(const QString& text, bool toggle, int* row = nullptr);

    // Builds the combined query of the checked items. Expressions that would
    // end the instance (two backslashes, "exit") are refused on the way.
    Query buildQuery();
    static QString escape(const QString& expression);

    // Takes the reply of query: false (nothing changed) when it is no list of
    // at least one item per evaluated expression. Items deleted since the
    // query was built are skipped; items added since keep their values.
    bool applyReply(const Query& query, K reply, KRender& renderer);
    // The whole evaluation failed (a q error for the query, or no session):
    // every expression it evaluated shows "ERROR: '" + reason, in the error set.
    void applyFailure(const Query& query, const QString& reason);

    bool isChanged(const QString& expression) const { return m_changed.contains(expression); }
    bool isError(const QString& expression) const { return m_errors.contains(expression); }
    bool hasChanges() const { return !m_changed.isEmpty(); }
    Tint tint(int row, int column) const;

private:
    QList<WatchItem> m_items;
    QSet<QString> m_changed;
    QSet<QString> m_errors;
    quint64 m_nextId = 1;
};
