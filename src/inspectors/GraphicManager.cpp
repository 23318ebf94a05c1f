#include "inspectors/GraphicManager.h"

#include "app/PanelContext.h"
#include "app/PanelOutlets.h"
#include "inspectors/CoordinateCells.h"
#include "inspectors/TypedNumber.h"
#include "model/VexaDocument.h"
#include "util/NumberFormat.h"

#include "ui_graphic.h"

#include <QButtonGroup>
#include <QSpinBox>

#include <algorithm>
#include <cmath>

namespace {

const QString kTitle = QStringLiteral("Graphic Inspector");
// What the painter draws: a line at most this wide, a head at most this long.
constexpr NumberRange lineWidthRange{0, 100};
constexpr NumberRange arrowSizeRange{0, 1000};

using Flag = Graphic::Flag;

// clang-format off
// The check boxes and the flag each one stands for (aspect only edits).
const struct {
    QCheckBox* Ui::GraphicPanel::*box;
    Flag Graphic::*field;
    bool GraphicSettings::*setting;
} switchRows[] = {
    {&Ui::GraphicPanel::arrowStart, &Graphic::arrow1, &GraphicSettings::arrow1},
    {&Ui::GraphicPanel::arrowEnd,   &Graphic::arrow2, &GraphicSettings::arrow2},
    {&Ui::GraphicPanel::fill,       &Graphic::fill,   &GraphicSettings::fill},
};

const struct {
    ColorWell* Ui::GraphicPanel::*well;
    QColor Graphic::*field;
    QColor GraphicSettings::*setting;
} colorRows[] = {
    {&Ui::GraphicPanel::color,     &Graphic::color,     &GraphicSettings::color},
    {&Ui::GraphicPanel::fillColor, &Graphic::fillcolor, &GraphicSettings::fillcolor},
};
// clang-format on

// The picture's width over its height; nothing without a usable picture.
std::optional<double> pictureRatio(const Graphic& g)
{
    if (!g.image)
        return std::nullopt;
    const QSizeF s = g.image->naturalSize();
    if (!(s.width() > 0) || !(s.height() > 0))
        return std::nullopt;
    return s.width() / s.height();
}

int wholeNumber(double v)
{
    return std::isfinite(v) && std::fabs(v) < 1e9 ? int(v) : 0;
}

} // namespace

GraphicManager::GraphicManager(PanelContext& context)
        : InspectorManager(context)
        , ui_(new Ui::GraphicPanel)
{
    inspectorView = new QWidget;
    ui_->setupUi(inspectorView);
    Ui::GraphicPanel& u = *ui_;

    u.linewidthSlider->setDoubleRange(0, 20, 0.1);
    position = {u.x1, u.y1, u.x2, u.y2};
    size = {u.sizeWidth, u.sizeHeight};
    for (QLineEdit* cell : position)
        bind(cell);
    for (QLineEdit* cell : size)
        bind(cell);

    type = taggedCells(u.type);
    posMode = taggedCells(u.posMode);
    display = taggedCells(u.display);
    arrowType = taggedCells(u.arrowType);
    for (QButtonGroup* cells : {type, posMode, display, arrowType})
        bind(cells);

    for (const auto& row : switchRows)
        bind(u.*row.box);
    for (const auto& row : colorRows)
        bind(u.*row.well);
    bind(u.aspect);
    bind(u.linewidth);
    bind(u.linewidthSlider);
    bind(u.arrowSize);
    bind(u.arrowSizeSlider);
    connect(u.dash, &QSpinBox::valueChanged, this, [this] {
        if (!refreshing())
            didChange(ui_->dash);
    });
}

GraphicManager::~GraphicManager() = default;

GraphicSettings GraphicManager::newGraphic()
{
    GraphicSettings s;
    s.type = GraphicLine;
    s.linewidth = 2;
    s.dashp = 0;
    s.color = Color::black();
    s.fillcolor = Color::white();
    s.fill = s.arrow1 = s.arrow2 = false;
    s.display = 0;
    s.posmode = 0;
    s.arrowsize = 10;
    s.arrowtype = ArrowOpen;
    return s;
}

void GraphicManager::showSettings(const GraphicSettings& s)
{
    Refresh refresh(*this);
    Ui::GraphicPanel& u = *ui_;
    selectCell(type, s.type);
    u.linewidth->setText(formatNumberFixed(1, s.linewidth));
    u.linewidthSlider->setDoubleValue(s.linewidth);
    u.dash->setValue(s.dashp);
    for (const auto& row : colorRows)
        (u.*row.well)->setColor(s.*row.setting);
    for (const auto& row : switchRows)
        (u.*row.box)->setChecked(s.*row.setting);
    u.arrowSize->setText(formatNumberInteger(s.arrowsize));
    u.arrowSizeSlider->setValue(s.arrowsize);
    selectCell(arrowType, s.arrowtype);
    selectCell(display, s.display);
    selectCell(posMode, s.posmode);
}

const GraphicSettings* GraphicManager::graphicSettings() const
{
    const Ui::GraphicPanel& u = *ui_;
    GraphicSettings& s = next_;
    s.type = type->checkedId() >= 0 ? type->checkedId() : GraphicLine;
    s.linewidth = u.linewidthSlider->doubleValue();
    // What was refused when typed is not taken here either.
    if (const double typed = doubleValueOf(u.linewidth->text());
        startsWithNumber(u.linewidth->text()) && typed >= lineWidthRange.min && typed <= lineWidthRange.max)
        s.linewidth = typed;
    s.dashp = u.dash->value();
    for (const auto& row : colorRows)
        s.*row.setting = (u.*row.well)->color();
    for (const auto& row : switchRows)
        s.*row.setting = (u.*row.box)->isChecked();
    s.arrowsize
        = std::clamp(integerValueOf(u.arrowSize->text()), int(arrowSizeRange.min), int(arrowSizeRange.max));
    s.arrowtype = std::max(arrowType->checkedId(), 0);
    s.display = std::max(display->checkedId(), 0);
    s.posmode = std::max(posMode->checkedId(), 0);
    return &s;
}

