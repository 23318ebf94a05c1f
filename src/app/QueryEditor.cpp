#include "app/QueryEditor.h"

#include "app/Manager.h"
#include "app/NameListTable.h"
#include "io/QueryListFile.h"
#include "io/StoredListFile.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "platform/UserDefaults.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSizePolicy>
#include <QTableView>
#include <QVBoxLayout>

#include <utility>

QueryEditor::QueryEditor(Manager& manager)
        : StoredListEditor(manager)
{
    makeTable(QStringLiteral("MySQL Query"),
              {[this] { return int(MYQ.size()); },
               [this](int row) { return MYQ[std::size_t(row)].name; },
               [this](int row, const QString& name) { return rename(row, name); },
               {},
               [this] { updateMySQLImport(selectedRow()); }},
              QStringLiteral("mysqlTable"));
}

void QueryEditor::buildView()
{
    QVBoxLayout* column = startPane(QStringLiteral("MySQLView"));

    QTableView* table = table_->view();
    table->setMinimumHeight(4 * (table->fontMetrics().height() + 6));
    column->addWidget(table, 1);

    auto button = [this](const QString& title, const QString& tip, auto action) {
        auto* b = new QPushButton(title);
        b->setToolTip(tip);
        b->setAutoDefault(false);
        b->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
        connect(b, &QPushButton::clicked, this, action);
        return b;
    };
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(button(QStringLiteral("+"), QStringLiteral("Add a new query"), [this] { my_add(); }));
    listRow->addWidget(button(QStringLiteral("Duplicate"), QStringLiteral("Duplicate the selected query"),
                              [this] { my_duplicate(); }));
    listRow->addWidget(button(QStringLiteral("−"), QStringLiteral("Delete the selected query"),
                              [this] { my_delete(false); }));
    listRow->addWidget(
        button(QStringLiteral("▲"), QStringLiteral("Move the query up"), [this] { my_moveUp(); }));
    listRow->addWidget(
        button(QStringLiteral("▼"), QStringLiteral("Move the query down"), [this] { my_moveDown(); }));
    listRow->addStretch(1);
    QPushButton* deleteAll = button(QStringLiteral("Delete All…"),
                                    QStringLiteral("Delete every stored query"), [this] { my_delete(true); });
    deleteAll->setObjectName(QStringLiteral("my_deleteAll"));
    listRow->addWidget(deleteAll);
    column->addLayout(listRow);

    auto* fields = new QFormLayout;
    host_ = new QLineEdit;
    db_ = new QLineEdit;
    port_ = new QLineEdit;
    user_ = new QLineEdit;
    passwd_ = new QLineEdit;
    passwd_->setEchoMode(QLineEdit::Password);
    sql_ = new QPlainTextEdit;
    sql_->setTabChangesFocus(true);
    sql_->setMinimumHeight(5 * sql_->fontMetrics().lineSpacing());
    sql_->setPlaceholderText(QStringLiteral("SELECT x, y FROM measurements"));
    const std::pair<const char*, QLineEdit*> named[] = {
        {"my_host", host_}, {"my_db", db_}, {"my_port", port_}, {"my_user", user_}, {"my_passwd", passwd_},
    };
    for (const auto& [name, field] : named) {
        field->setObjectName(QLatin1String(name));
        connect(field, &QLineEdit::editingFinished, this, [this] { my_save(); });
    }
    sql_->setObjectName(QStringLiteral("my_sql"));
    connect(sql_, &QPlainTextEdit::textChanged, this, [this] { my_sqlHasChanged(); });
    fields->addRow(QStringLiteral("Host"), host_);
    fields->addRow(QStringLiteral("Database"), db_);
    fields->addRow(QStringLiteral("Port"), port_);
    fields->addRow(QStringLiteral("User"), user_);
    fields->addRow(QStringLiteral("Password"), passwd_);
    fields->addRow(QStringLiteral("SQL"), sql_);
    fields->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    column->addLayout(fields, 2);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(button(QStringLiteral("Run"),
                              QStringLiteral("Run the query into the current document"),
                              [this] { my_execute(); }));
    fileRow->addStretch(1);
    fileRow->addWidget(button(QStringLiteral("Import…"),
                              QStringLiteral("Replace the list by a query-list file"),
                              [this] { my_import(false); }));
    fileRow->addWidget(button(QStringLiteral("Append…"),
                              QStringLiteral("Append the queries of a query-list file"),
                              [this] { my_import(true); }));
    fileRow->addWidget(button(QStringLiteral("Export…"), QStringLiteral("Export the selected query"),
                              [this] { my_export(true); }));
    fileRow->addWidget(button(QStringLiteral("Export All…"), QStringLiteral("Export the whole list"),
                              [this] { my_export(false); }));
    column->addLayout(fileRow);

    filling_ = false;
    showFields();
}

