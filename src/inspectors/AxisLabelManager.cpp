#include "inspectors/AxisLabelManager.h"

#include "app/AxisLabelTableModel.h"
#include "app/AxisLabelTableView.h"
#include "app/ColorWell.h"
#include "app/PanelContext.h"
#include "app/PanelOutlets.h"
#include "inspectors/AxisSelector.h"
#include "inspectors/DoubleSlider.h"
#include "inspectors/TypedNumber.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "util/NumberFormat.h"

#include "ui_axislabel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>

#include <optional>
#include <utility>

namespace {

using Redraw = VexaDocument::Redraw;
using Flag = AxisSettings::Flag;
using Panel = Ui::AxisLabelPanel;

// clang-format off
struct SwitchRow {
    QCheckBox* Panel::*box;
    Flag AxisSettings::*field;
};
const SwitchRow switchRows[] = {
    {&Panel::textOffWindow, &AxisSettings::textoffwindow},
    {&Panel::text,          &AxisSettings::text},
    {&Panel::numbers,       &AxisSettings::numbers},
};

// The fonts by font id.
QFont AxisSettings::*const fontFields[2] = {&AxisSettings::textfont, &AxisSettings::numfont};
// clang-format on

const QString kTitle = QStringLiteral("Axis Label Inspector");

// The gap of the numbers is one signed byte; the title's gap and the turn
// of the numbers, in degrees, what a graph can show.
constexpr NumberRange numberGapRange{-128, 127};
constexpr NumberRange titleGapRange{-1000000, 1000000};
constexpr NumberRange angleRange{-360, 360};

} // namespace

AxisLabelManager::AxisLabelManager(PanelContext& context)
        : AxisInspector(context)
        , ui_(new Panel)
{
    inspectorView = new QWidget;
    ui_->setupUi(inspectorView);
    Panel& u = *ui_;
    attach(u.insAxisLabelsSel);

    align = taggedCells(u.align);
    bind(align);
    u.numOffSlider->setRange(-20, 60);
    u.textOffSlider->setRange(-20, 100);
    u.angleSlider->setDoubleRange(0, 360, 1);
    for (QSlider* s : {static_cast<QSlider*>(u.numOffSlider), static_cast<QSlider*>(u.textOffSlider)})
        s->setFocusPolicy(Qt::NoFocus);
    for (QLineEdit* f : {u.numOff, u.textOff, u.angle})
        bind(f);
    bind(u.numOffSlider);
    bind(u.textOffSlider);
    bind(u.angleSlider);
    for (const SwitchRow& row : switchRows)
        bind(u.*row.box);
    bind(u.axisTextColor);
    for (QToolButton* preset : {u.angle0, u.angle45, u.angle90, u.angle270})
        bind(preset);
    for (QPushButton* b : {u.textFontButton, u.numFontButton})
        connect(b, &QPushButton::clicked, this, [this, b] { fontChanges(b); });
    connect(u.clearLabels, &QPushButton::clicked, this, [this] { clearAxisLabels(); });
}

AxisLabelManager::~AxisLabelManager() = default;

void AxisLabelManager::setup()
{
    axisLabelTable = context_.makeAxisLabelTable(ui_->labelsBox);
    axisLabelTable->setObjectName(QStringLiteral("axisLabelTable"));
    axisLabelTable->setToolTip(
        QStringLiteral("Text drawn in place of a number; empty for the number itself"));
    axisLabelTable->horizontalHeader()->setStretchLastSection(true);
    axisLabelTable->verticalHeader()->hide();
    axisLabelTable->setMinimumHeight(120);
    ui_->labelsColumn->insertWidget(0, axisLabelTable, 1);
    update();
}

