#include "app/DataTableView.h"

#include "app/Manager.h"
#include "app/PointTableModel.h"

#include <QHeaderView>
#include <QKeyEvent>

DataTableView::DataTableView(Manager& manager, QWidget* parent)
        : SideTableView(parent)
        , manager_(manager)
{
    connect(horizontalHeader(), &QHeaderView::sectionDoubleClicked, this, [this](int section) {
        if (section == PointTableModel::XValue)
            manager_.toggleDataViewX();
        else if (section == PointTableModel::YValue)
            manager_.toggleDataViewY();
    });
}

void DataTableView::keyPressEvent(QKeyEvent* event)
{
    // The key that deletes backwards is "Delete" on some keyboards.
    if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) && state() != EditingState) {
        manager_.deletePoints();
        event->accept();
        return;
    }
    SideTableView::keyPressEvent(event);
}

std::optional<QModelIndex> DataTableView::nextEdit(int row, int column, Movement movement) const
{
    const int rows = model() ? model()->rowCount() : 0;
    if (rows == 0)
        return std::nullopt;
    constexpr int first = PointTableModel::XValue;
    constexpr int last = PointTableModel::YError;
    int r = row;
    int c = column;
    switch (movement) {
    case Movement::Return:
        if (column == PointTableModel::YValue || column >= last) {
            c = first;
            r = std::min(row + 1, rows - 1);
        } else {
            c = column + 1;
        }
        break;
    case Movement::Tab:
        if (column >= last) {
            if (row + 1 >= rows)
                return std::nullopt;
            c = first;
            r = row + 1;
        } else {
            c = column + 1;
        }
        break;
    case Movement::Backtab:
        if (column > first) {
            c = column - 1;
        } else {
            c = last;
            r = row <= 0 ? rows - 1 : row - 1;
        }
        break;
    }
    return model()->index(r, c);
}
