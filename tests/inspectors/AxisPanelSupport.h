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
#include <QLineEdit>
#include <QPainter>

#include <array>

#include <gtest/gtest.h>

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
        panel = dynamic_cast<Panel*>(m->inspectors().panel(QLatin1String(key)));
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

// A refused entry: typed into a field of an axis panel, it brings one alert
// of the panel saying why, changes no axis, and the field shows what is
// stored again.
struct Refusal {
    QLineEdit* field;
    const char* typed;
    const char* message;
};
template <class Fixture> void expectRefused(Fixture& f, const Refusal& r, const char* title)
{
    SCOPED_TRACE(r.field->objectName().toStdString() + " " + r.typed);
    const AxisState before = axisState(f.d);
    const QString shown = r.field->text();
    const std::size_t alerts = f.alerts.requests().size();
    InspectorSupport::type(r.field, QLatin1String(r.typed));
    EXPECT_TRUE(axisState(f.d) == before);
    ASSERT_EQ(f.alerts.requests().size(), alerts + 1);
    EXPECT_EQ(f.alerts.requests().back().title, QLatin1String(title));
    EXPECT_EQ(f.alerts.requests().back().message, QLatin1String(r.message));
    EXPECT_EQ(r.field->text(), shown);
}

} // namespace AxisPanelSupport
