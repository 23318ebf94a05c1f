#include "view/VexaView.h"

#include "model/VexaDocument.h"
#include "view/VexaTextView.h"

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
    for (const auto& item : PD->T)
        if (auto* box = dynamic_cast<VexaTextView*>(item.get()))
            box->layOut();
    if (PD->subview)
        return;
    for (const auto& sub : PD->SPD)
        if (auto* view = sub ? dynamic_cast<VexaView*>(sub->PV) : nullptr; view && view != this)
            view->layOutTextBoxes();
}
