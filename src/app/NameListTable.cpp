#include "app/NameListTable.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSignalBlocker>
#include <QTableView>

NameListTable::NameListTable(const QString& header, Access access, const QString& objectName, QObject* parent)
        : QAbstractTableModel(parent)
        , header_(header)
        , access_(std::move(access))
        , objectName_(objectName)
{
}

NameListTable::~NameListTable()
{
    // A view never handed to a pane is still ours.
    if (view_ && !view_->parent())
        delete view_;
}

QTableView* NameListTable::view()
{
    if (!view_)
        buildView();
    return view_;
}

void NameListTable::buildView()
{
    view_ = new QTableView;
    view_->setObjectName(objectName_);
    view_->setModel(this);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    view_->verticalHeader()->hide();
    view_->horizontalHeader()->setStretchLastSection(true);
    view_->setAttribute(Qt::WA_MacShowFocusRect, false);
    const int rowHeight = view_->fontMetrics().height() + 6;
    view_->verticalHeader()->setDefaultSectionSize(rowHeight);
    view_->setMinimumHeight(3 * rowHeight);
    if (selected_ >= 0 && selected_ < access_.count()) {
        const QSignalBlocker quiet(view_->selectionModel());
        view_->selectRow(selected_);
    }
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        selected_ = selectedRowOfView();
        if (access_.selectionChanged)
            access_.selectionChanged();
    });
}

void NameListTable::reload()
{
    const int row = selectedRow();
    const bool keep = row >= 0 && row < access_.count();
    if (view_) {
        const QSignalBlocker quiet(view_->selectionModel());
        beginResetModel();
        endResetModel();
        if (keep)
            view_->selectRow(row);
    } else {
        beginResetModel();
        endResetModel();
    }
    selected_ = keep ? row : -1;
}

void NameListTable::refreshMarks()
{
    const int rows = access_.count();
    if (rows > 0)
        emit dataChanged(index(0, 0), index(rows - 1, 0), {Qt::ForegroundRole});
}

int NameListTable::selectedRowOfView() const
{
    const QModelIndexList rows = view_->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return -1;
    const int row = rows.first().row();
    return row < access_.count() ? row : -1;
}

int NameListTable::selectedRow() const
{
    if (view_)
        return selectedRowOfView();
    return selected_ < access_.count() ? selected_ : -1;
}

void NameListTable::selectRow(int row)
{
    const int target = row >= 0 && row < access_.count() ? row : -1;
    if (view_) {
        // The view's selection tells the listeners, when it changes.
        if (target < 0)
            view_->clearSelection();
        else
            view_->selectRow(target);
        return;
    }
    if (target == selectedRow())
        return;
    selected_ = target;
    if (access_.selectionChanged)
        access_.selectionChanged();
}

void NameListTable::selectRowQuietly(int row)
{
    const int target = row >= 0 && row < access_.count() ? row : -1;
    if (view_) {
        const QSignalBlocker quiet(view_->selectionModel());
        if (target < 0)
            view_->clearSelection();
        else
            view_->selectRow(target);
    }
    selected_ = target;
}

int NameListTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : access_.count();
}

int NameListTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant NameListTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= access_.count())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return access_.name(index.row());
    if (role == Qt::ForegroundRole && access_.marked && access_.marked(index.row()))
        return markColor();
    return QVariant();
}

QVariant NameListTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section == 0)
        return header_;
    return QVariant();
}

Qt::ItemFlags NameListTable::flags(const QModelIndex& index) const
{
    return QAbstractTableModel::flags(index) | (index.isValid() ? Qt::ItemIsEditable : Qt::NoItemFlags);
}

bool NameListTable::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid())
        return false;
    if (!access_.rename(index.row(), value.toString()))
        return false;
    emit dataChanged(index, index);
    return true;
}
