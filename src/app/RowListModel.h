#pragma once

// A read-only table model whose rows and cells are asked of callbacks: the
// buffer list and the point table read them straight from the current
// document. reload() is the table's "reload data": it refreshes every cell
// and keeps the selection of the rows that are still there, which a model
// reset would drop. The selected rows of these tables are the selection that
// every buffer operation acts on.

#include <QAbstractTableModel>
#include <QStringList>

#include <functional>

class RowListModel : public QAbstractTableModel {
public:
    using RowCount = std::function<int()>;
    using Cell = std::function<QVariant(int row, int column)>;

    RowListModel(QStringList headers, RowCount rows, Cell cell, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void reload();

private:
    QStringList headers_;
    RowCount rows_;
    Cell cell_;
    int count_ = 0;   // rows as the views know them
};
