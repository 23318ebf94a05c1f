#include "app/SideTableView.h"

#include "app/SideTableModel.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTimer>

namespace {

// Takes Return, Tab and Backtab away from the editor: the edit is committed
// and closed, and the table decides where editing goes on.
class MovingDelegate : public QStyledItemDelegate {
public:
    explicit MovingDelegate(SideTableView* table)
            : QStyledItemDelegate(table)
            , table_(table)
    {
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        QStyledItemDelegate::setEditorData(editor, index);
        editor->setProperty("editedRow", index.row());
        editor->setProperty("editedColumn", index.column());
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* editor = qobject_cast<QWidget*>(object);
        if (editor && event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            std::optional<SideTableView::Movement> movement;
            switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                movement = SideTableView::Movement::Return;
                break;
            case Qt::Key_Tab:
                movement = (key->modifiers() & Qt::ShiftModifier) ? SideTableView::Movement::Backtab
                                                                  : SideTableView::Movement::Tab;
                break;
            case Qt::Key_Backtab:
                movement = SideTableView::Movement::Backtab;
                break;
            default:
                break;
            }
            if (movement) {
                const QModelIndex edited = table_->model()->index(editor->property("editedRow").toInt(),
                                                                  editor->property("editedColumn").toInt());
                emit commitData(editor);
                emit closeEditor(editor, QAbstractItemDelegate::NoHint);
                table_->editEnded(edited, *movement);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    SideTableView* table_;
};

} // namespace

SideTableView::SideTableView(QWidget* parent)
        : QTableView(parent)
{
    setItemDelegate(new MovingDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->hide();
    // Every row is as high as the next: the view then never measures rows,
    // however many there are.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setHighlightSections(false);
    setAttribute(Qt::WA_MacShowFocusRect, false);
}

std::optional<QModelIndex> SideTableView::nextEdit(int, int, Movement) const
{
    return std::nullopt;
}

void SideTableView::editEnded(const QModelIndex& edited, Movement movement)
{
    if (!edited.isValid())
        return;
    const std::optional<QModelIndex> next = nextEdit(edited.row(), edited.column(), movement);
    if (!next || !next->isValid())
        return;
    // The closed editor goes away once control returns to the event loop;
    // the next one opens after it.
    const QPersistentModelIndex target(*next);
    QTimer::singleShot(0, this, [this, target] {
        if (target.isValid())
            startEditing(target);
    });
}

void SideTableView::showEvent(QShowEvent* event)
{
    if (auto* rows = dynamic_cast<SideTableModel*>(model()))
        rows->catchUp();
    QTableView::showEvent(event);
}

int SideTableView::neighbourRow(int row, Movement movement) const
{
    const int rows = model() ? model()->rowCount() : 0;
    if (rows == 0)
        return -1;
    if (movement == Movement::Backtab)
        return row <= 0 ? rows - 1 : row - 1;
    return row + 1 >= rows ? 0 : row + 1;
}

void SideTableView::startEditing(const QModelIndex& index)
{
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
    edit(index);
}
