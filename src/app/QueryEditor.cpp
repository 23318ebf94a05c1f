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
#include <QScrollArea>
#include <QSizePolicy>
#include <QTableView>
#include <QVBoxLayout>

#include <utility>

QueryEditor::QueryEditor(Manager& manager)
        : QObject(&manager)
        , manager_(manager)
{
    buildView();
}

QueryEditor::~QueryEditor()
{
    // A pane never handed to a host is still ours.
    if (view_ && !view_->parent())
        delete view_;
}

void QueryEditor::buildView()
{
    // The pane scrolls rather than squeezing its fields when its host is
    // short.
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("MySQLView"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    view_ = scroll;
    auto* content = new QWidget;
    scroll->setWidget(content);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);

    table_ = new NameListTable(
        QStringLiteral("MySQL Query"),
        {[this] { return int(MYQ.size()); },
         [this](int row) { return MYQ[std::size_t(row)].name; },
         // A cell edit that arrives while documents or panes are
         // switched is dropped, as in every side table.
         [this](int row, const QString& name) { return !editsHeld() && rename(row, name); },
         {}},
        QStringLiteral("mysqlTable"), this);
    mysqlTable = table_->view();
    mysqlTable->setMinimumHeight(4 * (mysqlTable->fontMetrics().height() + 6));
    column->addWidget(mysqlTable, 1);
    connect(mysqlTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { updateMySQLImport(selectedRow()); });

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
    column->addLayout(listRow);

    auto* fields = new QFormLayout;
    my_host = new QLineEdit;
    my_db = new QLineEdit;
    my_port = new QLineEdit;
    my_user = new QLineEdit;
    my_passwd = new QLineEdit;
    my_passwd->setEchoMode(QLineEdit::Password);
    my_sql = new QPlainTextEdit;
    my_sql->setTabChangesFocus(true);
    my_sql->setMinimumHeight(5 * my_sql->fontMetrics().lineSpacing());
    my_sql->setPlaceholderText(QStringLiteral("SELECT x, y FROM measurements"));
    const std::pair<const char*, QLineEdit*> named[] = {
        {"my_host", my_host}, {"my_db", my_db},         {"my_port", my_port},
        {"my_user", my_user}, {"my_passwd", my_passwd},
    };
    for (const auto& [name, field] : named) {
        field->setObjectName(QLatin1String(name));
        connect(field, &QLineEdit::editingFinished, this, [this] { my_save(); });
    }
    my_sql->setObjectName(QStringLiteral("my_sql"));
    connect(my_sql, &QPlainTextEdit::textChanged, this, [this] { my_sqlHasChanged(); });
    fields->addRow(QStringLiteral("Host"), my_host);
    fields->addRow(QStringLiteral("Database"), my_db);
    fields->addRow(QStringLiteral("Port"), my_port);
    fields->addRow(QStringLiteral("User"), my_user);
    fields->addRow(QStringLiteral("Password"), my_passwd);
    fields->addRow(QStringLiteral("SQL"), my_sql);
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
}

// --- the list in the user defaults ------------------------------------------------------

void QueryEditor::loadFromDefaults()
{
    const QByteArray data = UserDefaults::standard().dataForKey(QueryListFile::defaultsKey());
    std::optional<std::vector<MySQLQuery>> stored;
    if (!data.isEmpty())
        stored = QueryListFile::unarchive(data);
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
    if (const std::optional<QByteArray> bytes = QueryListFile::archive(MYQ))
        UserDefaults::standard().setValue(QueryListFile::defaultsKey(), *bytes);
}

// --- the table ------------------------------------------------------------------------------

void QueryEditor::reload()
{
    table_->reload();
}

int QueryEditor::selectedRow() const
{
    return table_->selectedRow();
}

void QueryEditor::selectRow(int row)
{
    table_->selectRow(row);
}

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
    store();
    reload();
    table_->selectRowQuietly(select);
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
    if (row < 0 || filling_)
        return;
    MySQLQuery& q = MYQ[std::size_t(row)];
    MySQLQuery edited(q.name, my_host->text(), my_db->text(), my_port->text().trimmed().toInt(),
                      my_user->text(), my_passwd->text(), my_sql->toPlainText());
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
    const MySQLQuery query(QString(), my_host->text(), my_db->text(), my_port->text().trimmed().toInt(),
                           my_user->text(), my_passwd->text(), my_sql->toPlainText());
    const MySQLImportOutcome outcome = MySQLImport::importMySQL(*document, query, palette());
    if (!outcome.ok()) {
        MySQLImport::report(outcome);
        return;
    }
    document->rescale(true, manager_.axis12());
    document->replot();
}

QString QueryEditor::askForListFile(Manager::FilePanelRequest::Kind kind, const QString& title)
{
    Manager::FilePanelRequest r;
    r.kind = kind;
    r.title = title;
    r.suffix = QueryListFile::suffix();
    const QStringList paths = manager_.filePanel(r);
    return paths.isEmpty() ? QString() : paths.first();
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
    const QString path = askForListFile(Manager::FilePanelRequest::Save, QStringLiteral("MySQL Export"));
    if (path.isEmpty())
        return;
    const std::vector<MySQLQuery> queries
        = selectedOnly ? std::vector<MySQLQuery>{MYQ[std::size_t(row)]} : MYQ;
    QString error;
    if (!QueryListFile::write(path, queries, &error))
        Alert::run(QStringLiteral("File Save Error"), error, {QStringLiteral("Ok")});
}

void QueryEditor::my_import(bool append)
{
    const QString path = askForListFile(Manager::FilePanelRequest::Open, QStringLiteral("MySQL Import"));
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
    const MySQLQuery& q = MYQ[std::size_t(row)];
    filling_ = true;
    my_host->setText(q.host);
    my_db->setText(q.db);
    my_port->setText(QString::number(q.port));
    my_user->setText(q.user);
    my_passwd->setText(q.passwd);
    if (my_sql->toPlainText() != q.sql)
        my_sql->setPlainText(q.sql);
    filling_ = false;
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
