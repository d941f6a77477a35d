// The auto-complete list of a source view: one column "entity", full-row
// selection, an icon per item, the chosen item on a light yellow background.
// It never takes the focus: the view keeps the keys and moves the choice.
#pragma once

#include "editor/CompletionRules.h"

#include <QIcon>
#include <QTreeView>

#include <functional>

class CLookupListBox : public QTreeView {
    Q_OBJECT
public:
    explicit CLookupListBox(QWidget* parent = nullptr);
    ~CLookupListBox() override;

    // The pictures of the item kinds (0 other, 3 table, 4 function, 5
    // variable, 6 function using unresolved names); none: no icons.
    void setIconProvider(std::function<QIcon(int)> icons);

    void setItems(const QList<CompletionRules::Item>& items);
    int count() const;
    QString itemText(int row) const;
    int itemIcon(int row) const;
    // Selects, focuses and scrolls to row.
    void setCurrent(int row);
    int current() const;
    // Rows that fit the list: the Page Up/Down step.
    int pageRows() const;

    // The size for count items (at most 10 rows shown) and its column
    // fitted to the width, less the scroll bar's when 6 or more items.
    QSize preferredSize() const;
    void fitColumn();

signals:
    // A click or double click on an item.
    void chosen(int row);

private:
    class Model;
    Model* m_model;
};