// --- the list in the user defaults ------------------------------------------------------

void QueryEditor::loadFromDefaults()
{
    const QByteArray data = UserDefaults::standard().dataForKey(QueryListFile::defaultsKey());
    std::optional<std::vector<MySQLQuery>> stored;
    if (!data.isEmpty())
        stored = QueryListFile::unarchive(data);
    storedList_ = stored ? data : QByteArray();
    MYQ = stored ? std::move(*stored) : std::vector<MySQLQuery>();
    if (MYQ.empty()) {
        MYQ.push_back(MySQLQuery::defaultQuery());
        store();
    }
    reload();
    selectRow(0);
    showSelected();
}

void QueryEditor::store()
{
    UserDefaults& defaults = UserDefaults::standard();
    // What another instance sharing the store changed since we last read or
    // wrote the list is taken in first: neither loses the other's queries.
    defaults.synchronize();
    const QByteArray now = defaults.dataForKey(QueryListFile::defaultsKey());
    if (!now.isEmpty() && now != storedList_) {
        if (std::optional<std::vector<MySQLQuery>> theirs = QueryListFile::unarchive(now))
            takeInStored(std::move(*theirs));
    }
    if (const std::optional<QByteArray> bytes = QueryListFile::archive(MYQ)) {
        defaults.setValue(QueryListFile::defaultsKey(), *bytes);
        defaults.synchronize();
        storedList_ = *bytes;
    }
}

void QueryEditor::takeInStored(std::vector<MySQLQuery> theirs)
{
    const std::vector<MySQLQuery> base
        = QueryListFile::unarchive(storedList_).value_or(std::vector<MySQLQuery>());
    const int row = selectedRow();
    const StoredListFile::ItemKey selected = StoredListFile::keyAt(MYQ, row);
    if (!StoredListFile::mergeWithStore(MYQ, base, std::move(theirs),
                                        [](const MySQLQuery& q) -> const MySQLQuery& { return q; }))
        return;
    reload();
    table_->selectRowQuietly(StoredListFile::rowOf(MYQ, selected, std::min(row, int(MYQ.size()) - 1)));
    showSelected();
}

// --- the table ------------------------------------------------------------------------------

bool QueryEditor::rename(int row, const QString& name)
{
    if (row < 0 || row >= int(MYQ.size()))
        return false;
    MYQ[std::size_t(row)].name = name;
    store();
    return true;
}

void QueryEditor::showSelected()
{
    updateMySQLImport(selectedRow());
}

// Stores the changed list, reloads the table, selects the row and shows it.
void QueryEditor::afterListChange(int select)
{
    // The row of the same query once the store's changes are in.
    const StoredListFile::ItemKey shown = StoredListFile::keyAt(MYQ, select);
    store();
    reload();
    table_->selectRowQuietly(StoredListFile::rowOf(MYQ, shown, select));
    showSelected();
}

// --- the editor's actions ---------------------------------------------------------------------

void QueryEditor::my_add()
{
    MYQ.push_back(MySQLQuery::defaultQuery());
    afterListChange(int(MYQ.size()) - 1);
}

void QueryEditor::my_duplicate()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    MySQLQuery copy = MYQ[std::size_t(row)];
    copy.name = QStringLiteral("%1 copy").arg(copy.name);
    MYQ.push_back(std::move(copy));
    afterListChange(int(MYQ.size()) - 1);
}

void QueryEditor::my_delete(bool all)
{
    const int row = selectedRow();
    if (row < 0) {
        Alert::beep();
        return;
    }
    const int answer = all
        ? Alert::run(QStringLiteral("Delete All MySQL Queries"),
                     QStringLiteral("clicking 'Delete' removes all MySQL queries immediately"),
                     {QStringLiteral("Cancel"), QStringLiteral("Delete")})
        : Alert::run(QStringLiteral("Delete MySQL Query"),
                     QStringLiteral("clicking 'Delete' removes this MySQL query immediately"),
                     {QStringLiteral("Cancel"), QStringLiteral("Delete")});
    if (answer == 1) {
        if (all)
            MYQ.clear();
        else
            MYQ.erase(MYQ.begin() + row);
    }
    // An empty list gets a fresh default query. The editor then shows
    // whatever query is selected: it never writes the text of a deleted
    // query into another one.
    if (MYQ.empty())
        MYQ.push_back(MySQLQuery::defaultQuery());
    afterListChange(answer == 1 ? 0 : row);
}

