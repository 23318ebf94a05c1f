#include "io/ExportRenderer.h"

#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "view/VexaView.h"

#include <QPainter>

#include <algorithm>

namespace {

// The controllers the pass consults: the view's own, and those of the
// sub-views it draws along (normally all the same one).
std::vector<ManagerServices*> controllersOf(const VexaView& view)
{
    std::vector<ManagerServices*> all{view.M};
    const VexaDocument* d = view.PD;
    if (d && !d->subview)
        for (const auto& sub : d->SPD) {
            const auto* v = sub ? dynamic_cast<const VexaView*>(sub->PV) : nullptr;
            if (v && v->M && std::find(all.begin(), all.end(), v->M) == all.end())
                all.push_back(v->M);
        }
    return all;
}

} // namespace

ExportRenderer::PrintModeScope::PrintModeScope(std::vector<ManagerServices*> managers)
        : managers_(std::move(managers))
{
    for (ManagerServices* m : managers_)
        if (m)
            m->printmode = 1;
}

ExportRenderer::PrintModeScope::~PrintModeScope()
{
    for (ManagerServices* m : managers_)
        if (m)
            m->printmode = 0;
}

void ExportRenderer::render(VexaView& view, QPainter& painter)
{
    view.layOutTextBoxes();
    PrintModeScope printing(controllersOf(view));
    painter.save();
    view.drawIn(painter);
    painter.restore();
}
