#include "app/NameListTable.h"

#include "app/Selections.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSignalBlocker>
#include <QTableView>

NameListTable::NameListTable(const QString& header, Access access, const QString& objectName, QObject* parent)
        : QAbstractTableModel(parent)
        , header_(header)
        , access_(std::move(access))
        , objectName_(objectName)
        , selection_(new QItemSelectionModel(this, this))
{
    connect(selection_, &QItemSelectionModel::selectionChanged, this, [this] {
        if (access_.selectionChanged)
            access_.selectionChanged();
    });
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
    Selections::adopt(*view_, *selection_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    view_->verticalHeader()->hide();
    view_->horizontalHeader()->setStretchLastSection(true);
    view_->setAttribute(Qt::WA_MacShowFocusRect, false);
    const int rowHeight = view_->fontMetrics().height() + 6;
    view_->verticalHeader()->setDefaultSectionSize(rowHeight);
    view_->setMinimumHeight(3 * rowHeight);
}

void NameListTable::reload()
{
    const int row = selectedRow();
    const QSignalBlocker quiet(selection_);
    beginResetModel();
    endResetModel();
    if (row >= 0 && row < access_.count())
        Selections::selectOnlyRow(*selection_, row);
}

void NameListTable::refreshMarks()
{
    const int rows = access_.count();
    if (rows > 0)
        emit dataChanged(index(0, 0), index(rows - 1, 0), {Qt::ForegroundRole});
}

int NameListTable::selectedRow() const
{
    const QModelIndexList rows = selection_->selectedRows();
    if (rows.isEmpty())
        return -1;
    const int row = rows.first().row();
    return row < access_.count() ? row : -1;
}

void NameListTable::selectRow(int row)
{
    if (row >= 0 && row < access_.count())
        Selections::selectOnlyRow(*selection_, row);
    else
        selection_->clearSelection();
}

void NameListTable::selectRowQuietly(int row)
{
    const QSignalBlocker quiet(selection_);
    selectRow(row);
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
