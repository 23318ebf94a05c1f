#include "app/ValueReadouts.h"

#include "app/Manager.h"
#include "model/DocumentView.h"
#include "model/VexaDocument.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

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

ValueReadouts::ValueReadouts(Manager& manager)
        : MadeWhenShown([this](QWidget& place) { build(place); })
        , manager_(manager)
{
    setObjectName(QStringLiteral("readouts"));
}

void ValueReadouts::build(QWidget& place)
{
    auto* grid = new QGridLayout(&place);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    QFont small = place.font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.85));
    // Pair 1 over pair 2: position x, y, then distance x, y.
    // clang-format off
    const struct {
        Field field;
        const char* name;
        int row, column;
        const char* label;
    } cells[fieldCount] = {
        {X1,  "x1val",  0, 0, "x1"},
        {Y1,  "y1val",  0, 1, "y1"},
        {DX1, "dx1val", 0, 2, "dx1"},
        {DY1, "dy1val", 0, 3, "dy1"},
        {X2,  "x2val",  1, 0, "x2"},
        {Y2,  "y2val",  1, 1, "y2"},
        {DX2, "dx2val", 1, 2, "dx2"},
        {DY2, "dy2val", 1, 3, "dy2"},
    };
    // clang-format on
    for (const auto& c : cells) {
        auto* l = new QLabel(QLatin1String(c.label));
        l->setFont(small);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* f = new QLineEdit;
        f->setObjectName(QLatin1String(c.name));
        f->setReadOnly(true);
        f->setFocusPolicy(Qt::NoFocus);
        f->setFont(small);
        f->setMinimumWidth(90);
        grid->addWidget(l, c.row, c.column * 2);
        grid->addWidget(f, c.row, c.column * 2 + 1);
        fields_[std::size_t(c.field)] = f;
    }
    for (int c = 0; c < 4; ++c)
        grid->setColumnStretch(c * 2 + 1, 1);
    showTexts();
}

double ValueReadouts::axisValue(const VexaDocument* document, int axis, double coordinate)
{
    const DocumentView* v = document ? document->PV : nullptr;
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

void ValueReadouts::showPoint(QPointF point, const std::optional<QPointF>& from)
{
    texts_.fill(QString());
    if (const VexaDocument* d = manager_.PD) {
        for (int axis = 0; axis < 4; ++axis) {
            const bool horizontal = axis == AxisX1 || axis == AxisX2;
            const double p = horizontal ? point.x() : point.y();
            const int mode = d->axes[std::size_t(axis)].axismode;
            texts_[std::size_t(axis)] = manager_.getValue(axis, mode, p);
            // The variables hold the values themselves, also on a time axis
            // (seconds, not a number read back from the date text).
            manager_.setVar(QLatin1String(readoutVariables[axis].position), axisValue(d, axis, p));
            if (from) {
                const double q = horizontal ? from->x() : from->y();
                texts_[std::size_t(DX1 + axis)] = manager_.getDValue(axis, mode, p, q);
                manager_.setVar(QLatin1String(readoutVariables[axis].distance),
                                axisValue(d, axis, p) - axisValue(d, axis, q));
            } else {
                manager_.setVar(QLatin1String(readoutVariables[axis].distance), 0);
            }
        }
    }
    showTexts();
}

void ValueReadouts::showTexts()
{
    for (std::size_t i = 0; i < texts_.size(); ++i)
        if (fields_[i])
            fields_[i]->setText(texts_[i]);
}
