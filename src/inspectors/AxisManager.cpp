#include "inspectors/AxisManager.h"

#include "app/PanelContext.h"
#include "expression/Expression.h"
#include "inspectors/AxisSelector.h"
#include "inspectors/TypedNumber.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "platform/Color.h"
#include "util/NumberFormat.h"
#include "view/CalendarFormat.h"

#include "ui_axis.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QSlider>

namespace {

using Redraw = VexaDocument::Redraw;

// Cells 2 to 8 of the range form: the scale texts, and whether each is used
// by a linear, a logarithmic and a time axis (the others are disabled).
struct TextCell {
    QString AxisSettings::*field;
    bool used[3];
};
// clang-format off
const TextCell textCells[7] = {
    {&AxisSettings::scalstart,      {true,  true,  true}},
    {&AxisSettings::scalend,        {true,  true,  true}},
    {&AxisSettings::scalspace,      {true,  true,  true}},
    {&AxisSettings::scalminticks,   {true,  true,  true}},
    {&AxisSettings::axistimeformat, {false, false, true}},
    {&AxisSettings::trigger,        {true,  false, false}},
    {&AxisSettings::scaleexpr,      {true,  true,  false}},
};

// The check boxes of the axis shown.
struct SwitchRow {
    QCheckBox* Ui::AxisPanel::*box;
    AxisSettings::Flag AxisSettings::*field;
};
const SwitchRow switchRows[] = {
    {&Ui::AxisPanel::decPlacesAuto, &AxisSettings::dpauto},
    {&Ui::AxisPanel::smallLog,      &AxisSettings::smalllog},
    {&Ui::AxisPanel::reverse,       &AxisSettings::reverse},
    {&Ui::AxisPanel::fliptext,      &AxisSettings::fliptext},
};

// Whether each axis is drawn, in AxisIndex order.
QCheckBox* Ui::AxisPanel::*const drawnBoxes[4] = {
    &Ui::AxisPanel::axisEnabledX1,
    &Ui::AxisPanel::axisEnabledY1,
    &Ui::AxisPanel::axisEnabledX2,
    &Ui::AxisPanel::axisEnabledY2,
};
// clang-format on

const char* const alertTitle = "Axis Inspector";

// Decimals of the tick numbers, and the exponent limit beyond which they
// are written with an exponent (-1: never; beyond 400, no double reaches).
constexpr NumberRange decimalsRange{0, 20};
constexpr NumberRange exponentLimitRange{-1, 400};

void refuse(const QString& message)
{
    Alert::run(QLatin1String(alertTitle), message, {QStringLiteral("Ok")});
}

} // namespace

AxisManager::AxisManager(PanelContext& context)
        : AxisInspector(context)
        , ui_(new Ui::AxisPanel)
{
    inspectorView = new QWidget;
    ui_->setupUi(inspectorView);
    Ui::AxisPanel& u = *ui_;
    attach(u.insAxisSel);

    axisRange = u.axisRange;
    rangeCells = {u.rangeMin,     u.rangeMax,   u.scalStart, u.scalEnd,  u.scalSpace,
                  u.scalMinTicks, u.timeFormat, u.trigger,   u.scaleExpr};
    for (QLineEdit* cell : rangeCells)
        bind(cell, axisRange);
    axisFormat = taggedCells(u.axisFormat);
    bind(axisFormat);

    u.decPlacesSlider->setRange(0, 12);
    u.expOffSlider->setRange(0, 20);
    for (QSlider* s : {u.decPlacesSlider, u.expOffSlider})
        s->setFocusPolicy(Qt::NoFocus);
    bind(u.axisText);
    bind(u.decPlaces);
    bind(u.decPlacesSlider);
    bind(u.expOff);
    bind(u.expOffSlider);
    for (const SwitchRow& row : switchRows)
        bind(u.*row.box);
    for (auto box : drawnBoxes)
        bind(u.*box);
}

AxisManager::~AxisManager() = default;

QString AxisManager::endText(double value, int mode) const
{
    return mode == AxisTime ? context_.timeText(value) : formatNumberAuto(value);
}

