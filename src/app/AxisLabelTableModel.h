#pragma once

// The custom axis labels of one axis of the current document: one row per
// label key the drawing pass listed for the axis ("Number"), with the text
// drawn in its place ("Replacement", empty when none). The axis is the one
// chosen on the axis-label panel; without a document or before that panel
// is loaded the table has no rows. A replacement typed in is stored for its
// key, an empty one removes it (the row stays: the key is still drawn).

#include "app/SideTableModel.h"

#include <functional>

class Manager;

class AxisLabelTableModel : public SideTableModel {
public:
    // axis() gives the AxisIndex to show, or -1 when there is none.
    AxisLabelTableModel(Manager& manager, std::function<int()> axis, QObject* parent = nullptr);

    static constexpr int replacementColumn = 1;

protected:
    int rowTotal() const override;
    QString text(int row, int column) const override;
    bool editable(int column) const override;
    bool edit(int row, int column, const QString& text) override;

private:
    int axisShown() const;

    Manager& manager_;
    std::function<int()> axis_;
};
