#pragma once

// The common ground of the controller's side tables (buffer list, point
// table, axis labels): the table holds no data of its own, every cell is
// asked of the model when the view paints it, so a table of a million rows
// costs no more than the rows on screen. reload() is the table's "reload
// data": it refreshes every cell and keeps the selection of the rows that are
// still there, which a model reset would drop.
//
// A table that can grow large (the point table) waits while its view is
// hidden: reload() then takes rows away at once, so the selection loses
// exactly the rows it would have lost, but takes in new rows and repaints
// only when the view is shown again. A headless run never shows it, and a
// million imported points then cost the view nothing.
//
// Main thread only.

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>

#include <functional>
#include <optional>

class SideTableModel : public QAbstractTableModel {
public:
    explicit SideTableModel(QStringList titles, QObject* parent = nullptr);

    // The column of a title; -1 when no column has it.
    int column(const QString& title) const { return int(titles_.indexOf(title)); }
    const QStringList& titles() const { return titles_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Brings the row count in line with the data and repaints the cells;
    // new rows wait while the view is not on show (waitWhileHidden).
    void reload();
    // From now on reload() lets new rows wait while `shown` says the view is
    // not on show (or not made yet); the view brings them in when shown
    // (SideTableView does).
    void waitWhileHidden(std::function<bool()> shown);
    // Whether rows or cells wait for the view to be shown.
    bool waiting() const { return waiting_; }
    // Brings the table up to date now, shown or not: for whoever is about to
    // use its rows (selecting one) while the view is hidden.
    void catchUp();

protected:
    // The number of rows the data has now.
    virtual int rowTotal() const = 0;
    // The text of a cell; rows and columns are inside the table, but the data
    // may have shrunk since the last reload, so implementations check.
    virtual QString text(int row, int column) const = 0;
    // The text an editor of the cell starts with: the cell's own, unless the
    // cell shows a shortened form of what an edit replaces.
    virtual QString editText(int row, int column) const { return text(row, column); }
    // The colour of a row's text; none keeps the view's own.
    virtual std::optional<QColor> textColor(int /*row*/) const { return std::nullopt; }
    // Whether the user may type into the column.
    virtual bool editable(int /*column*/) const { return false; }
    // The user typed text into a cell. True when the model took it.
    virtual bool edit(int /*row*/, int /*column*/, const QString& /*text*/) { return false; }

private:
    // Rows from total on leave the views.
    void dropRowsFrom(int total);
    void bringIn(int total);

    QStringList titles_;
    int count_ = 0; // rows as the views know them
    std::function<bool()> shown_; // whether the view new rows wait for is on show
    bool waiting_ = false;
};
