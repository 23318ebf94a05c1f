#pragma once

// The custom axis-label table of the axis-label panel. Whatever cell an edit
// ended in, Return and Tab go on to the next row's replacement (from the
// last row to the first), Backtab to the previous one.

#include "app/SideTableView.h"

class AxisLabelTableView : public SideTableView {
public:
    using SideTableView::SideTableView;

    std::optional<QModelIndex> nextEdit(int row, int column, Movement movement) const override;
};
