#include "view/Subviews.h"

#include "model/VexaDocument.h"
#include "view/VexaView.h"

namespace Subviews {

std::unique_ptr<VexaView> attach(VexaDocument& main, std::unique_ptr<VexaDocument> subview,
                                 const QRectF& frame)
{
    auto view = std::make_unique<VexaView>(frame.size(), main.M);
    view->setFrame(frame);
    VexaDocument* sub = subview.get();
    view->setVexaDocument(sub);
    sub->PV = view.get();
    sub->W = main.W;
    sub->MPD = &main;
    sub->subview = 1;
    sub->M = main.M;
    main.SPD.push_back(std::move(subview));
    return view;
}

} // namespace Subviews