void QueryEditor::my_save()
{
    const int row = selectedRow();
    if (row < 0 || filling_ || !hasView())
        return;
    MySQLQuery& q = MYQ[std::size_t(row)];
    MySQLQuery edited = fieldsQuery();
    edited.name = q.name;
    fields_ = edited;
    if (edited == q)
        return;
    q = std::move(edited);
    store();
}

void QueryEditor::my_moveUp()
{
    const int row = selectedRow();
    if (row < 1)
        return;
    std::swap(MYQ[std::size_t(row)], MYQ[std::size_t(row - 1)]);
    afterListChange(row - 1);
}

void QueryEditor::my_moveDown()
{
    const int row = selectedRow();
    if (row < 0 || row + 1 >= int(MYQ.size()))
        return;
    std::swap(MYQ[std::size_t(row)], MYQ[std::size_t(row + 1)]);
    afterListChange(row + 1);
}

void QueryEditor::my_execute()
{
    VexaDocument* document = manager_.PD;
    if (!document)
        document = manager_.newDocument();
    if (!document)
        return;
    const MySQLQuery query = fieldsQuery();
    const Outcome outcome = MySQLImport::importMySQL(*document, query, palette());
    if (Alert::show(outcome))
        return;
    document->rescale(true, manager_.axis12());
    document->replot();
}

void QueryEditor::my_export(bool selectedOnly)
{
    if (MYQ.empty()) {
        Alert::beep();
        return;
    }
    const int row = selectedRow();
    if (selectedOnly && row < 0) {
        Alert::beep();
        return;
    }
    const QString path = askForListFile(Manager::FilePanelRequest::Save, QStringLiteral("MySQL Export"),
                                        QueryListFile::suffix());
    if (path.isEmpty())
        return;
    const std::vector<MySQLQuery> queries
        = selectedOnly ? std::vector<MySQLQuery>{MYQ[std::size_t(row)]} : MYQ;
    Alert::show(QueryListFile::write(path, queries));
}

void QueryEditor::my_import(bool append)
{
    const QString path = askForListFile(Manager::FilePanelRequest::Open, QStringLiteral("MySQL Import"),
                                        QueryListFile::suffix());
    if (path.isEmpty())
        return;
    QString error;
    std::optional<std::vector<MySQLQuery>> loaded = QueryListFile::read(path, &error);
    if (!loaded) {
        Alert::run(QStringLiteral("File Open Error"), error, {QStringLiteral("Ok")});
        return;
    }
    if (!append)
        MYQ.clear();
    for (MySQLQuery& q : *loaded)
        MYQ.push_back(std::move(q));
    const int row = selectedRow();
    afterListChange(row >= 0 ? row : 0);
}

void QueryEditor::my_sqlHasChanged()
{
    my_save();
}

void QueryEditor::updateMySQLImport(int row)
{
    if (selectedRow() < 0 || row < 0 || row >= int(MYQ.size()))
        return;
    fields_ = MYQ[std::size_t(row)];
    showFields();
}

void QueryEditor::showFields()
{
    if (!hasView() || !fields_)
        return;
    const MySQLQuery& q = *fields_;
    filling_ = true;
    host_->setText(q.host);
    db_->setText(q.db);
    port_->setText(QString::number(q.port));
    user_->setText(q.user);
    passwd_->setText(q.passwd);
    if (sql_->toPlainText() != q.sql)
        sql_->setPlainText(q.sql);
    filling_ = false;
}

MySQLQuery QueryEditor::fieldsQuery() const
{
    if (hasView())
        return MySQLQuery(QString(), host_->text(), db_->text(), port_->text().trimmed().toInt(),
                          user_->text(), passwd_->text(), sql_->toPlainText());
    if (!fields_)
        return MySQLQuery(QString(), QString(), QString(), 0, QString(), QString(), QString());
    MySQLQuery q = *fields_;
    q.name.clear();
    return q;
}

void QueryEditor::merge(std::vector<MySQLQuery> loaded)
{
    StoredListFile::mergeByName(MYQ, std::move(loaded));
    const int row = selectedRow();
    afterListChange(row >= 0 ? row : 0);
}

MySQLImport::Palette QueryEditor::palette() const
{
    // The preferences' palette.
    MySQLImport::Palette p;
    for (int n = 0; n < int(p.size()); ++n)
        p[std::size_t(n)] = manager_.paletteColor(n);
    return p;
}
