#include "inspectors/StyleManager.h"

#include "app/ColorWell.h"
#include "app/PanelContext.h"
#include "inspectors/DoubleSlider.h"
#include "inspectors/InsPopUpButton.h"
#include "inspectors/StyleIcons.h"
#include "model/VexaDocument.h"
#include "platform/UserDefaults.h"
#include "util/NumberFormat.h"
#include "util/StringCategory.h"
#include "view/DynamicSize.h"

#include "ui_style.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>
#include <functional>

namespace {

using Flag = BufferStyle::Flag;
using Redraw = VexaDocument::Redraw;
using Ui::StylePanel;

// clang-format off
// The check boxes and the buffer switch each one stands for.
const struct SwitchRow {
    QCheckBox* StylePanel::*box;
    Flag BufferStyle::*field;
} switchRows[] = {
    {&StylePanel::plotlines,   &BufferStyle::plotlines},
    {&StylePanel::plotsymbols, &BufferStyle::plotsymbols},
    {&StylePanel::plotdots,    &BufferStyle::plotdots},
    {&StylePanel::plotarea,    &BufferStyle::plotarea},
    {&StylePanel::plotybars,   &BufferStyle::plotybars},
    {&StylePanel::plotxbars,   &BufferStyle::plotxbars},
    {&StylePanel::plotysticks, &BufferStyle::plotysticks},
    {&StylePanel::plotxsticks, &BufferStyle::plotxsticks},
    {&StylePanel::plothist,    &BufferStyle::plothist},
    {&StylePanel::plotfhist,   &BufferStyle::plotfhist},
    {&StylePanel::stickabs,    &BufferStyle::stickabs},
    {&StylePanel::symbolFill,  &BufferStyle::symfill},
};

// The colour wells and the colour each one stands for.
const struct ColorRow {
    ColorWell* StylePanel::*well;
    QColor BufferStyle::*field;
} colorRows[] = {
    {&StylePanel::color,      &BufferStyle::color},
    {&StylePanel::fillColor,  &BufferStyle::fillcolor},
    {&StylePanel::barColor,   &BufferStyle::barcolor},
    {&StylePanel::stickColor, &BufferStyle::stickcolor},
};

// The sizes: a text field and a slider over one number. The dash width is
// a whole number held in a double.
const struct SizeRow {
    QLineEdit* StylePanel::*field;
    DoubleSlider* StylePanel::*slider;
    double BufferStyle::*value;
    int decimals;
    bool whole;
    double maximum, step;
} sizeRows[] = {
    {&StylePanel::linewidth,  &StylePanel::linewidthslider,  &BufferStyle::linewidth,  1, false, 10, 0.1},
    {&StylePanel::dashwidth,  &StylePanel::dashwidthslider,  &BufferStyle::dashwidth,  0, true,  20, 1},
    {&StylePanel::symbolsize, &StylePanel::symbolsizeslider, &BufferStyle::symbolsize, 1, false, 40, 0.5},
    {&StylePanel::sticksize,  &StylePanel::sticksizeslider,  &BufferStyle::sticksize,  1, false, 100, 0.5},
};

// The pop-ups whose item index is the stored number.
const struct ChoiceRow {
    InsPopUpButton* StylePanel::*popUp;
    int BufferStyle::*field;
} choiceRows[] = {
    {&StylePanel::dash,   &BufferStyle::dash},
    {&StylePanel::symbol, &BufferStyle::symbol},
};
// clang-format on

} // namespace

StyleManager::StyleManager(PanelContext& context)
        : BufferPanel(context, QStringLiteral("Data Style Inspector"))
        , ui_(new StylePanel)
{
    inspectorView = new QWidget;
    ui_->setupUi(inspectorView);
    StylePanel& u = *ui_;
    setScope(u.allbuffer, u.selbuffer);
    synerror = u.synerror;
    QPalette red = synerror->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    synerror->setPalette(red);

    StyleIcons::fillDashes(*u.dash);
    StyleIcons::fillSymbols(*u.symbol);

    for (const SwitchRow& row : switchRows)
        bind(u.*row.box);
    for (const ColorRow& row : colorRows)
        bind(u.*row.well);
    for (const SizeRow& row : sizeRows) {
        (u.*row.slider)->setDoubleRange(0, row.maximum, row.step);
        bind(u.*row.field);
        bind(u.*row.slider);
    }
    for (const ChoiceRow& row : choiceRows)
        bind(u.*row.popUp);
    bind(u.dynamicSize);
    connect(u.autoColor, &QPushButton::clicked, this, [this] { autoColor(); });
    connect(u.autoDash, &QPushButton::clicked, this, [this] { autoDash(); });
    connect(u.autoSymbol, &QPushButton::clicked, this, [this] { autoSymbol(); });
    connect(u.applyDefaultStyle, &QPushButton::clicked, this, [this] { applyDefaultStyle(); });
}

