#pragma once

// What the three axis panels share: the segment control choosing the axis
// shown, and the edit protocol. An edit writes the fields of the chosen axis
// (or of all four, where the panel offers that) through the document's
// setters, then the panel shows the stored values again and the document
// replots. Choosing a segment, or the graph selecting one (a null sender),
// writes nothing and only refreshes.

#include "inspectors/InspectorManager.h"

#include <vector>

class AxisSelector;

class AxisInspector : public InspectorManager {
public:
    void didChange(QObject* sender) override;

    // The AxisIndex shown.
    int axis() const;

protected:
    using InspectorManager::InspectorManager;

    // The panel's segment control, once its interface is built.
    void attach(AxisSelector* selector);

    // Writes the sender's value into the document PD() (never null here).
    virtual void apply(QObject* sender) = 0;

    // The axes an edit changes: all four when `all`, else the one shown.
    std::vector<int> axesChanged(bool all) const;

    // update's common start: the panel or the no-document view is shown. False when there is no document.
    bool showDocument();

private:
    AxisSelector* selector_ = nullptr;
};
