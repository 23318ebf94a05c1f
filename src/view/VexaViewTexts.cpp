#include "view/VexaView.h"

#include "model/VexaDocument.h"
#include "view/VexaTextView.h"

#include <algorithm>

VexaTextView* VexaView::textViewAt(QPointF p) const
{
    if (!PD)
        return nullptr;
    for (auto it = PD->T.rbegin(); it != PD->T.rend(); ++it)
        if (auto* box = dynamic_cast<VexaTextView*>(it->get()); box && box->frameContains(p))
            return box;
    return nullptr;
}

void VexaView::layOutTextBoxes()
{
    if (!PD)
        return;
    resize();
    // Automatic places keep clear of the axis numbers; a graph not drawn
    // since its axes changed (or never drawn, in a hidden run) has them
    // measured first.
    const bool automatic = std::any_of(PD->T.begin(), PD->T.end(), [](const auto& item) {
        const auto* box = dynamic_cast<const VexaTextView*>(item.get());
        return box && box->autopos;
    });
    if (automatic)
        measureAxes();
    for (const auto& item : PD->T)
        if (auto* box = dynamic_cast<VexaTextView*>(item.get()))
            box->layOut();
    if (PD->subview)
        return;
    for (const auto& sub : PD->SPD)
        if (auto* view = sub ? dynamic_cast<VexaView*>(sub->PV) : nullptr; view && view != this)
            view->layOutTextBoxes();
}
