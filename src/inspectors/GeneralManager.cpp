#include "inspectors/GeneralManager.h"

#include "app/DocumentWindowQt.h"
#include "app/PanelContext.h"
#include "app/PanelOutlets.h"
#include "inspectors/TypedNumber.h"
#include "model/VexaDocument.h"
#include "util/NumberFormat.h"
#include "view/GraphWidget.h"
#include "view/VexaView.h"

#include "ui_general.h"

#include <QButtonGroup>

#include <cmath>
#include <optional>

namespace {

using Flag = PageSettings::Flag;

// The check boxes and the switch of the document each one stands for.
struct SwitchRow {
    QCheckBox* Ui::GeneralPanel::*box;
    Flag PageSettings::*field;
};
// clang-format off
const SwitchRow switchRows[] = {
    {&Ui::GeneralPanel::frameArrows,     &PageSettings::framearrows},
    {&Ui::GeneralPanel::forceFrame,      &PageSettings::forceframe},
    {&Ui::GeneralPanel::allDraw,         &PageSettings::alldraw},
    {&Ui::GeneralPanel::forceRenderHigh, &PageSettings::forcerenderhigh},
    {&Ui::GeneralPanel::drawBackground,  &PageSettings::drawbackground},
    {&Ui::GeneralPanel::drawFrame,       &PageSettings::drawframe},
    {&Ui::GeneralPanel::drawMargin,      &PageSettings::drawmargin},
};

// The colour wells and the colour each one stands for.
struct ColorRow {
    ColorWell* Ui::GeneralPanel::*well;
    QColor PageSettings::*field;
};
const ColorRow colorRows[] = {
    {&Ui::GeneralPanel::frameColor,      &PageSettings::framecolor},
    {&Ui::GeneralPanel::marginColor,     &PageSettings::margincolor},
    {&Ui::GeneralPanel::backgroundColor, &PageSettings::backgroundcolor},
};

// The margins in cell order.
double PageSettings::*const marginFields[4] = {
    &PageSettings::marginleft,
    &PageSettings::marginright,
    &PageSettings::marginbottom,
    &PageSettings::margintop,
};

// The preset buttons: margins left, right, top, bottom, and which axes
// carry their line, numbers and title.
struct Preset {
    QPushButton* Ui::GeneralPanel::*button;
    double left, right, top, bottom;
    bool line[4], labelled[4];
};
const Preset presets[] = {
    {&Ui::GeneralPanel::presetStandard, 80, 10, 10, 80, {true, true, false, false}, {true, true, false, false}},
    {&Ui::GeneralPanel::presetFourAxes, 80, 80, 80, 80, {true, true, true, true},   {true, true, true, true}},
    {&Ui::GeneralPanel::presetMinimal,  10, 10, 10, 10, {true, true, false, false}, {false, false, false, false}},
};
// clang-format on

using Redraw = VexaDocument::Redraw;

// The panel's changes go through the document's setters; didChange replots
// once for all of them.
void applyPreset(VexaDocument& d, const Preset& p)
{
    d.setPage(&PageSettings::marginleft, p.left, Redraw::Later);
    d.setPage(&PageSettings::marginright, p.right, Redraw::Later);
    d.setPage(&PageSettings::margintop, p.top, Redraw::Later);
    d.setPage(&PageSettings::marginbottom, p.bottom, Redraw::Later);
    for (int axis = 0; axis < 4; ++axis) {
        d.setAxis(axis, &AxisSettings::axis, Flag(p.line[axis]), Redraw::Later);
        d.setAxis(axis, &AxisSettings::numbers, Flag(p.labelled[axis]), Redraw::Later);
        d.setAxis(axis, &AxisSettings::text, Flag(p.labelled[axis]), Redraw::Later);
    }
}

// What each number field takes: widths and sizes the painter draws, margins
// and frames that leave a graph on the screen.
constexpr NumberRange frameWidthRange{0, 100};
constexpr NumberRange arrowSizeRange{0, 1000};
constexpr NumberRange marginRange{0, 10000};
constexpr NumberRange windowSideRange{1, 10000};
constexpr NumberRange subviewPlaceRange{-10000, 10000};
constexpr NumberRange subviewSideRange{1, 10000};

void setCells(const auto& cells, const auto& values)
{
    for (std::size_t i = 0; i < cells.size(); ++i)
        cells[i]->setText(formatNumberAuto(values[i]));
}

} // namespace

