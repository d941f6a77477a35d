#include "results/grid/GridCellDelegate.h"

#include "results/grid/CKTableRenderer.h"

#include <QColor>

void GridCellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const QVariant ref = index.data(CKTableRenderer::ColourRefRole);
    if (ref.isValid()) {
        const auto c = ref.value<std::uint32_t>();
        option->backgroundBrush = QColor(GridColors::red(c), GridColors::green(c), GridColors::blue(c));
    }
}
