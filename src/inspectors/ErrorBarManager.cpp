#include "inspectors/ErrorBarManager.h"

#include "app/ColorWell.h"
#include "inspectors/DoubleSlider.h"
#include "model/VexaDocument.h"
#include "util/NumberFormat.h"

#include "ui_errorbar.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>

#include <functional>

namespace {

using Redraw = VexaDocument::Redraw;
using Ui::ErrorBarPanel;

// clang-format off
// The typed numbers and the setting each one stands for.
const struct NumberRow {
    QLineEdit* ErrorBarPanel::*field;
    double ErrorBarSettings::*value;
    int decimals; // -1: formatNumberAuto
} numberRows[] = {
    {&ErrorBarPanel::errorValX,   &ErrorBarSettings::errorvalx,  -1},
    {&ErrorBarPanel::errorValY,   &ErrorBarSettings::errorvaly,  -1},
    {&ErrorBarPanel::errBarWidth, &ErrorBarSettings::errorwidth, 1},
};
// clang-format on

} // namespace

ErrorBarManager::ErrorBarManager(PanelContext& context)
        : BufferPanel(context, QStringLiteral("Error Bar Inspector"))
        , ui_(new ErrorBarPanel)
{
    inspectorView = new QWidget;
    ui_->setupUi(inspectorView);
    ErrorBarPanel& u = *ui_;
    setScope(u.allbuffer, u.selbuffer);

    u.errBarWidthSlider->setDoubleRange(0, 10, 0.1);
    errorBarX = taggedCells(u.errorBarX);
    errorBarY = taggedCells(u.errorBarY);
    bind(errorBarX);
    bind(errorBarY);
    for (const NumberRow& row : numberRows)
        bind(u.*row.field);
    bind(u.errBarWidthSlider);
    bind(u.errorColor);
}

ErrorBarManager::~ErrorBarManager() = default;

void ErrorBarManager::update()
{
    DataBuffer* b = showCurrentBuffer();
    if (!b)
        return;
    Refresh refresh(*this);
    ErrorBarPanel& u = *ui_;
    const ErrorBarSettings& e = b->errorbars;
    selectCell(errorBarX, e.errorbarx);
    selectCell(errorBarY, e.errorbary);
    for (const NumberRow& row : numberRows) {
        const double v = e.*row.value;
        (u.*row.field)->setText(row.decimals < 0 ? formatNumberAuto(v) : formatNumberFixed(row.decimals, v));
    }
    u.errBarWidthSlider->setDoubleValue(e.errorwidth);
    u.errorColor->setColor(b->style.errorcolor);
}

void ErrorBarManager::didChange(QObject* sender)
{
    if (!beginEdit(sender))
        return;
    VexaDocument& d = *PD();
    ErrorBarPanel& u = *ui_;

    // What the sender writes into one buffer.
    std::function<void(int)> write;
    auto setting = [&d](int ErrorBarSettings::*field, int v) {
        return [&d, field, v](int i) { d.setErrorBars(i, field, v, Redraw::Later); };
    };
    auto number = [&d](double ErrorBarSettings::*field, double v) {
        return [&d, field, v](int i) { d.setErrorBars(i, field, v, Redraw::Later); };
    };
    if (sender == errorBarX)
        write = setting(&ErrorBarSettings::errorbarx, errorBarX->checkedId());
    if (sender == errorBarY)
        write = setting(&ErrorBarSettings::errorbary, errorBarY->checkedId());
    for (const NumberRow& row : numberRows) {
        if (sender != u.*row.field)
            continue;
        const std::optional<double> v = numberIn(u.*row.field);
        if (!v)
            return;
        write = number(row.value, *v);
    }
    if (sender == u.errBarWidthSlider)
        write = number(&ErrorBarSettings::errorwidth, u.errBarWidthSlider->doubleValue());
    if (sender == u.errorColor) {
        const QColor c = u.errorColor->color();
        write = [&d, c](int i) { d.setBufferStyle(i, &BufferStyle::errorcolor, c, Redraw::Later); };
    }

    writeTargets(write);
    d.replot();
}
