#include "app/DataBufferTableView.h"

#include "app/BufferListModel.h"
#include "app/Manager.h"

DataBufferTableView::DataBufferTableView(Manager& manager, QWidget* parent)
        : SideTableView(parent)
        , manager_(manager)
{
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) { doubleClick(i); });
}

void DataBufferTableView::doubleClick(const QModelIndex& index)
{
    // An editable cell opens its editor instead.
    if (!index.isValid() || !model() || (model()->flags(index) & Qt::ItemIsEditable))
        return;
    const int row = index.row();
    if (index.column() == 0) {
        manager_.setCurrentBuffer(row);
        return;
    }
    const QString title = model()->headerData(index.column(), Qt::Horizontal).toString();
    if (title == QStringLiteral("X"))
        manager_.toggleXBelong(row);
    else if (title == QStringLiteral("Y"))
        manager_.toggleYBelong(row);
    else if (title == QStringLiteral("L"))
        manager_.toggleLegend(row);
    else
        manager_.toggleBuffer(row);
}

std::optional<QModelIndex> DataBufferTableView::nextEdit(int row, int column, Movement movement) const
{
    if (column != BufferListModel::commentColumn)
        return std::nullopt;
    const int next = neighbourRow(row, movement);
    if (next < 0)
        return std::nullopt;
    return model()->index(next, column);
}
