// Shared steps of the axis panel tests: a panel on show for a current
// document, the axis chosen by its segment, and the document's axis state
// to compare before and after an edit.

#pragma once

#include "InspectorSupport.h"

#include "app/PanelOutlets.h"
#include "inspectors/AxisSelector.h"

#include "view/VexaView.h"

#include <QAbstractButton>
#include <QImage>
#include <QPainter>

#include <array>

namespace AxisPanelSupport {

// A controller, a current document and the panel of that key on show.
template <class Panel> struct PanelFixture {
    std::unique_ptr<Manager> m = InspectorSupport::controller();
    ScriptedAlerts alerts;
    VexaDocument& d = InspectorSupport::openCurrent(*m);
    Panel* panel = nullptr;

    explicit PanelFixture(const char* key)
    {
        m->switchInspector(QLatin1String(key));
        panel = dynamic_cast<Panel*>(m->IM.value(QLatin1String(key)));
    }
    // Clicks the segment of the axis, as the user does.
    void choose(AxisSelector* selector, int axis) { PanelOutlets::cellWithTag(selector, axis)->click(); }
    // Clears the window's edited mark, which the next replot sets again.
    void markSaved() { Manager::windowOf(&d)->setDocumentEdited(false); }
    bool replotted() const { return Manager::windowOf(&d)->isWindowModified(); }
    // Runs the drawing pass of the hidden window's view once, so the plot
    // area and the numbers of each axis are known.
    VexaView* draw()
    {
        auto* view = dynamic_cast<VexaView*>(d.PV);
        if (!view || view->boundsSize().isEmpty())
            return nullptr;
        QImage image(view->boundsSize().toSize(), QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        view->drawRect(painter, QRectF(QPointF(), view->boundsSize()));
        return view;
    }
};

// What an edit may change: the ranges and the settings of the four axes.
struct AxisState {
    std::array<double, 8> ranges;
    std::array<AxisSettings, 4> axes;
    friend bool operator==(const AxisState&, const AxisState&) = default;
};
inline AxisState axisState(const VexaDocument& d)
{
    return {{d.xmin1, d.xmax1, d.ymin1, d.ymax1, d.xmin2, d.xmax2, d.ymin2, d.ymax2}, d.axes};
}

} // namespace AxisPanelSupport
