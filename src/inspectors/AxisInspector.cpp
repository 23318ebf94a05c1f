#include "inspectors/AxisInspector.h"

#include "inspectors/AxisSelector.h"
#include "model/VexaDocument.h"

void AxisInspector::attach(AxisSelector* selector)
{
    selector_ = selector;
    connect(selector_, &AxisSelector::axisChosen, this, [this] {
        if (!refreshing())
            didChange(selector_);
    });
}

int AxisInspector::axis() const
{
    return selector_->axis();
}

std::vector<int> AxisInspector::axesChanged(bool all) const
{
    if (all)
        return {AxisX1, AxisY1, AxisX2, AxisY2};
    return {axis()};
}

bool AxisInspector::showDocument()
{
    showControls(PD() != nullptr);
    return PD() != nullptr;
}

void AxisInspector::didChange(QObject* sender)
{
    if (!PD())
        return;
    if (sender && sender != selector_)
        apply(sender);
    update();
    PD()->replot();
}
