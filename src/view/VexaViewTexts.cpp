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
