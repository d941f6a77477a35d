#include "editor/CLookupListBox.h"

#include <QAbstractListModel>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

// The items as the list shows them, kept as one shared list: a new opening
// hands its items over without copying them.
class CLookupListBox::Model : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void setItems(const QList<CompletionRules::Item>& items)
    {
        beginResetModel();
        m_items = items;
        endResetModel();
    }
    const QList<CompletionRules::Item>& items() const { return m_items; }
    void setIcons(std::function<QIcon(int)> icons)
    {
        beginResetModel();
        m_icons = std::move(icons);
        m_cache.clear();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_items.size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_items.size())
            return {};
        const CompletionRules::Item& item = m_items.at(index.row());
        switch (role) {
        case Qt::DisplayRole:
            return item.text;
        case Qt::DecorationRole:
            return icon(item.icon);
        default:
            return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return QStringLiteral("entity");
        return {};
    }

private:
    QVariant icon(int index) const
    {
        if (!m_icons)
            return {};
        auto it = m_cache.find(index);
        if (it == m_cache.end())
            it = m_cache.insert(index, m_icons(index));
        return *it;
    }

    QList<CompletionRules::Item> m_items;
    std::function<QIcon(int)> m_icons;
    mutable QHash<int, QIcon> m_cache;
};

CLookupListBox::CLookupListBox(QWidget* parent)
    : QTreeView(parent)
    , m_model(new Model(this))
{
    setObjectName(QStringLiteral("lookupListBox"));
    setModel(m_model);
    setHeaderHidden(true);
    header()->setStretchLastSection(false); // sized by fitColumn
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setIconSize(QSize(16, 16));
    // The view keeps the focus and the keys while the list is shown.
    setFocusPolicy(Qt::NoFocus);
    // Black on white; the chosen item on 0xCEF3FF (blue, green, red), a light yellow.
    QPalette colours = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        colours.setColor(group, QPalette::Base, Qt::white);
        colours.setColor(group, QPalette::Window, Qt::white);
        colours.setColor(group, QPalette::Text, Qt::black);
        colours.setColor(group, QPalette::Highlight, QColor(0xFF, 0xF3, 0xCE));
        colours.setColor(group, QPalette::HighlightedText, Qt::black);
    }
    setPalette(colours);
    setAutoFillBackground(true);
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) { emit chosen(index.row()); });
    connect(this, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { emit chosen(index.row()); });
    hide();
}

CLookupListBox::~CLookupListBox() = default;

void CLookupListBox::setIconProvider(std::function<QIcon(int)> icons) { m_model->setIcons(std::move(icons)); }

void CLookupListBox::setItems(const QList<CompletionRules::Item>& items) { m_model->setItems(items); }

int CLookupListBox::count() const { return m_model->rowCount(); }

QString CLookupListBox::itemText(int row) const
{
    return row >= 0 && row < count() ? m_model->items().at(row).text : QString();
}

int CLookupListBox::itemIcon(int row) const { return row >= 0 && row < count() ? m_model->items().at(row).icon : -1; }

void CLookupListBox::setCurrent(int row)
{
    if (row < 0 || row >= count())
        return;
    const QModelIndex index = m_model->index(row);
    setCurrentIndex(index);
    scrollTo(index);
}

int CLookupListBox::current() const { return currentIndex().isValid() ? currentIndex().row() : -1; }

int CLookupListBox::pageRows() const
{
    const int row = std::max(1, sizeHintForRow(0));
    return std::max(1, viewport()->height() / row);
}

QSize CLookupListBox::preferredSize() const
{
    const int row = std::max(16, sizeHintForRow(0));
    const int rows = std::clamp(count(), 1, 10);
    const int frame = 2 * frameWidth();
    return {300, rows * row + frame};
}

void CLookupListBox::fitColumn()
{
    int width = this->width() - 2 * frameWidth();
    if (count() >= 6)
        width -= style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalScrollBar());
    header()->resizeSection(0, std::max(0, width));
}
