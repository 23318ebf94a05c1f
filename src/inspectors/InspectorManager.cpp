#include "inspectors/InspectorManager.h"

#include "app/ColorWell.h"
#include "app/PanelContext.h"
#include "app/PanelOutlets.h"
#include "model/VexaDocument.h"
#include "view/VexaView.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QWidget>

InspectorManager::InspectorManager(PanelContext& context)
        : context_(context)
{
}

InspectorManager::~InspectorManager() = default;

VexaDocument* InspectorManager::PD() const
{
    return context_.currentDocument();
}

VexaView* InspectorManager::documentView() const
{
    return PD() ? dynamic_cast<VexaView*>(PD()->PV) : nullptr;
}

void InspectorManager::showControls(bool show, const QString& missing)
{
    context_.showInspectorFrame(show, PD() ? missing : QString());
}

void InspectorManager::report(QObject* sender)
{
    if (!refreshing_)
        didChange(sender);
}

void InspectorManager::bind(QLineEdit* field, QObject* sender)
{
    QObject* who = sender ? sender : field;
    connect(field, &QLineEdit::editingFinished, this, [this, field, who] {
        // Text set by update is no edit; only typing marks the field.
        if (!field->isModified())
            return;
        field->setModified(false);
        report(who);
    });
}

void InspectorManager::bind(QAbstractButton* button, QObject* sender)
{
    QObject* who = sender ? sender : button;
    connect(button, &QAbstractButton::clicked, this, [this, who] { report(who); });
}

void InspectorManager::bind(QSlider* slider, QObject* sender)
{
    QObject* who = sender ? sender : slider;
    connect(slider, &QSlider::valueChanged, this, [this, who] { report(who); });
}

void InspectorManager::bind(QButtonGroup* cells)
{
    connect(cells, &QButtonGroup::idClicked, this, [this, cells] { report(cells); });
}

void InspectorManager::bind(ColorWell* well)
{
    connect(well, &ColorWell::colorChosen, this, [this, well] { report(well); });
}

void InspectorManager::bind(QComboBox* popUp)
{
    connect(popUp, &QComboBox::activated, this, [this, popUp] { report(popUp); });
}

QButtonGroup* InspectorManager::taggedCells(QWidget* container)
{
    auto* group = new QButtonGroup(container);
    group->setObjectName(container->objectName());
    group->setExclusive(true);
    for (QAbstractButton* b : container->findChildren<QAbstractButton*>()) {
        const int tag = PanelOutlets::tagOf(b);
        if (tag >= 0 && b->isCheckable())
            group->addButton(b, tag);
    }
    return group;
}

void InspectorManager::selectCell(QButtonGroup* cells, int tag)
{
    if (QAbstractButton* b = cells->button(tag)) {
        b->setChecked(true);
    } else if (QAbstractButton* on = cells->checkedButton()) {
        cells->setExclusive(false);
        on->setChecked(false);
        cells->setExclusive(true);
    }
}

InspectorManager::Refresh::Refresh(InspectorManager& panel)
        : panel_(panel)
        , previous_(panel.refreshing_)
{
    panel_.refreshing_ = true;
}

InspectorManager::Refresh::~Refresh()
{
    panel_.refreshing_ = previous_;
}
