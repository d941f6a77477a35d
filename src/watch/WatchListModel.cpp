#include "watch/WatchListModel.h"

#include <algorithm>

WatchListModel::WatchListModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void WatchListModel::setColours(Colours colours)
{
    m_colours = std::move(colours);
    allChanged();
}

void WatchListModel::allChanged()
{
    if (!m_list.isEmpty())
        emit dataChanged(index(0, 0), index(m_list.size() - 1, 1));
}

void WatchListModel::reset(const QList<WatchItem>& items)
{
    beginResetModel();
    m_list.reset(items);
    endResetModel();
}

WatchList::AddResult WatchListModel::addExpression(const QString& text, bool toggle)
{
    // Which row an existing expression has is known only after the look-up.
    WatchList probe = m_list;
    int row = -1;
    const WatchList::AddResult result = probe.add(text, toggle, &row);
    switch (result) {
    case WatchList::AddResult::Added:
        beginInsertRows({}, row, row);
        m_list = probe;
        endInsertRows();
        break;
    case WatchList::AddResult::ToggledOff:
        beginRemoveRows({}, row, row);
        m_list = probe;
        endRemoveRows();
        break;
    case WatchList::AddResult::Empty:
    case WatchList::AddResult::AlreadyPresent:
        break;
    }
    return result;
}

int WatchListModel::appendWatch(const QString& expression, bool checked)
{
    const int row = m_list.size();
    beginInsertRows({}, row, row);
    m_list.append(expression, checked);
    endInsertRows();
    return row;
}

void WatchListModel::removeWatches(QList<int> rows)
{
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows) {
        if (row < 0 || row >= m_list.size())
            continue;
        beginRemoveRows({}, row, row);
        m_list.remove(row);
        endRemoveRows();
    }
}

void WatchListModel::removeAll()
{
    beginResetModel();
    m_list.clear();
    endResetModel();
}

void WatchListModel::setAllChecked(bool checked)
{
    m_list.setAllChecked(checked);
    allChanged();
}

void WatchListModel::reverseChecked()
{
    m_list.reverseChecked();
    allChanged();
}

WatchList::Query WatchListModel::buildQuery()
{
    WatchList::Query query = m_list.buildQuery();
    for (int row : query.refused)
        emit dataChanged(index(row, 0), index(row, 1));
    return query;
}

bool WatchListModel::applyReply(const WatchList::Query& query, K reply, KRender& renderer)
{
    if (!m_list.applyReply(query, reply, renderer))
        return false;
    allChanged();
    return true;
}

void WatchListModel::applyFailure(const WatchList::Query& query, const QString& reason)
{
    m_list.applyFailure(query, reason);
    allChanged();
}

int WatchListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_list.size();
}

int WatchListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant WatchListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_list.size())
        return {};
    const WatchItem& item = m_list.at(index.row());
    const bool expression = index.column() == WatchList::ExpressionColumn;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return expression ? item.expression : item.value;
    case Qt::CheckStateRole:
        return expression ? QVariant(item.checked ? Qt::Checked : Qt::Unchecked) : QVariant();
    case Qt::ForegroundRole: {
        const WatchList::Tint tint = m_list.tint(index.row(), index.column());
        return tint != WatchList::Tint::Normal && m_colours ? m_colours(tint) : QVariant();
    }
    default:
        return {};
    }
}

QVariant WatchListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == WatchList::ExpressionColumn ? QStringLiteral("Expression") : QStringLiteral("Value");
}

bool WatchListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != WatchList::ExpressionColumn || index.row() >= m_list.size())
        return false;
    if (role == Qt::CheckStateRole) {
        m_list.setChecked(index.row(), value.toInt() == Qt::Checked);
        emit dataChanged(this->index(index.row(), 0), this->index(index.row(), 1));
        return true;
    }
    if (role != Qt::EditRole)
        return false;
    const QString text = value.toString();
    if (text.isEmpty())
        return false;
    m_list.setExpression(index.row(), text);
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), 1));
    return true;
}

Qt::ItemFlags WatchListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == WatchList::ExpressionColumn)
        f |= Qt::ItemIsUserCheckable | Qt::ItemIsEditable;
    return f;
}
