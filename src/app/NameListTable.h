#pragma once

// The table of a stored list's names (the MySQL queries, the macros): one
// column, one row selected at a time, a name edited in place. Reloading
// keeps the selected row and reports no selection change of its own.
//
// Main thread only.

#include <QAbstractTableModel>
#include <QColor>
#include <QString>

#include <functional>

class QTableView;

class NameListTable : public QAbstractTableModel {
public:
    struct Access {
        std::function<int()> count;
        std::function<QString(int)> name;
        // False for a row the list does not have.
        std::function<bool(int, const QString&)> rename;
        // Optional: rows for which it answers true are written in dark red
        // (the macros whose timer runs).
        std::function<bool(int)> marked;
    };

    // The table view (not parented: its pane takes it), named objectName,
    // with the column titled header.
    NameListTable(const QString& header, Access access, const QString& objectName, QObject* parent);

    QTableView* view() const { return view_; }

    void reload();
    // The rows' marks may have changed: repainted, nothing else touched (an
    // edit in progress stays open).
    void refreshMarks();
    // The selected row, or -1 when none is selected inside the list.
    int selectedRow() const;
    // Selects the row; a row outside the list clears the selection.
    void selectRow(int row);
    // The same without telling the selection's listeners.
    void selectRowQuietly(int row);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The text colour of marked rows.
    static QColor markColor() { return QColor::fromRgbF(0.501961f, 0.f, 0.f); }

private:
    QString header_;
    Access access_;
    QTableView* view_ = nullptr;
};