void GraphicManager::setup()
{
    showSettings(newGraphic());
    Refresh refresh(*this);
    for (QLineEdit* cell : position)
        cell->clear();
    for (QLineEdit* cell : size)
        cell->clear();
}

void GraphicManager::forgetItem(const void* item)
{
    if (G == item)
        G = nullptr;
}

void GraphicManager::update()
{
    G = dynamic_cast<Graphic*>(context_.currentGraphic());
    // Without a graphic the controls stay: they are the next one's settings.
    if (!PD() || !G)
        return;
    const Graphic& g = *G;
    Ui::GraphicPanel& u = *ui_;

    GraphicSettings s;
    s.type = g.type;
    s.linewidth = g.linewidth;
    s.dashp = g.dashp;
    s.color = g.color;
    s.fillcolor = g.fillcolor;
    s.fill = g.fill != 0;
    s.arrow1 = g.arrow1 != 0;
    s.arrow2 = g.arrow2 != 0;
    s.arrowsize = g.arrowsize;
    s.arrowtype = g.arrowtype;
    s.display = g.display;
    s.posmode = g.posmode;
    showSettings(s);

    Refresh refresh(*this);
    const CoordinateCells cells(context_, *PD(), g.posmode, kTitle);
    const double corners[4] = {g.x1, g.y1, g.x2, g.y2};
    for (int i = 0; i < 4; ++i)
        position[std::size_t(i)]->setText(cells.show(i % 2 == 0, corners[i]));
    size[0]->setText(formatNumberAuto(g.x2 - g.x1));
    size[1]->setText(formatNumberAuto(g.y2 - g.y1));
    u.arrowSizeSlider->setValue(wholeNumber(g.arrowsize));

    // A picture's far corner follows from its size.
    const bool picture = g.image.has_value();
    u.aspect->setEnabled(picture);
    u.aspect->setChecked(g.aspect != 0);
    u.x2->setEnabled(!picture);
    u.y2->setEnabled(!picture);
}

void GraphicManager::editCorner(Graphic& g, int tag)
{
    const CoordinateCells cells(context_, *PD(), g.posmode, kTitle);
    const bool x = tag % 2 == 0;
    const std::optional<double> v = cells.read(x, position[std::size_t(tag)]->text());
    if (!v)
        return;
    double& first = x ? g.x1 : g.y1;
    double& second = x ? g.x2 : g.y2;
    if (tag >= 2) {
        second = *v;
        return;
    }
    // A picture moves whole: it keeps its width and height.
    if (g.image)
        second += *v - first;
    first = *v;
}

void GraphicManager::editSize(Graphic& g, int tag)
{
    const CoordinateCells cells(context_, *PD(), g.posmode, kTitle);
    const bool x = tag == 0;
    const std::optional<double> v = cells.readExtent(x, size[std::size_t(tag)]->text());
    if (!v)
        return;
    const std::optional<double> r = g.aspect ? pictureRatio(g) : std::nullopt;
    if (x) {
        g.x2 = g.x1 + *v;
        if (r)
            g.y2 = g.y1 + *v / *r;
    } else {
        g.y2 = g.y1 + *v;
        if (r)
            g.x2 = g.x1 + *r * *v;
    }
}

void GraphicManager::didChange(QObject* sender)
{
    G = dynamic_cast<Graphic*>(context_.currentGraphic());
    if (!PD() || !G)
        return;
    Graphic& g = *G;
    Ui::GraphicPanel& u = *ui_;

    if (sender == type)
        g.type = type->checkedId();
    for (int i = 0; i < 4; ++i)
        if (sender == position[std::size_t(i)])
            editCorner(g, i);
    for (int i = 0; i < 2; ++i)
        if (sender == size[std::size_t(i)])
            editSize(g, i);
    if (sender == u.linewidth)
        if (const std::optional<double> w = typedNumber(kTitle, u.linewidth->text(), lineWidthRange))
            g.linewidth = *w;
    if (sender == u.linewidthSlider)
        g.linewidth = u.linewidthSlider->doubleValue();
    if (sender == u.dash)
        g.dashp = u.dash->value();
    for (const auto& row : colorRows)
        if (sender == u.*row.well)
            g.*row.field = (u.*row.well)->color();
    for (const auto& row : switchRows)
        if (sender == u.*row.box)
            g.*row.field = (u.*row.box)->isChecked() ? 1 : 0;
    if (sender == u.aspect)
        g.aspect = u.aspect->isChecked() ? 1 : 0;
    if (sender == u.arrowSize)
        if (const std::optional<double> s = typedNumber(kTitle, u.arrowSize->text(), arrowSizeRange))
            g.arrowsize = int(*s);
    if (sender == u.arrowSizeSlider)
        g.arrowsize = u.arrowSizeSlider->value();
    if (sender == arrowType)
        g.arrowtype = arrowType->checkedId();
    if (sender == display)
        g.display = display->checkedId();
    if (sender == posMode) {
        // The graphic stays where it is on the page; its corners are told
        // in the new mode.
        double x1, y1, x2, y2;
        g.getPoints(x1, y1, x2, y2);
        g.posmode = posMode->checkedId();
        g.setPoints(x1, y1, x2, y2);
    }
    PD()->replot();
}