void AxisLabelManager::update()
{
    if (!showDocument())
        return;
    Refresh refresh(*this);
    Panel& u = *ui_;
    const AxisSettings& s = PD()->axes[std::size_t(axis())];

    u.axisTextColor->setColor(s.axistextcolor);
    u.textFont->setText(FontChange::fontText(s.textfont));
    u.numFont->setText(FontChange::fontText(s.numfont));
    u.numOff->setText(formatNumberInteger(s.numoff));
    u.numOffSlider->setValue(s.numoff);
    u.textOff->setText(formatNumberInteger(s.textoff));
    u.textOffSlider->setValue(s.textoff);
    for (const SwitchRow& row : switchRows)
        (u.*row.box)->setChecked(s.*row.field != 0);
    u.angle->setText(formatNumberInteger(s.angle));
    u.angleSlider->setDoubleValue(s.angle);
    selectCell(align, s.align);
    if (axisLabelTable)
        if (auto* rows = dynamic_cast<AxisLabelTableModel*>(axisLabelTable->model()))
            rows->reload();
}

void AxisLabelManager::didChange(QObject* sender)
{
    const auto held = context_.holdEdits();
    AxisInspector::didChange(sender);
}

void AxisLabelManager::apply(QObject* sender)
{
    VexaDocument& d = *PD();
    Panel& u = *ui_;
    const int tag = PanelOutlets::tagOf(sender);
    // A typed number is read once for every axis it goes to; a refused one
    // changes nothing, and the refresh shows what is stored.
    const std::pair<QLineEdit*, NumberRange> typedFields[]
        = {{u.numOff, numberGapRange}, {u.textOff, titleGapRange}, {u.angle, angleRange}};
    std::optional<double> typed;
    for (const auto& [field, range] : typedFields)
        if (sender == field && !(typed = typedNumber(kTitle, field->text(), range)))
            return;
    for (int k : axesChanged(u.allaxislabels->isChecked())) {
        if (sender == u.axisTextColor)
            d.setAxis(k, &AxisSettings::axistextcolor, u.axisTextColor->color(), Redraw::Later);
        if (sender == u.numOff)
            d.setAxis(k, &AxisSettings::numoff, std::int8_t(*typed), Redraw::Later);
        if (sender == u.numOffSlider)
            d.setAxis(k, &AxisSettings::numoff, std::int8_t(u.numOffSlider->value()), Redraw::Later);
        if (sender == u.textOff)
            d.setAxis(k, &AxisSettings::textoff, int(*typed), Redraw::Later);
        if (sender == u.textOffSlider)
            d.setAxis(k, &AxisSettings::textoff, u.textOffSlider->value(), Redraw::Later);
        for (const SwitchRow& row : switchRows)
            if (sender == u.*row.box)
                d.setAxis(k, row.field, Flag((u.*row.box)->isChecked()), Redraw::Later);
        if (sender == u.angle)
            d.setAxis(k, &AxisSettings::angle, *typed, Redraw::Later);
        if (sender == u.angleSlider)
            d.setAxis(k, &AxisSettings::angle, u.angleSlider->doubleValue(), Redraw::Later);
        if (tag >= 1000)
            d.setAxis(k, &AxisSettings::angle, double(tag - 1000), Redraw::Later);
        if (sender == align)
            d.setAxis(k, &AxisSettings::align, align->checkedId(), Redraw::Later);
    }
}

void AxisLabelManager::clearAxisLabels()
{
    if (!PD())
        return;
    PD()->setAxis(axis(), &AxisSettings::alabel, QHash<QString, QString>(), Redraw::Later);
    context_.refresh();
    PD()->replot();
}

void AxisLabelManager::fontChanges(QObject* sender)
{
    const int id = PanelOutlets::tagOf(sender);
    if (id != 0 && id != 1)
        return;
    FontChange& relay = context_.fontRelay();
    if (PD())
        relay.setReceiver(axis(), id, PD()->axes[std::size_t(axis())].*fontFields[id], this);
    relay.orderFrontFontPanel();
}

void AxisLabelManager::receiveFont(const FontChange& relay)
{
    if (!PD()) {
        Alert::beep();
        return;
    }
    const int fontId = relay.fid();
    const int fontAxis = relay.fcaxis();
    if ((fontId != 0 && fontId != 1) || fontAxis < 0 || fontAxis > 3)
        return;
    for (int k : ui_->allaxislabels->isChecked() ? axesChanged(true) : std::vector<int>{fontAxis})
        PD()->setAxis(k, fontFields[fontId], relay.font(), Redraw::Later);
    update();
    PD()->replot();
}
