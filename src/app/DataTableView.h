#pragma once

// The point table's table. A double-click on the header of "X Value" or
// "Y Value" switches that column between numbers and dates; the Delete key
// deletes the selected points. After an edit, Return goes on to the next
// value (from "Y Value" and the last column to the next row's "X Value"),
// Tab to the next column and on into the next row until the last row, and
// Backtab back, from the first row round to the last.

#include "app/SideTableView.h"

class Manager;

class DataTableView : public SideTableView {
public:
    explicit DataTableView(Manager& manager, QWidget* parent = nullptr);

    std::optional<QModelIndex> nextEdit(int row, int column, Movement movement) const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    Manager& manager_;
};
