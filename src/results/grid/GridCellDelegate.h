// Paints each grid cell on the background colour its model gives it.
#pragma once

#include <QStyledItemDelegate>

class GridCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
