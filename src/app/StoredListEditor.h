#pragma once

// What the editors of a stored list (the macros, the MySQL queries) share:
// the controller they work for, the table of the list's names, the pane made
// on first request, the list as this instance last read or wrote it in the
// user defaults, and the panels for list files.
//
// Main thread only.

#include "app/Manager.h"
#include "app/NameListTable.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

class QTableView;
class QVBoxLayout;

class StoredListEditor : public QObject {
public:
    ~StoredListEditor() override;
    StoredListEditor(const StoredListEditor&) = delete;
    StoredListEditor& operator=(const StoredListEditor&) = delete;

    // The pane, made on the first call and showing the editor's state.
    // Whoever shows it takes it over (Qt ownership); a pane never handed to a
    // host goes with the editor. A run that never asks for it never makes it:
    // the list, the selected row and the actions need no widget.
    QWidget* view();
    bool hasView() const { return !view_.isNull(); }

    // --- the table -----------------------------------------------------------------------
    void reload();
    // The selected row, or -1 when none is selected inside the list.
    int selectedRow() const;
    void selectRow(int row);
    // True while the controller holds edits back (its noedit, while documents
    // or panes are switched): a name typed into the table is then dropped, as
    // in every side table.
    bool editsHeld() const { return manager_.noedit != 0; }

protected:
    explicit StoredListEditor(Manager& manager);

    // The table of the names; its renames are dropped while edits are held.
    void makeTable(const QString& header, NameListTable::Access access, const QString& objectName);
    // The table's view, made with the pane.
    QTableView* tableView();

    // Makes the pane's widgets; view() calls it once.
    virtual void buildView() = 0;
    // The start of every pane: a scroll area of that name, so that a short
    // host scrolls the pane rather than squeezing it, around an empty widget
    // whose column comes back to be filled. The filling flag is raised: the
    // widgets report changes while they are made.
    QVBoxLayout* startPane(const QString& objectName);
    // The widget, once the pane is made.
    template <class Widget> Widget* made(const QPointer<Widget>& widget)
    {
        view();
        return widget.data();
    }

    // The chosen path of an open or save panel for list files of the suffix;
    // empty when cancelled.
    QString askForListFile(Manager::FilePanelRequest::Kind kind, const QString& title, const QString& suffix);

    Manager& manager_;
    // The list's table, holding the selected row (its view made with the pane).
    NameListTable* table_ = nullptr;
    QPointer<QWidget> view_;
    // What the list's key in the user defaults held when this instance last
    // read or wrote it.
    QByteArray storedList_;
    // Set while the editor's controls are filled from an item of the list, so
    // that the filling is not taken for an edit and saved.
    bool filling_ = false;
};
