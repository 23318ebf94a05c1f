#include "inspectors/AxisFormatManager.h"

#include "app/ColorWell.h"
#include "inspectors/AxisSelector.h"
#include "inspectors/DoubleSlider.h"
#include "inspectors/InsPopUpButton.h"
#include "inspectors/StyleIcons.h"
#include "inspectors/TypedNumber.h"
#include "model/VexaDocument.h"
#include "platform/DashPattern.h"
#include "util/NumberFormat.h"

#include "ui_axisformat.h"

#include <QButtonGroup>
#include <QCheckBox>

#include <cmath>

namespace {

using Redraw = VexaDocument::Redraw;
using Flag = AxisSettings::Flag;
using Panel = Ui::AxisFormatPanel;

// clang-format off
struct SwitchRow {
    QCheckBox* Panel::*box;
    Flag AxisSettings::*field;
};
const SwitchRow switchRows[] = {
    {&Panel::zeroLine,       &AxisSettings::zeroline},
    {&Panel::plotTicks,      &AxisSettings::ticks},
    {&Panel::plotMinorTicks, &AxisSettings::mticks},
    {&Panel::plotGrid,       &AxisSettings::grid},
    {&Panel::plotMinorGrid,  &AxisSettings::mgrid},
    {&Panel::gridFront,      &AxisSettings::gridfront},
    {&Panel::mgridFront,     &AxisSettings::mgridfront},
    {&Panel::ticksBoth,      &AxisSettings::ticksboth},
    {&Panel::mticksBoth,     &AxisSettings::mticksboth},
};

struct ColorRow {
    ColorWell* Panel::*well;
    QColor AxisSettings::*field;
};
const ColorRow colorRows[] = {
    {&Panel::zeroColor,  &AxisSettings::zerocolor},
    {&Panel::tickColor,  &AxisSettings::tickcolor},
    {&Panel::mtickColor, &AxisSettings::mtickcolor},
    {&Panel::gridColor,  &AxisSettings::gridcolor},
    {&Panel::mgridColor, &AxisSettings::mgridcolor},
};

// Widths: a field showing one decimal and a slider of steps of 0.1.
struct WidthRow {
    QLineEdit* Panel::*field;
    DoubleSlider* Panel::*slider;
    double AxisSettings::*value;
};
const WidthRow widthRows[] = {
    {&Panel::tickWidth,  &Panel::tickWidthSlider,  &AxisSettings::tickwidth},
    {&Panel::mtickWidth, &Panel::mtickWidthSlider, &AxisSettings::mtickwidth},
    {&Panel::gridWidth,  &Panel::gridWidthSlider,  &AxisSettings::gridwidth},
    {&Panel::mgridWidth, &Panel::mgridWidthSlider, &AxisSettings::mgridwidth},
};

struct PatternRow {
    InsPopUpButton* Panel::*popUp;
    int AxisSettings::*field;
};
const PatternRow patternRows[] = {
    {&Panel::gridPattern,  &AxisSettings::gridpattern},
    {&Panel::mgridPattern, &AxisSettings::mgridpattern},
};
// clang-format on

const QString kTitle = QStringLiteral("Axis Format Inspector");

// The typed lengths and widths, each in what the painter draws; the major
// tick length counts whole points, the others are taken as typed.
constexpr NumberRange lengthRange{0, 1000};
constexpr NumberRange widthRange{0, 100};
enum class Rounding { AsTyped, WholePoints };
// clang-format off
const struct FieldRow {
    QLineEdit* Panel::*field;
    double AxisSettings::*value;
    NumberRange range;
    Rounding rounding;
} fieldRows[] = {
    {&Panel::tickLength,  &AxisSettings::ticklength,  lengthRange, Rounding::WholePoints},
    {&Panel::mtickLength, &AxisSettings::mticklength, lengthRange, Rounding::AsTyped},
    {&Panel::tickWidth,   &AxisSettings::tickwidth,   widthRange,  Rounding::AsTyped},
    {&Panel::mtickWidth,  &AxisSettings::mtickwidth,  widthRange,  Rounding::AsTyped},
    {&Panel::gridWidth,   &AxisSettings::gridwidth,   widthRange,  Rounding::AsTyped},
    {&Panel::mgridWidth,  &AxisSettings::mgridwidth,  widthRange,  Rounding::AsTyped},
};
// clang-format on

} // namespace

