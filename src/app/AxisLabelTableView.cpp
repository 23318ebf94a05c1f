#include "app/AxisLabelTableView.h"

#include "app/AxisLabelTableModel.h"

std::optional<QModelIndex> AxisLabelTableView::nextEdit(int row, int, Movement movement) const
{
    const int next = neighbourRow(row, movement);
    if (next < 0)
        return std::nullopt;
    return model()->index(next, AxisLabelTableModel::replacementColumn);
}