GeneralManager::GeneralManager(PanelContext& context)
        : InspectorManager(context)
        , ui_(new Ui::GeneralPanel)
{
    inspectorView = new QWidget;
    ui_->setupUi(inspectorView);
    Ui::GeneralPanel& u = *ui_;

    u.frameWidthSlider->setDoubleRange(0, 10, 0.1);
    u.arrowSizeSlider->setDoubleRange(0, 40, 0.5);

    margins = u.margins;
    marginCells = {u.marginLeft, u.marginRight, u.marginBottom, u.marginTop};
    windowSize = u.windowSize;
    windowCells = {u.windowWidth, u.windowHeight};
    subview = u.subview;
    subviewCells = {u.subviewX, u.subviewY, u.subviewWidth, u.subviewHeight};
    for (QLineEdit* f : marginCells)
        bind(f, margins);
    for (QLineEdit* f : windowCells)
        bind(f, windowSize);
    for (QLineEdit* f : subviewCells)
        bind(f, subview);

    frameStyle = taggedCells(u.frameStyle);
    arrowType = taggedCells(u.arrowType);
    crossArrows = taggedCells(u.crossArrows);
    for (QButtonGroup* cells : {frameStyle, arrowType, crossArrows})
        bind(cells);

    for (const SwitchRow& row : switchRows)
        bind(u.*row.box);
    for (const ColorRow& row : colorRows)
        bind(u.*row.well);
    bind(u.frameWidth);
    bind(u.frameWidthSlider);
    bind(u.arrowSize);
    bind(u.arrowSizeSlider);
    for (const Preset& preset : presets)
        bind(u.*preset.button);
}

GeneralManager::~GeneralManager() = default;

void GeneralManager::update()
{
    showControls(PD() != nullptr);
    if (!PD())
        return;
    Refresh refresh(*this);
    VexaDocument& d = *PD();
    Ui::GeneralPanel& u = *ui_;

    for (const ColorRow& row : colorRows)
        (u.*row.well)->setColor(d.page.*row.field);
    for (const SwitchRow& row : switchRows)
        (u.*row.box)->setChecked(d.page.*row.field != 0);
    u.frameWidth->setText(formatNumberFixed(1, d.page.framewidth));
    u.frameWidthSlider->setDoubleValue(d.page.framewidth);
    u.arrowSize->setText(formatNumberFixed(1, d.page.arrowsize));
    u.arrowSizeSlider->setDoubleValue(d.page.arrowsize);
    for (auto [cells, value] :
         {std::pair{frameStyle, d.page.framestyle}, std::pair{arrowType, d.page.arrowtype},
          std::pair{crossArrows, d.page.crossarrows}})
        selectCell(cells, value);
    double marginValues[4];
    for (int i = 0; i < 4; ++i)
        marginValues[i] = d.page.*marginFields[i];
    setCells(marginCells, marginValues);

    DocumentWindowQt* window = context_.windowOf(&d);
    const QSize content = window ? window->graphWidget().size() : QSize();
    setCells(windowCells, std::array<double, 2>{double(content.width()), double(content.height())});

    // Only a sub-view has a frame inside another graph.
    VexaView* const view = documentView();
    const bool isSubview = PD() != context_.mainDocument() && view;
    subview->setEnabled(isSubview);
    if (isSubview) {
        const QRectF f = view->frame();
        setCells(subviewCells, std::array<double, 4>{f.x(), f.y(), f.width(), f.height()});
    } else {
        for (QLineEdit* cell : subviewCells)
            cell->clear();
    }
}

