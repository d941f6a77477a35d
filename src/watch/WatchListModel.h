// The watch list as a two-column item model ("Expression" with its check box
// and in-place edit, "Value" read only), over a WatchList. Cells are tinted
// by the list's rules; the colours come from the view.
#pragma once

#include "watch/WatchList.h"

#include <QAbstractTableModel>

#include <functional>

class WatchListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using Colours = std::function<QVariant(WatchList::Tint)>;

    explicit WatchListModel(QObject* parent = nullptr);

    const WatchList& list() const { return m_list; }
    // The foreground of tinted cells; Normal cells use the view's own.
    void setColours(Colours colours);

    void reset(const QList<WatchItem>& items);
    WatchList::AddResult addExpression(const QString& text, bool toggle);
    int appendWatch(const QString& expression, bool checked);
    // Rows in any order.
    void removeWatches(QList<int> rows);
    void removeAll();
    void setAllChecked(bool checked);
    void reverseChecked();
    WatchList::Query buildQuery();
    bool applyReply(const WatchList::Query& query, K reply, KRender& renderer);
    void applyFailure(const WatchList::Query& query, const QString& reason);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // A label edit takes a non-empty text only; the check box toggles.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void allChanged();

    WatchList m_list;
    Colours m_colours;
};
