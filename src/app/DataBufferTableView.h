#pragma once

// The buffer list's table. A double-click on the first column makes the
// row's buffer current; on "X" or "Y" it switches the axis pair (or ends the
// free axis), on "L" the legend entry, and on any other column that does not
// take edits it shows or hides the buffer. The header takes no
// double-clicks. Return and Tab after editing a comment go on to the next
// row's comment (from the last row to the first), Backtab to the previous
// one.

#include "app/SideTableView.h"

class Manager;

class DataBufferTableView : public SideTableView {
public:
    explicit DataBufferTableView(Manager& manager, QWidget* parent = nullptr);

    void doubleClick(const QModelIndex& index);
    std::optional<QModelIndex> nextEdit(int row, int column, Movement movement) const override;

private:
    Manager& manager_;
};