std::optional<double> GeneralManager::numberIn(const QLineEdit* field, NumberRange range)
{
    return typedNumber(QStringLiteral("General Inspector"), field->text(), range);
}

// The integer parts of the cells' numbers, each in its range; nothing when
// any cell is refused.
template <std::size_t N>
std::optional<std::array<int, N>> GeneralManager::integersIn(const std::array<QLineEdit*, N>& cells,
                                                             const std::array<NumberRange, N>& ranges)
{
    std::array<int, N> values{};
    for (std::size_t i = 0; i < N; ++i) {
        const std::optional<double> v = numberIn(cells[i], ranges[i]);
        if (!v)
            return std::nullopt;
        values[i] = int(std::trunc(*v));
    }
    return values;
}

void GeneralManager::didChange(QObject* sender)
{
    if (!PD())
        return;
    VexaDocument& d = *PD();
    Ui::GeneralPanel& u = *ui_;
    // A refused number changes nothing; the fields show what is stored.
    auto refused = [this] { update(); };

    if (sender == margins) {
        const auto cells = integersIn(marginCells, {marginRange, marginRange, marginRange, marginRange});
        if (!cells)
            return refused();
        for (int i = 0; i < 4; ++i)
            d.setPage(marginFields[i], (*cells)[std::size_t(i)], Redraw::Later);
        d.updateAutoTexts();
    }
    for (const Preset& preset : presets)
        if (sender == u.*preset.button)
            applyPreset(d, preset);
    if (sender == windowSize) {
        const auto cells = integersIn(windowCells, {windowSideRange, windowSideRange});
        if (!cells)
            return refused();
        if (DocumentWindowQt* window = context_.windowOf(&d))
            window->setContentSizeKeepingLowerLeft(QSize((*cells)[0], (*cells)[1]));
    }
    for (const ColorRow& row : colorRows)
        if (sender == u.*row.well)
            d.setPage(row.field, (u.*row.well)->color(), Redraw::Later);
    if (sender == u.frameWidth) {
        const std::optional<double> w = numberIn(u.frameWidth, frameWidthRange);
        if (!w)
            return refused();
        d.setPage(&PageSettings::framewidth, *w, Redraw::Later);
    }
    if (sender == u.frameWidthSlider)
        d.setPage(&PageSettings::framewidth, u.frameWidthSlider->doubleValue(), Redraw::Later);
    if (sender == frameStyle)
        d.setPage(&PageSettings::framestyle, frameStyle->checkedId(), Redraw::Later);
    for (const SwitchRow& row : switchRows)
        if (sender == u.*row.box)
            d.setPage(row.field, Flag((u.*row.box)->isChecked() ? 1 : 0), Redraw::Later);
    VexaView* const view = documentView();
    if (sender == subview && PD() != context_.mainDocument() && view) {
        const auto cells = integersIn(
            subviewCells, {subviewPlaceRange, subviewPlaceRange, subviewSideRange, subviewSideRange});
        if (!cells)
            return refused();
        const auto& [x, y, w, h] = *cells;
        view->setFrame(QRectF(x, y, w, h));
    }
    if (sender == u.arrowSize) {
        const std::optional<double> size = numberIn(u.arrowSize, arrowSizeRange);
        if (!size)
            return refused();
        d.setPage(&PageSettings::arrowsize, *size, Redraw::Later);
    }
    if (sender == u.arrowSizeSlider)
        d.setPage(&PageSettings::arrowsize, u.arrowSizeSlider->doubleValue(), Redraw::Later);
    if (sender == arrowType)
        d.setPage(&PageSettings::arrowtype, arrowType->checkedId(), Redraw::Later);
    if (sender == crossArrows)
        d.setPage(&PageSettings::crossarrows, crossArrows->checkedId(), Redraw::Later);
    d.replot();
}
