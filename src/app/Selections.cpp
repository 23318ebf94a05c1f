#include "app/Selections.h"

#include <QAbstractItemView>
#include <QItemSelection>
#include <QItemSelectionModel>

namespace Selections {

void adopt(QAbstractItemView& view, QItemSelectionModel& selection)
{
    QItemSelectionModel* own = view.selectionModel();
    view.setSelectionModel(&selection);
    if (own != &selection)
        delete own;
}

void selectOnlyRow(QItemSelectionModel& selection, int row)
{
    const QAbstractItemModel* model = selection.model();
    const QModelIndex first = model->index(row, 0);
    selection.setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    selection.select(QItemSelection(first, model->index(row, model->columnCount() - 1)),
                     QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

} // namespace Selections
