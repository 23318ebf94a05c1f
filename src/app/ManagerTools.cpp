// The tool palette's keys and tooltips, what the value read-outs show of
// positions and distances under the mouse, and the picks of the reference and
// background tools handed to the normalize panel.

#include "app/Manager.h"

#include "app/InspectorHost.h"
#include "app/InspectorPanel.h"
#include "app/KeyCatchPanel.h"
#include "app/PanelOutlets.h"
#include "app/PointTableModel.h"
#include "app/Selections.h"
#include "app/ValueReadouts.h"
#include "io/AsciiImport.h"
#include "macro/Macro.h"
#include "model/VexaDocument.h"
#include "util/NumberFormat.h"
#include "view/CalendarFormat.h"

#include <QAbstractButton>
#include <QItemSelectionModel>
#include <QMainWindow>
#include <QTableView>

#include <algorithm>
#include <cmath>

QWidget* Manager::buildToolReadouts()
{
    for (auto it = MM.cbegin(); it != MM.cend(); ++it)
        it.value()->setToolTip(mouseModeToolTip(it.key()));
    new KeyCatchPanel(*this, inspector);

    readouts_ = new ValueReadouts(*this);
    return readouts_;
}

void Manager::getShortcut(int character)
{
    const QString tool = mouseModeForKey(character);
    if (!tool.isEmpty())
        selectMouseMode(tool);
    mouseModeDidChange(nullptr);
}

// --- values -------------------------------------------------------------------------------

QString Manager::timeText(double seconds) const
{
    const QString format = TDF();
    if (!timeFormat_ || format != timeFormatText_) {
        timeFormat_ = std::make_unique<CalendarFormat>(format);
        timeFormatText_ = format;
    }
    return timeFormat_->format(seconds);
}

QString Manager::getDValue(int axis, int mode, double first, double second) const
{
    if (!PD)
        return QString();
    const double distance
        = ValueReadouts::axisValue(PD, axis, first) - ValueReadouts::axisValue(PD, axis, second);
    // Beyond some 10^13 years the parts no longer fit their integers; such
    // a distance (or one that is no number) reads as a plain number.
    if (mode != AxisTime || !(std::fabs(distance) < 4e20))
        return formatNumberAuto(distance);
    double rest = distance;
    const double days = std::floor(rest / 86400);
    rest -= days * 86400;
    const double hours = std::floor(rest / 3600);
    rest -= hours * 3600;
    const double minutes = std::floor(rest / 60);
    rest -= minutes * 60;
    const double seconds = std::trunc(rest);
    return QString::asprintf("%lld:%02d:%02d:%02d", static_cast<long long>(days), int(hours), int(minutes),
                             int(seconds));
}

void Manager::showValues(QPointF point)
{
    readouts_->showPoint(point, std::nullopt);
}

void Manager::showValues(QPointF point, QPointF from)
{
    readouts_->showPoint(point, from);
}

namespace {

// The measure tool reads the point its cross hair marks, up and to the left
// of the pointer.
QPointF measured(QPointF p)
{
    return QPointF(p.x() - 15, p.y() + 15);
}

} // namespace

void Manager::showValuesMeasure(QPointF point)
{
    if (PD)
        readouts_->showPoint(measured(point), std::nullopt);
}

void Manager::showValuesMeasure(QPointF point, QPointF from)
{
    readouts_->showPoint(measured(point), measured(from));
}

// --- picks of the reference and background tools --------------------------------------------------

void Manager::setMouseLocation(double value)
{
    if (!PD)
        return;
    const bool pair1 = axis12() == Pair1;
    const int axis = mouseTool() == Tool::NormY ? (pair1 ? AxisY1 : AxisY2) : (pair1 ? AxisX1 : AxisX2);
    const QString text
        = PD->axes[std::size_t(axis)].axismode == AxisTime ? timeText(value) : formatNumberAuto(value);
    const QString which = mpcount == 0 ? QStringLiteral("ref1") : QStringLiteral("ref2");
    PanelOutlets::setText(inspectors_->panel(InspectorKey::Normalize), which, text);
    setVar(which, value);
    mpcount = mpcount == 0 ? 1 : 0;
}

void Manager::setLinBg(double a, double b)
{
    inspectors_->show(InspectorKey::Normalize);
    InspectorPanel* panel = inspectors_->panel(InspectorKey::Normalize);
    PanelOutlets::setText(panel, QStringLiteral("linbga"), formatNumberAuto(a));
    PanelOutlets::setText(panel, QStringLiteral("linbgb"), formatNumberAuto(b));
    setVar(QStringLiteral("linbga"), a);
    setVar(QStringLiteral("linbgb"), b);
}

// --- the graph's tools and keys -------------------------------------------------------------

void Manager::selectPointRow(int row)
{
    // The row may be one the hidden table has not taken in yet.
    pointRows_->catchUp();
    if (row < 0 || row >= pointRows_->rowCount())
        return;
    Selections::selectOnlyRow(*pointSelection_, row);
    if (DataTableView* table = panes_.dataTable)
        table->scrollTo(pointRows_->index(row, 0));
}

void Manager::deselectAllPoints()
{
    pointSelection_->clearSelection();
}

void Manager::showAxisInInspector(int axis)
{
    // The axis format and label panels stay on show and turn to the axis;
    // from any other panel the axis panel comes up.
    struct AxisPanel {
        InspectorKey key;
        const char* selector;
    };
    static const AxisPanel panels[] = {
        {InspectorKey::AxisFormat, "insAxisFormatSel"},
        {InspectorKey::AxisLabel, "insAxisLabelsSel"},
        {InspectorKey::Axis, "insAxisSel"},
    };
    const std::optional<InspectorKey> onShow = inspectors_->selected();
    const AxisPanel* panel = &panels[2];
    for (const AxisPanel& p : panels)
        if (onShow == p.key)
            panel = &p;
    if (onShow != panel->key)
        inspectors_->show(panel->key);
    InspectorPanel* shown = inspectors_->panel(panel->key);
    PanelOutlets::selectTag(shown, QLatin1String(panel->selector), axis);
    if (shown)
        shown->didChange(nullptr);
}

void Manager::ma_executeByShortcut(int character)
{
    const std::vector<Macro*> macros = storedMacros();
    for (Macro* m : macros) {
        if (!m || m->shortcut != character)
            continue;
        // A run may change the list: only macros still in it run.
        const std::vector<Macro*> now = storedMacros();
        if (std::find(now.begin(), now.end(), m) == now.end())
            continue;
        m->stopTimer();
        m->run(*this);
    }
}

namespace {

ASCIIImport::ImportOptions dropOptions(const QString& source)
{
    ASCIIImport::ImportOptions o;
    o.source = source;
    return o;
}

} // namespace

bool Manager::importDroppedText(VexaDocument& document, const QString& text)
{
    const Outcome outcome = ASCIIImport::importText(document, text, dropOptions(QStringLiteral("Drag&Drop")));
    Alert::show(outcome);
    return outcome.ok();
}

bool Manager::importDroppedFile(VexaDocument& document, const QString& path)
{
    ASCIIImport::ImportOptions o = dropOptions(QStringLiteral("Pasteboard"));
    o.path = path;
    const Outcome outcome = ASCIIImport::importFile(document, o);
    Alert::show(outcome);
    return outcome.ok();
}
