#pragma once

// The table of a stored list's names (the MySQL queries, the macros): one
// column, one row selected at a time, a name edited in place. Reloading
// keeps the selected row and reports no selection change of its own. The
// selection is the list's own, kept whether or not the table view exists;
// the view is made on first request and shows it.
//
// Main thread only.

#include <QAbstractTableModel>
#include <QColor>
#include <QPointer>
#include <QString>
#include <QTableView>

#include <functional>

class QItemSelectionModel;

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
        // Optional: told when the selected row changes, by the user or by
        // selectRow.
        std::function<void()> selectionChanged;
    };

    // The view will be named objectName, with the column titled header.
    NameListTable(const QString& header, Access access, const QString& objectName, QObject* parent);
    ~NameListTable() override;
    NameListTable(const NameListTable&) = delete;
    NameListTable& operator=(const NameListTable&) = delete;

    // The table view, made on the first call (not parented: its pane takes
    // it) with the selected row selected.
    QTableView* view();
    bool hasView() const { return !view_.isNull(); }

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
    void buildView();

    QString header_;
    Access access_;
    QString objectName_;
    QPointer<QTableView> view_;
    QItemSelectionModel* selection_; // on this list, adopted by the view
};
