#include "app/RowListModel.h"

#include <algorithm>

RowListModel::RowListModel(QStringList headers, RowCount rows, Cell cell, QObject* parent)
    : QAbstractTableModel(parent), headers_(std::move(headers)), rows_(std::move(rows)), cell_(std::move(cell))
{
    count_ = rows_ ? std::max(0, rows_()) : 0;
}

int RowListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count_;
}

int RowListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(headers_.size());
}

QVariant RowListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= count_ || !cell_)
        return QVariant();
    // The source may have shrunk since the last reload; the cell callback
    // checks its own bounds.
    return cell_(index.row(), index.column());
}

QVariant RowListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0 && section < headers_.size())
        return headers_[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

void RowListModel::reload()
{
    const int n = rows_ ? std::max(0, rows_()) : 0;
    if (n > count_) {
        beginInsertRows(QModelIndex(), count_, n - 1);
        count_ = n;
        endInsertRows();
    } else if (n < count_) {
        beginRemoveRows(QModelIndex(), n, count_ - 1);
        count_ = n;
        endRemoveRows();
    }
    if (count_ > 0 && !headers_.isEmpty())
        emit dataChanged(index(0, 0), index(count_ - 1, int(headers_.size()) - 1));
}