void AxisManager::update()
{
    if (!showDocument())
        return;
    Refresh refresh(*this);
    Ui::AxisPanel& u = *ui_;
    const int a = axis();
    const AxisSettings& s = PD()->axes[std::size_t(a)];

    const auto [lo, hi] = PD()->rangeOf(a);
    u.rangeMin->setText(endText(*lo, s.axismode));
    u.rangeMax->setText(endText(*hi, s.axismode));
    for (int k = 0; k < 4; ++k)
        (u.*drawnBoxes[k])->setChecked(PD()->axes[std::size_t(k)].axis != 0);
    u.axisText->setText(s.axistext);
    selectCell(axisFormat, s.axismode);

    const int mode = s.axismode >= AxisLinear && s.axismode <= AxisTime ? s.axismode : AxisLinear;
    for (std::size_t i = 0; i < std::size(textCells); ++i) {
        QLineEdit* cell = rangeCells[i + 2];
        cell->setEnabled(textCells[i].used[mode]);
        cell->setText(s.*textCells[i].field);
    }

    // An expression that does not parse is kept; the form says why it is
    // not used.
    if (s.scaleexpr.isEmpty()) {
        u.synerror->hide();
    } else {
        u.synerror->clear();
        Expression e;
        e.setNoAlert();
        QHash<QString, double>& variables = context_.numericVariables();
        variables.insert(QStringLiteral("v"), 1);
        e.setVars(variables).setVar("v", 1);
        if (!e.parse(s.scaleexpr)) {
            QPalette p = u.synerror->palette();
            p.setColor(QPalette::WindowText, Color::rgb(0.501961, 0, 0));
            u.synerror->setPalette(p);
            u.synerror->setText(e.err());
        }
        u.synerror->setVisible(!u.synerror->text().isEmpty());
    }

    u.expOff->setText(formatNumberInteger(s.expoff));
    u.expOffSlider->setValue(s.expoff);
    u.decPlaces->setText(formatNumberInteger(s.dp));
    u.decPlacesSlider->setValue(s.dp);
    for (const SwitchRow& row : switchRows)
        (u.*row.box)->setChecked(s.*row.field != 0);
    // Fixed decimals matter only while the automatic choice is off.
    u.decPlaces->setEnabled(!s.dpauto);
    u.decPlacesSlider->setEnabled(!s.dpauto);
}

std::optional<double> AxisManager::readEnd(QLineEdit* cell, double stored, int mode) const
{
    const QString text = cell->text();
    if (text == endText(stored, mode))
        return stored;
    if (mode == AxisTime) {
        if (const std::optional<double> seconds = CalendarFormat(context_.timeFormat()).read(text))
            return seconds;
        refuse(QStringLiteral("%1 is no date in the format %2").arg(text.trimmed(), context_.timeFormat()));
        return std::nullopt;
    }
    return typedNumber(QLatin1String(alertTitle), text);
}

void AxisManager::applyRange()
{
    VexaDocument& d = *PD();
    const int a = axis();
    const int mode = d.axes[std::size_t(a)].axismode;
    const auto [lo, hi] = d.rangeOf(a);
    const std::optional<double> min = readEnd(rangeCells[0], *lo, mode);
    if (!min)
        return;
    const std::optional<double> max = readEnd(rangeCells[1], *hi, mode);
    if (!max)
        return;
    const bool changed = *min != *lo || *max != *hi;
    if (changed && mode == AxisLog && ((*min != *lo && *min <= 0) || (*max != *hi && *max <= 0))) {
        refuse(QStringLiteral("A logarithmic axis takes only values above 0"));
        return;
    }
    if (changed && *min == *max) {
        refuse(QStringLiteral("The minimum and the maximum of an axis must differ"));
        return;
    }

    for (std::size_t i = 0; i < std::size(textCells); ++i)
        d.setAxis(a, textCells[i].field, rangeCells[i + 2]->text(), Redraw::Later);
    if (!changed)
        return;
    // The other direction of the pair keeps its range.
    const int pair = a == AxisX1 || a == AxisY1 ? 1 : 2;
    const bool x = a == AxisX1 || a == AxisX2;
    const auto [otherLo, otherHi] = d.rangeOf(x ? a + 1 : a - 1);
    if (x)
        d.scale(pair, *min, *max, *otherLo, *otherHi, true, false);
    else
        d.scale(pair, *otherLo, *otherHi, *min, *max, true, false);
}

void AxisManager::apply(QObject* sender)
{
    VexaDocument& d = *PD();
    Ui::AxisPanel& u = *ui_;
    const int a = axis();

    if (sender == axisRange)
        applyRange();
    for (int k = 0; k < 4; ++k)
        if (sender == u.*drawnBoxes[k])
            d.setAxis(k, &AxisSettings::axis, AxisSettings::Flag((u.*drawnBoxes[k])->isChecked()),
                      Redraw::Later);
    if (sender == u.axisText)
        d.setAxis(a, &AxisSettings::axistext, u.axisText->text(), Redraw::Later);
    if (sender == axisFormat)
        d.setAxis(a, &AxisSettings::axismode, axisFormat->checkedId(), Redraw::Later);
    // A refused number changes nothing; the refresh shows what is stored.
    if (sender == u.expOff)
        if (const std::optional<double> v
            = typedNumber(QLatin1String(alertTitle), u.expOff->text(), exponentLimitRange))
            d.setAxis(a, &AxisSettings::expoff, int(*v), Redraw::Later);
    if (sender == u.expOffSlider)
        d.setAxis(a, &AxisSettings::expoff, u.expOffSlider->value(), Redraw::Later);
    if (sender == u.decPlaces)
        if (const std::optional<double> v
            = typedNumber(QLatin1String(alertTitle), u.decPlaces->text(), decimalsRange))
            d.setAxis(a, &AxisSettings::dp, int(*v), Redraw::Later);
    if (sender == u.decPlacesSlider)
        d.setAxis(a, &AxisSettings::dp, u.decPlacesSlider->value(), Redraw::Later);
    for (const SwitchRow& row : switchRows)
        if (sender == u.*row.box)
            d.setAxis(a, row.field, AxisSettings::Flag((u.*row.box)->isChecked()), Redraw::Later);
}
