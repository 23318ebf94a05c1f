#include "app/StoredListEditor.h"

#include <QFrame>
#include <QScrollArea>
#include <QTableView>
#include <QVBoxLayout>

#include <utility>

StoredListEditor::StoredListEditor(Manager& manager)
        : QObject(&manager)
        , manager_(manager)
{
}

StoredListEditor::~StoredListEditor()
{
    // A pane never handed to a host is still ours. The editor's own part is
    // gone by now: its widgets report nothing more to it on their way out.
    if (view_ && !view_->parent()) {
        for (QObject* widget : view_->findChildren<QObject*>())
            widget->disconnect(this);
        delete view_;
    }
}

QWidget* StoredListEditor::view()
{
    if (!view_)
        buildView();
    return view_;
}

void StoredListEditor::makeTable(const QString& header, NameListTable::Access access,
                                 const QString& objectName)
{
    access.rename = [this, rename = std::move(access.rename)](int row, const QString& name) {
        return !editsHeld() && rename(row, name);
    };
    table_ = new NameListTable(header, std::move(access), objectName, this);
}

QTableView* StoredListEditor::tableView()
{
    view();
    return table_->view();
}

QVBoxLayout* StoredListEditor::startPane(const QString& objectName)
{
    auto* scroll = new QScrollArea;
    scroll->setObjectName(objectName);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    view_ = scroll;
    filling_ = true;
    auto* content = new QWidget;
    scroll->setWidget(content);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    return column;
}

void StoredListEditor::reload()
{
    table_->reload();
}

int StoredListEditor::selectedRow() const
{
    return table_->selectedRow();
}

void StoredListEditor::selectRow(int row)
{
    table_->selectRow(row);
}

QString StoredListEditor::askForListFile(Manager::FilePanelRequest::Kind kind, const QString& title,
                                         const QString& suffix)
{
    Manager::FilePanelRequest r;
    r.kind = kind;
    r.title = title;
    r.suffix = suffix;
    const QStringList paths = manager_.filePanel(r);
    return paths.isEmpty() ? QString() : paths.first();
}
