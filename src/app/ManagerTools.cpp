// The tool palette's keys and tooltips, and the value read-outs: positions
// and distances under the mouse on the four axes, published as variables, and
// the picks of the reference and background tools handed to the normalize
// panel.

#include "app/Manager.h"

#include "app/InspectorPanel.h"
#include "app/KeyCatchPanel.h"
#include "app/MadeWhenShown.h"
#include "app/PanelOutlets.h"
#include "app/PointTableModel.h"
#include "app/Selections.h"
#include "io/AsciiImport.h"
#include "macro/Macro.h"
#include "model/DocumentView.h"
#include "model/VexaDocument.h"
#include "util/NumberFormat.h"
#include "view/CalendarFormat.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QTableView>

#include <algorithm>
#include <cmath>

namespace {

// What the variables of one axis read: its position and its distance.
// clang-format off
const struct {
    const char* position;
    const char* distance;
} readoutVariables[4] = {
    {"xpos1", "dx1"}, // X1
    {"ypos1", "dy1"}, // Y1
    {"xpos2", "dx2"}, // X2
    {"ypos2", "dy2"}, // Y2
};
// clang-format on

} // namespace

QWidget* Manager::buildToolReadouts()
{
    for (auto it = MM.cbegin(); it != MM.cend(); ++it)
        it.value()->setToolTip(mouseModeToolTip(it.key()));
    new KeyCatchPanel(*this, inspector);

    readouts_ = new MadeWhenShown([this](QWidget& place) {
        auto* grid = new QGridLayout(&place);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->setHorizontalSpacing(4);
        grid->setVerticalSpacing(2);
        QFont small = place.font();
        small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.85));
        auto field = [&](const char* name, int row, int column, const char* label) {
            auto* l = new QLabel(QLatin1String(label));
            l->setFont(small);
            l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            auto* f = new QLineEdit;
            f->setObjectName(QLatin1String(name));
            f->setReadOnly(true);
            f->setFocusPolicy(Qt::NoFocus);
            f->setFont(small);
            f->setMinimumWidth(90);
            grid->addWidget(l, row, column * 2);
            grid->addWidget(f, row, column * 2 + 1);
            return f;
        };
        // Pair 1 over pair 2: position x, y, then distance x, y.
        x1val = field("x1val", 0, 0, "x1");
        y1val = field("y1val", 0, 1, "y1");
        dx1val = field("dx1val", 0, 2, "dx1");
        dy1val = field("dy1val", 0, 3, "dy1");
        x2val = field("x2val", 1, 0, "x2");
        y2val = field("y2val", 1, 1, "y2");
        dx2val = field("dx2val", 1, 2, "dx2");
        dy2val = field("dy2val", 1, 3, "dy2");
        for (int c = 0; c < 4; ++c)
            grid->setColumnStretch(c * 2 + 1, 1);
        showReadouts();
    });
    readouts_->setObjectName(QStringLiteral("readouts"));
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

double Manager::axisValue(int axis, double coordinate) const
{
    const DocumentView* v = PD ? PD->PV : nullptr;
    if (!v)
        return 0;
    switch (axis) {
    case AxisX1:
        return v->xValue(coordinate, Pair1);
    case AxisY1:
        return v->yValue(coordinate, Pair1);
    case AxisX2:
        return v->xValue(coordinate, Pair2);
    case AxisY2:
        return v->yValue(coordinate, Pair2);
    default:
        return 0;
    }
}

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
    const double distance = axisValue(axis, first) - axisValue(axis, second);
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

void Manager::fillReadouts(QPointF point, const std::optional<QPointF>& from)
{
    readoutTexts_.fill(QString());
    if (PD) {
        for (int axis = 0; axis < 4; ++axis) {
            const bool horizontal = axis == AxisX1 || axis == AxisX2;
            const double p = horizontal ? point.x() : point.y();
            const int mode = PD->axes[std::size_t(axis)].axismode;
            readoutTexts_[std::size_t(axis)] = getValue(axis, mode, p);
            // The variables hold the values themselves, also on a time axis
            // (seconds, not a number read back from the date text).
            setVar(QLatin1String(readoutVariables[axis].position), axisValue(axis, p));
            if (from) {
                const double q = horizontal ? from->x() : from->y();
                readoutTexts_[std::size_t(4 + axis)] = getDValue(axis, mode, p, q);
                setVar(QLatin1String(readoutVariables[axis].distance),
                       axisValue(axis, p) - axisValue(axis, q));
            } else {
                setVar(QLatin1String(readoutVariables[axis].distance), 0);
            }
        }
    }
    showReadouts();
}

void Manager::showReadouts()
{
    QLineEdit* const fields[8] = {x1val, y1val, x2val, y2val, dx1val, dy1val, dx2val, dy2val};
    for (std::size_t i = 0; i < 8; ++i)
        if (fields[i])
            fields[i]->setText(readoutTexts_[i]);
}

void Manager::showValues(QPointF point)
{
    fillReadouts(point, std::nullopt);
}

void Manager::showValues(QPointF point, QPointF from)
{
    fillReadouts(point, from);
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
        fillReadouts(measured(point), std::nullopt);
}

void Manager::showValuesMeasure(QPointF point, QPointF from)
{
    fillReadouts(measured(point), measured(from));
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
    PanelOutlets::setText(IM.value(QStringLiteral("normalize")), which, text);
    setVar(which, value);
    mpcount = mpcount == 0 ? 1 : 0;
}

void Manager::setLinBg(double a, double b)
{
    switchInspector(QStringLiteral("normalize"));
    InspectorPanel* panel = IM.value(QStringLiteral("normalize"));
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
        const char* key;
        const char* selector;
    };
    static const AxisPanel panels[] = {
        {"axisformat", "insAxisFormatSel"},
        {"axislabel", "insAxisLabelsSel"},
        {"axis", "insAxisSel"},
    };
    const QString onShow = selectedInspector();
    const AxisPanel* panel = &panels[2];
    for (const AxisPanel& p : panels)
        if (onShow == QLatin1String(p.key))
            panel = &p;
    const QString key = QLatin1String(panel->key);
    if (onShow != key)
        switchInspector(key);
    InspectorPanel* shown = IM.value(key);
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
        m->parseMacro();
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
