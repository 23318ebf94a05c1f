#include "inspectors/LegendManager.h"

#include "app/PanelContext.h"
#include "inspectors/TypedNumber.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "util/NumberFormat.h"

#include "ui_legend.h"

#include <QButtonGroup>

namespace {

using Flag = LegendSettings::Flag;
using Redraw = VexaDocument::Redraw;

// clang-format off
// The check boxes and the switch each one stands for.
const struct {
    QCheckBox* Ui::LegendPanel::*box;
    Flag LegendSettings::*field;
} switchRows[] = {
    {&Ui::LegendPanel::plotLegend, &LegendSettings::plotlegend},
    {&Ui::LegendPanel::drawbg,     &LegendSettings::legendbg},
    {&Ui::LegendPanel::horizontal, &LegendSettings::legendhorizontal},
};

const struct {
    ColorWell* Ui::LegendPanel::*well;
    QColor LegendSettings::*field;
} colorRows[] = {
    {&Ui::LegendPanel::color,   &LegendSettings::legendcolor},
    {&Ui::LegendPanel::bgcolor, &LegendSettings::legendbgcolor},
};

// The integer fields with their sliders.
const struct {
    QLineEdit* Ui::LegendPanel::*field;
    QSlider* Ui::LegendPanel::*slider;
    double LegendSettings::*value;
} lengthRows[] = {
    {&Ui::LegendPanel::width, &Ui::LegendPanel::widthSlider, &LegendSettings::legendwidth},
    {&Ui::LegendPanel::space, &Ui::LegendPanel::spaceSlider, &LegendSettings::legendspace},
};
// clang-format on

// The legend's place, in view points, and its lengths.
constexpr NumberRange placeRange{-100000, 100000};
constexpr NumberRange lengthRange{0, 1000};

// The font id of the legend font at the relay.
constexpr int kLegendFontId = 2;

} // namespace

LegendManager::LegendManager(PanelContext& context)
        : InspectorManager(context)
        , ui_(new Ui::LegendPanel)
{
    inspectorView = new QWidget;
    ui_->setupUi(inspectorView);
    Ui::LegendPanel& u = *ui_;

    for (const auto& row : switchRows)
        bind(u.*row.box);
    for (const auto& row : colorRows)
        bind(u.*row.well);
    for (const auto& row : lengthRows) {
        bind(u.*row.field);
        bind(u.*row.slider);
    }
    bind(u.posX, u.pos);
    bind(u.posY, u.pos);
    align = taggedCells(u.align);
    bind(align);
    connect(u.fontButton, &QPushButton::clicked, this, [this] { fontChanges(ui_->fontButton); });
}

LegendManager::~LegendManager() = default;

void LegendManager::update()
{
    showControls(PD() != nullptr);
    if (!PD())
        return;
    Refresh refresh(*this);
    const LegendSettings& l = PD()->legend;
    Ui::LegendPanel& u = *ui_;

    u.legendFont->setText(FontChange::fontText(l.legendfont));
    for (const auto& row : lengthRows) {
        (u.*row.field)->setText(formatNumberInteger(l.*row.value));
        (u.*row.slider)->setValue(int(l.*row.value));
    }
    for (const auto& row : colorRows)
        (u.*row.well)->setColor(l.*row.field);
    for (const auto& row : switchRows)
        (u.*row.box)->setChecked(l.*row.field != 0);
    u.posX->setText(formatNumberInteger(l.legendx));
    u.posY->setText(formatNumberInteger(l.legendy));
    selectCell(align, l.legendalign);
}

void LegendManager::didChange(QObject* sender)
{
    if (!PD())
        return;
    VexaDocument& d = *PD();
    Ui::LegendPanel& u = *ui_;

    // A refused number changes nothing; the refresh shows what is stored.
    const QString title = QStringLiteral("Legend Inspector");
    if (sender == u.pos) {
        const std::optional<double> x = typedNumber(title, u.posX->text(), placeRange);
        const std::optional<double> y = x ? typedNumber(title, u.posY->text(), placeRange) : std::nullopt;
        if (x && y) {
            d.setLegend(&LegendSettings::legendx, std::trunc(*x), Redraw::Later);
            d.setLegend(&LegendSettings::legendy, std::trunc(*y), Redraw::Later);
        }
    }
    for (const auto& row : lengthRows) {
        if (sender == u.*row.field)
            if (const std::optional<double> v = typedNumber(title, (u.*row.field)->text(), lengthRange))
                d.setLegend(row.value, std::trunc(*v), Redraw::Later);
        if (sender == u.*row.slider)
            d.setLegend(row.value, (u.*row.slider)->value(), Redraw::Later);
    }
    for (const auto& row : colorRows)
        if (sender == u.*row.well)
            d.setLegend(row.field, (u.*row.well)->color(), Redraw::Later);
    for (const auto& row : switchRows)
        if (sender == u.*row.box)
            d.setLegend(row.field, Flag((u.*row.box)->isChecked() ? 1 : 0), Redraw::Later);
    if (sender == align)
        d.setLegend(&LegendSettings::legendalign, std::int8_t(align->checkedId()), Redraw::Later);
    d.replot();
}

void LegendManager::fontChanges(QObject* /*sender*/)
{
    FontChange& relay = context_.fontRelay();
    if (PD())
        relay.setReceiver(0, kLegendFontId, PD()->legend.legendfont, this);
    relay.orderFrontFontPanel();
}

void LegendManager::receiveFont(const FontChange& relay)
{
    if (!PD()) {
        Alert::beep();
        return;
    }
    if (relay.fid() == kLegendFontId)
        PD()->setLegend(&LegendSettings::legendfont, relay.font(), Redraw::Later);
    update();
    PD()->replot();
}
