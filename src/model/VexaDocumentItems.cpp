// Taking text boxes and graphics off a document without leaving anything
// pointing at them: not the controller's current item, not an undo step.

#include "model/VexaDocument.h"

#include "model/ManagerServices.h"

#include <utility>

namespace {

// Takes the items out of the list and out of the controller's hands.
template <class Item>
std::vector<std::unique_ptr<Item>> takeItems(VexaDocument& d, std::vector<std::unique_ptr<Item>>& list,
                                             Item* ManagerServices::*current,
                                             const std::function<bool(const Item&)>& which)
{
    std::vector<std::unique_ptr<Item>> gone;
    for (std::size_t i = list.size(); i-- > 0;) {
        if (list[i] && !which(*list[i]))
            continue;
        gone.push_back(std::move(list[i]));
        list.erase(list.begin() + std::ptrdiff_t(i));
    }
    if (ManagerServices* m = d.M) {
        for (const auto& item : gone) {
            if (item && m->*current == item.get())
                m->*current = nullptr;
            m->itemTakenAway(item.get());
        }
    }
    return gone;
}

template <class Item>
void removeItems(VexaDocument& d, std::vector<std::unique_ptr<Item>>& list, Item* ManagerServices::*current,
                 const std::function<bool(const Item&)>& which)
{
    // Out of the list first and destroyed last, so that nothing met on the
    // way (a destructor, the controller) sees a half-removed item.
    std::vector<std::unique_ptr<Item>> gone = takeItems(d, list, current, which);
    for (const auto& item : gone)
        if (item)
            d.undoManager().removeAllActionsWithTarget(item.get());
}

} // namespace

void VexaDocument::removeTextBox(const TextBoxItem* box)
{
    removeTextBoxes([box](const TextBoxItem& t) { return &t == box; });
}

void VexaDocument::removeGraphic(const GraphicItem* graphic)
{
    removeGraphics([graphic](const GraphicItem& g) { return &g == graphic; });
}

std::unique_ptr<TextBoxItem> VexaDocument::takeTextBox(const TextBoxItem* box)
{
    auto gone = takeItems<TextBoxItem>(*this, T, &ManagerServices::T,
                                       [box](const TextBoxItem& t) { return &t == box; });
    return gone.empty() ? nullptr : std::move(gone.front());
}

std::unique_ptr<GraphicItem> VexaDocument::takeGraphic(const GraphicItem* graphic)
{
    auto gone = takeItems<GraphicItem>(*this, G, &ManagerServices::G,
                                       [graphic](const GraphicItem& g) { return &g == graphic; });
    return gone.empty() ? nullptr : std::move(gone.front());
}

void VexaDocument::removeTextBoxes(const std::function<bool(const TextBoxItem&)>& which)
{
    removeItems(*this, T, &ManagerServices::T, which);
}

void VexaDocument::removeGraphics(const std::function<bool(const GraphicItem&)>& which)
{
    removeItems(*this, G, &ManagerServices::G, which);
}

void VexaDocument::textDidEndEditing(TextBoxItem* box)
{
    if (!box || !box->isEmpty())
        return;
    bool held = false;
    for (const auto& t : T)
        held = held || t.get() == box;
    if (!held)
        return;
    removeTextBox(box);
    replot();
}
