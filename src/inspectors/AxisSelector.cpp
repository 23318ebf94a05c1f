#include "inspectors/AxisSelector.h"

#include "model/AxisSettings.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QToolButton>

AxisSelector::AxisSelector(QWidget* parent)
        : QWidget(parent)
        , segments_(new QButtonGroup(this))
{
    // clang-format off
    static const struct {
        AxisIndex axis;
        const char* title;
        const char* tip;
    } segments[] = {
        {AxisX1, "X1", "Bottom axis"},
        {AxisY1, "Y1", "Left axis"},
        {AxisX2, "X2", "Top axis"},
        {AxisY2, "Y2", "Right axis"},
    };
    // clang-format on
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    segments_->setExclusive(true);
    for (const auto& s : segments) {
        auto* b = new QToolButton(this);
        b->setText(QLatin1String(s.title));
        b->setToolTip(QLatin1String(s.tip));
        b->setCheckable(true);
        b->setAutoRaise(false);
        b->setFocusPolicy(Qt::NoFocus);
        b->setMinimumWidth(44);
        b->setProperty("tag", int(s.axis));
        segments_->addButton(b, s.axis);
        row->addWidget(b);
    }
    row->addStretch(1);
    segments_->button(AxisX1)->setChecked(true);
    connect(segments_, &QButtonGroup::idClicked, this, &AxisSelector::axisChosen);
}

int AxisSelector::axis() const
{
    return segments_->checkedId() < 0 ? int(AxisX1) : segments_->checkedId();
}

void AxisSelector::setAxis(int axis)
{
    if (QAbstractButton* b = segments_->button(axis))
        b->setChecked(true);
}