AxisFormatManager::AxisFormatManager(PanelContext& context)
        : AxisInspector(context)
        , ui_(new Panel)
{
    inspectorView = new QWidget;
    ui_->setupUi(inspectorView);
    Panel& u = *ui_;
    attach(u.insAxisFormatSel);

    tickStyle = taggedCells(u.tickStyle);
    bind(tickStyle);
    for (QSlider* s : {u.tickLengthSlider, u.mtickLengthSlider}) {
        s->setRange(0, 30);
        s->setFocusPolicy(Qt::NoFocus);
    }
    bind(u.tickLength);
    bind(u.tickLengthSlider);
    bind(u.mtickLength);
    bind(u.mtickLengthSlider);
    for (const WidthRow& row : widthRows) {
        (u.*row.slider)->setDoubleRange(0, 10, 0.1);
        bind(u.*row.field);
        bind(u.*row.slider);
    }
    for (const PatternRow& row : patternRows) {
        StyleIcons::fillDashes(*(u.*row.popUp));
        bind(u.*row.popUp);
    }
    for (const SwitchRow& row : switchRows)
        bind(u.*row.box);
    for (const ColorRow& row : colorRows)
        bind(u.*row.well);
}

AxisFormatManager::~AxisFormatManager() = default;

void AxisFormatManager::update()
{
    if (!showDocument())
        return;
    Refresh refresh(*this);
    Panel& u = *ui_;
    const AxisSettings& s = PD()->axes[std::size_t(axis())];

    for (const ColorRow& row : colorRows)
        (u.*row.well)->setColor(s.*row.field);
    for (const SwitchRow& row : switchRows)
        (u.*row.box)->setChecked(s.*row.field != 0);
    u.tickLength->setText(formatNumberInteger(s.ticklength));
    u.tickLengthSlider->setValue(int(s.ticklength));
    u.mtickLength->setText(formatNumberInteger(std::trunc(s.mticklength)));
    u.mtickLengthSlider->setValue(int(s.mticklength));
    for (const WidthRow& row : widthRows) {
        (u.*row.field)->setText(formatNumberFixed(1, s.*row.value));
        (u.*row.slider)->setDoubleValue(s.*row.value);
    }
    for (const PatternRow& row : patternRows) {
        const int pattern = s.*row.field;
        (u.*row.popUp)->setCurrentIndex(pattern >= 0 && pattern < DashPattern::Count ? pattern : -1);
    }
    selectCell(tickStyle, s.tickstyle);
}

void AxisFormatManager::apply(QObject* sender)
{
    VexaDocument& d = *PD();
    Panel& u = *ui_;
    const std::vector<int> axes = axesChanged(u.allaxis->isChecked());
    // A typed number is read once for every axis it goes to; a refused one
    // changes nothing, and the refresh shows what is stored.
    for (const FieldRow& row : fieldRows) {
        if (sender != u.*row.field)
            continue;
        const std::optional<double> typed = typedNumber(kTitle, (u.*row.field)->text(), row.range);
        if (!typed)
            return;
        const double value = row.rounding == Rounding::WholePoints ? std::trunc(*typed) : *typed;
        for (int k : axes)
            d.setAxis(k, row.value, value, Redraw::Later);
        return;
    }
    for (int k : axes) {
        for (const ColorRow& row : colorRows)
            if (sender == u.*row.well)
                d.setAxis(k, row.field, (u.*row.well)->color(), Redraw::Later);
        for (const SwitchRow& row : switchRows)
            if (sender == u.*row.box)
                d.setAxis(k, row.field, Flag((u.*row.box)->isChecked()), Redraw::Later);
        if (sender == u.tickLengthSlider)
            d.setAxis(k, &AxisSettings::ticklength, double(u.tickLengthSlider->value()), Redraw::Later);
        if (sender == u.mtickLengthSlider)
            d.setAxis(k, &AxisSettings::mticklength, double(u.mtickLengthSlider->value()), Redraw::Later);
        for (const WidthRow& row : widthRows)
            if (sender == u.*row.slider)
                d.setAxis(k, row.value, (u.*row.slider)->doubleValue(), Redraw::Later);
        for (const PatternRow& row : patternRows)
            if (sender == u.*row.popUp)
                d.setAxis(k, row.field, (u.*row.popUp)->currentIndex(), Redraw::Later);
        if (sender == tickStyle)
            d.setAxis(k, &AxisSettings::tickstyle, tickStyle->checkedId(), Redraw::Later);
    }
}
