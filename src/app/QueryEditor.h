#pragma once

// The stored MySQL queries and their editor: the list (MYQ), the pane with
// the query table, the connection fields and the SQL text, and the actions
// behind its buttons. The list is kept in the user defaults under
// "MySQLQueries" and rewritten after every change. The controller makes
// one editor and shows its pane as the "mysql" data pane; the pane is an
// ordinary widget, so any panel host can carry it.
//
// Main thread only.

#include "app/StoredListEditor.h"
#include "io/MySQLImport.h"
#include "io/MySQLQuery.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QString>

#include <optional>
#include <vector>

class QTableView;

class QueryEditor : public StoredListEditor {
public:
    explicit QueryEditor(Manager& manager);

    // The stored queries, in table order.
    std::vector<MySQLQuery> MYQ;

    // The pane (view()) shows the selected row and the fields last filled
    // from a query; it must outlive no editor, so its host deletes it first
    // or with the editor. Its widgets; each call makes the pane first when
    // needed.
    QTableView* mysqlTable() { return tableView(); }
    QLineEdit* my_host() { return made(host_); }
    QLineEdit* my_db() { return made(db_); }
    QLineEdit* my_port() { return made(port_); }
    QLineEdit* my_user() { return made(user_); }
    QLineEdit* my_passwd() { return made(passwd_); }
    QPlainTextEdit* my_sql() { return made(sql_); }

    // --- the list in the user defaults ---------------------------------------------
    // The launch: the list from "MySQLQueries"; a missing, damaged or empty
    // entry gives the one default query (stored at once). Shows row 0.
    void loadFromDefaults();
    // Rewrites "MySQLQueries" from MYQ, after taking in what another
    // instance changed there since this one last read or wrote it (a query
    // changed here keeps this change; see StoredListFile::mergeWithStore).
    void store();

    // --- the table ---------------------------------------------------------------------
    // Renames the query of the row and stores the list; false for a row
    // outside the list.
    bool rename(int row, const QString& name);

    // --- the editor's actions ------------------------------------------------------------
    void my_add();
    void my_duplicate();
    // Asks first; `all` removes every query, otherwise the selected one. A
    // beep without a selected query.
    void my_delete(bool all);
    // The editor's fields into the selected query (its name kept).
    void my_save();
    void my_moveUp();
    void my_moveDown();
    // Runs the editor's query into the current document (a new one when
    // there is none), then rescales the controller's axis pairs and
    // replots. A failure is an alert and changes nothing.
    void my_execute();
    // A save panel, then the selected query (selectedOnly) or the whole
    // list as a query-list file. A beep for an empty list, or for
    // selectedOnly without a selected query.
    void my_export(bool selectedOnly);
    // An open panel, then the file's queries appended to the list (append)
    // or in its place. A damaged file is refused with "File Open Error".
    void my_import(bool append);
    void my_sqlHasChanged();
    // Fills the editor from the query at the row, when a row is selected.
    void updateMySQLImport(int row);

    // An opened query-list file: queries named like loaded ones go, the
    // loaded ones are appended (loaded items win); then the list is stored
    // and the selected row shown.
    void merge(std::vector<MySQLQuery> loaded);

    // The colours of new buffers: the application's palette.
    MySQLImport::Palette palette() const;

private:
    void buildView() override;
    // The fields into the pane's widgets.
    void showFields();
    // The query the fields hold (no name): what the pane shows, or without
    // a pane what was last filled in.
    MySQLQuery fieldsQuery() const;
    void afterListChange(int select);
    void showSelected();
    // Merges the store's list into MYQ; the table and the shown query follow
    // when that changed anything.
    void takeInStored(std::vector<MySQLQuery> theirs);

    // The connection and SQL last filled in from a query; none before the first.
    std::optional<MySQLQuery> fields_;

    QPointer<QLineEdit> host_;
    QPointer<QLineEdit> db_;
    QPointer<QLineEdit> port_;
    QPointer<QLineEdit> user_;
    QPointer<QLineEdit> passwd_;
    QPointer<QPlainTextEdit> sql_;
};
