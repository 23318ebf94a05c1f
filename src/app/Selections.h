#pragma once

// Selections that belong to whoever holds the rows, not to a view: a table
// made later shows them, and they can be read and changed while no table
// exists.
//
// Main thread only.

class QAbstractItemView;
class QItemSelectionModel;

namespace Selections {

// The view shows `selection` (made on the view's model) instead of the one
// it made for itself, which goes.
void adopt(QAbstractItemView& view, QItemSelectionModel& selection);

// Row `row` becomes the current row and the only one selected, whole, as a
// click on it in a table makes it. The row must be in the model.
void selectOnlyRow(QItemSelectionModel& selection, int row);

} // namespace Selections
