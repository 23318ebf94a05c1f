#include "app/PanelOutlets.h"

#include "app/InspectorPanel.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>
#include <QWidget>

namespace PanelOutlets {

int tagOf(const QObject* cell)
{
    bool ok = false;
    const int tag = cell ? cell->property("tag").toInt(&ok) : 0;
    return ok ? tag : -1;
}

bool setText(InspectorPanel* panel, const QString& outlet, const QString& text)
{
    QWidget* root = panel ? panel->view() : nullptr;
    auto* field = root ? root->findChild<QLineEdit*>(outlet) : nullptr;
    if (!field)
        return false;
    field->setText(text);
    return true;
}

QAbstractButton* cellWithTag(QWidget* container, int tag)
{
    if (!container)
        return nullptr;
    for (QAbstractButton* b : container->findChildren<QAbstractButton*>())
        if (b->isCheckable() && tagOf(b) == tag)
            return b;
    return nullptr;
}

bool selectTag(InspectorPanel* panel, const QString& outlet, int tag)
{
    QWidget* root = panel ? panel->view() : nullptr;
    if (!root)
        return false;
    QAbstractButton* cell = nullptr;
    if (auto* group = root->findChild<QButtonGroup*>(outlet))
        cell = group->button(tag);
    if (!cell)
        cell = cellWithTag(root->findChild<QWidget*>(outlet), tag);
    if (!cell)
        return false;
    cell->setChecked(true);
    return true;
}

int selectedTag(InspectorPanel* panel, const QString& outlet)
{
    QWidget* root = panel ? panel->view() : nullptr;
    if (!root)
        return -1;
    if (auto* group = root->findChild<QButtonGroup*>(outlet))
        return group->checkedButton() ? group->checkedId() : -1;
    QWidget* container = root->findChild<QWidget*>(outlet);
    if (!container)
        return -1;
    for (QAbstractButton* b : container->findChildren<QAbstractButton*>())
        if (b->isCheckable() && b->isChecked())
            return tagOf(b);
    return -1;
}

} // namespace PanelOutlets
