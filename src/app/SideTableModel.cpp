#include "app/SideTableModel.h"

#include <algorithm>
#include <utility>

SideTableModel::SideTableModel(QStringList titles, QObject* parent)
        : QAbstractTableModel(parent)
        , titles_(std::move(titles))
{
}

int SideTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count_;
}

int SideTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(titles_.size());
}

QVariant SideTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= count_ || index.column() >= titles_.size())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case Qt::EditRole:
        return editText(index.row(), index.column());
    case Qt::ForegroundRole:
        if (const std::optional<QColor> c = textColor(index.row()))
            return *c;
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant SideTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0 && section < titles_.size())
        return titles_[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags SideTableModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && editable(index.column()))
        f |= Qt::ItemIsEditable;
    return f;
}

bool SideTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= count_)
        return false;
    return edit(index.row(), index.column(), value.toString());
}

void SideTableModel::reload()
{
    const int n = std::max(0, rowTotal());
    // Rows taken away go at once, hidden or not: the selection loses them now.
    dropRowsFrom(n);
    if (shown_ && !shown_()) {
        waiting_ = true;
        return;
    }
    bringIn(n);
}

void SideTableModel::waitWhileHidden(std::function<bool()> shown)
{
    shown_ = std::move(shown);
}

void SideTableModel::catchUp()
{
    if (waiting_)
        bringIn(std::max(0, rowTotal()));
}

void SideTableModel::dropRowsFrom(int total)
{
    if (total < count_) {
        beginRemoveRows(QModelIndex(), total, count_ - 1);
        count_ = total;
        endRemoveRows();
    }
}

void SideTableModel::bringIn(int total)
{
    waiting_ = false;
    dropRowsFrom(total);
    if (total > count_) {
        beginInsertRows(QModelIndex(), count_, total - 1);
        count_ = total;
        endInsertRows();
    }
    if (count_ > 0 && !titles_.isEmpty())
        emit dataChanged(index(0, 0), index(count_ - 1, int(titles_.size()) - 1));
}