StyleManager::~StyleManager() = default;

void StyleManager::update()
{
    DataBuffer* b = showCurrentBuffer();
    if (!b)
        return;
    Refresh refresh(*this);
    StylePanel& u = *ui_;
    const BufferStyle& s = b->style;

    for (const SwitchRow& row : switchRows)
        (u.*row.box)->setChecked(s.*row.field != 0);
    for (const ColorRow& row : colorRows)
        (u.*row.well)->setColor(s.*row.field);
    for (const SizeRow& row : sizeRows) {
        const double v = s.*row.value;
        (u.*row.field)->setText(formatNumberFixed(row.decimals, v));
        (u.*row.slider)->setDoubleValue(row.whole ? std::trunc(v) : v);
    }
    for (const ChoiceRow& row : choiceRows) {
        // A stored number no item shows leaves the pop-up without a choice.
        const int v = s.*row.field;
        (u.*row.popUp)->setCurrentIndex(v >= 0 && v < (u.*row.popUp)->count() ? v : -1);
    }
    u.dynamicSize->setText(b->dynsize);
}

void StyleManager::didChange(QObject* sender)
{
    if (!beginEdit(sender))
        return;
    VexaDocument& d = *PD();
    StylePanel& u = *ui_;

    // What the sender writes into one buffer; nothing for a sender that is
    // no control of the panel.
    std::function<void(int)> write;
    for (const SwitchRow& row : switchRows)
        if (sender == u.*row.box) {
            const Flag on = (u.*row.box)->isChecked() ? 1 : 0;
            write = [&d, field = row.field, on](int i) { d.setBufferStyle(i, field, on, Redraw::Later); };
        }
    for (const ColorRow& row : colorRows)
        if (sender == u.*row.well) {
            const QColor c = (u.*row.well)->color();
            write = [&d, field = row.field, c](int i) { d.setBufferStyle(i, field, c, Redraw::Later); };
        }
    for (const SizeRow& row : sizeRows) {
        double value = 0;
        if (sender == u.*row.slider) {
            value = (u.*row.slider)->doubleValue();
            if (row.whole)
                value = std::trunc(value);
        } else if (sender == u.*row.field) {
            const std::optional<double> typed = numberIn(u.*row.field);
            if (!typed)
                return;
            value = row.whole ? integerValueOf((u.*row.field)->text()) : *typed;
        } else {
            continue;
        }
        write = [&d, field = row.value, value](int i) { d.setBufferStyle(i, field, value, Redraw::Later); };
    }
    for (const ChoiceRow& row : choiceRows)
        if (sender == u.*row.popUp) {
            const int k = (u.*row.popUp)->currentIndex();
            write = [&d, field = row.field, k](int i) { d.setBufferStyle(i, field, k, Redraw::Later); };
        }
    if (sender == u.dynamicSize) {
        const QString text = u.dynamicSize->text();
        write = [&d, text](int i) { d.setDynamicSize(i, text, Redraw::Later); };
    }

    checkDynamicSizes(writeTargets(write));
    d.replot();
}

void StyleManager::checkDynamicSizes(const std::vector<int>& targets)
{
    for (int i : targets) {
        const QString& text = PD()->DB[std::size_t(i)]->dynsize;
        if (text.isEmpty())
            continue;
        synerror->clear();
        // The check is the drawing's own parse, with the same variables.
        if (!DynamicSize(text, &context_.variableScope()).valid())
            synerror->setText(Expression::errortext());
    }
}

template <class Set> void StyleManager::inTurn(Set set)
{
    if (!PD())
        return;
    int k = 0;
    for (std::size_t i = 0; i < PD()->DB.size(); ++i)
        if (PD()->DB[i]->getShow())
            set(int(i), k++ % 16);
    PD()->replot();
}

void StyleManager::autoColor()
{
    inTurn([this](int i, int k) {
        PD()->setBufferStyle(i, &BufferStyle::color, paletteColor(k), Redraw::Later);
    });
}

void StyleManager::autoDash()
{
    inTurn([this](int i, int k) { PD()->setBufferStyle(i, &BufferStyle::dash, k, Redraw::Later); });
}

void StyleManager::autoSymbol()
{
    inTurn([this](int i, int k) { PD()->setBufferStyle(i, &BufferStyle::symbol, k, Redraw::Later); });
}

void StyleManager::applyDefaultStyle()
{
    if (!PD())
        return;
    if (!writeTargets([this](int i) {
             PD()->DB[std::size_t(i)]->setDefaultStyle(PD()->defaults.buffer);
         }).empty())
        PD()->replot();
}

QColor StyleManager::paletteColor(int k) const
{
    if (const auto stored = context_.userDefaults().colorForKey(QStringLiteral("IPcolor%1").arg(k)))
        return *stored;
    // The palette's own colours are the numbered colours.
    return StringCategory::color(QString::number(k));
}
