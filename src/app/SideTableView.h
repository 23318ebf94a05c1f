#pragma once

// What the side tables share: rows selected whole (several at once), cells
// edited in place by a double-click or F2, and an edit that ends with Return,
// Tab or Backtab moving on to the cell the table chooses (nextEdit), with
// that cell's text selected. The table's model is a SideTableModel; one
// that waits while the table is hidden catches up when it is shown.

#include <QTableView>

#include <optional>

class SideTableView : public QTableView {
public:
    // How an edit ended.
    enum class Movement { Return = 16, Tab = 17, Backtab = 18 };

    explicit SideTableView(QWidget* parent = nullptr);

    // The cell edited next after the edit of (row, column) ended with the
    // movement; none ends editing. The edit has been committed, so the row
    // count is the one after it.
    virtual std::optional<QModelIndex> nextEdit(int row, int column, Movement movement) const;

    // Called by the table's delegate once an edit ended with a movement.
    void editEnded(const QModelIndex& edited, Movement movement);

protected:
    // A table model whose rows waited while the table was hidden brings
    // them in now.
    void showEvent(QShowEvent* event) override;
    // The next row (Return, Tab) or the previous one (Backtab), going round
    // at either end; -1 for an empty table.
    int neighbourRow(int row, Movement movement) const;
    // Selects the row alone and opens the cell's editor.
    void startEditing(const QModelIndex& index);
};
