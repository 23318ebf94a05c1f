#include "inspectors/ErrorBarManager.h"

#include "inspectors/ColorWell.h"
#include "inspectors/DoubleSlider.h"
#include "inspectors/TypedNumber.h"
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

const QString panelTitle = QStringLiteral("Error Bar Inspector");

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

// Selects the cell of that tag; none when no cell has it.
void selectCell(QButtonGroup* cells, int tag)
{
    if (QAbstractButton* b = cells->button(tag)) {
        b->setChecked(true);
    } else if (QAbstractButton* on = cells->checkedButton()) {
        cells->setExclusive(false);
        on->setChecked(false);
        cells->setExclusive(true);
    }
}

} // namespace

ErrorBarManager::ErrorBarManager(Manager& manager)
        : InspectorManager(manager)
        , ui_(new ErrorBarPanel)
{
    inspectorView = new QWidget;
    inspectorView->setObjectName(QStringLiteral("errorbar"));
    ui_->setupUi(inspectorView);
    ErrorBarPanel& u = *ui_;
    scope_.emplace(u.allbuffer, u.selbuffer);

    u.errBarWidthSlider->setDoubleRange(0, 10, 0.1);
    errorBarX = taggedCells(u.errorBarX);
    errorBarY = taggedCells(u.errorBarY);
    bind(errorBarX);
    bind(errorBarY);
    for (const NumberRow& row : numberRows)
        bind(u.*row.field);
    bind(u.errBarWidthSlider);
    bind(u.errorColor);
    bind(u.allbuffer);
    bind(u.selbuffer);
}

ErrorBarManager::~ErrorBarManager() = default;

void ErrorBarManager::update()
{
    takeCurrentDocument();
    DataBuffer* b = PD ? PD->getCurrentDataBuffer() : nullptr;
    showControls(b != nullptr);
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
    if (scope_->isScopeSwitch(sender))
        return;
    takeCurrentDocument();
    if (!PD)
        return;
    VexaDocument& d = *PD;
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
        const std::optional<double> v = typedNumber(panelTitle, (u.*row.field)->text());
        if (!v) {
            // Refused: the field shows the stored value again.
            update();
            return;
        }
        write = number(row.value, *v);
    }
    if (sender == u.errBarWidthSlider)
        write = number(&ErrorBarSettings::errorwidth, u.errBarWidthSlider->doubleValue());
    if (sender == u.errorColor) {
        const QColor c = u.errorColor->color();
        write = [&d, c](int i) { d.setBufferStyle(i, &BufferStyle::errorcolor, c, Redraw::Later); };
    }

    const std::vector<int> targets = scope_->targets(d);
    if (write)
        for (int i : targets)
            write(i);
    d.replot();
}
