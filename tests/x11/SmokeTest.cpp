// The graph in a shown window on a real X server, driven by real pointer
// and key events from the X test extension (xdotool): a zoom band dragged
// out, undone and redone from the keyboard, and a new text box typed into.
// scripts/x11-test runs it on a server of its own.

#include "app/DocumentWindowQt.h"
#include "app/Manager.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "support/TestSupport.h"
#include "view/GraphWidget.h"
#include "view/VexaTextView.h"

#include <QApplication>
#include <QProcess>
#include <QTextDocument>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

using TestSupport::spinUntil;

// Runs xdotool and takes in what the server sent back meanwhile.
void xdotool(const QStringList& arguments)
{
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), arguments), 0)
        << arguments.join(' ').toStdString();
    QApplication::processEvents();
}

struct ShownGraph {
    ScriptedAlerts alerts;
    Manager m;
    DocumentWindowQt* w = m.openDocument(std::make_unique<VexaDocument>(), true);
    VexaDocument& d = w->document();
    GraphWidget& graph = w->graphWidget();

    ShownGraph()
    {
        w->setContentSize(QSize(700, 500));
        d.xmin1 = d.ymin1 = 0;
        d.xmax1 = d.ymax1 = 100;
        m.setCurrentDoc(&d, &d);
        EXPECT_TRUE(spinUntil([this] { return w->windowHandle() && w->windowHandle()->isExposed(); }));
        d.replot();
    }

    // Where a view point of the graph is on the screen.
    QPoint screen(QPointF viewPoint) const
    {
        return graph.mapToGlobal(QPoint(int(viewPoint.x()), int(graph.height() - viewPoint.y())));
    }
    static QStringList moveTo(QPoint p)
    {
        return {QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())};
    }
    void drag(QPointF from, QPointF to)
    {
        xdotool(moveTo(screen(from)) << QStringLiteral("mousedown") << QStringLiteral("1"));
        for (int i = 1; i <= 4; ++i)
            xdotool(moveTo(screen(from + (to - from) * (i / 4.0))));
        xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
    }
    void click(QPointF at) { xdotool(moveTo(screen(at)) << QStringLiteral("click") << QStringLiteral("1")); }
};

TEST(X11, ZoomBandUndoRedoAndATextBoxTypedInto)
{
    ShownGraph g;
    VexaView& v = g.graph.view();

    g.m.selectMouseMode(QStringLiteral("zoom"));
    const QPointF from = v.plotRect().topLeft() + QPointF(100, 60); // y up: from the bottom
    const QPointF to = from + QPointF(200, 150);
    const double x0 = v.xValue(from.x(), 1), x1 = v.xValue(to.x(), 1);
    g.drag(from, to);
    ASSERT_TRUE(spinUntil([&] { return g.d.xmax1 != 100; })) << "the band zoomed nothing";
    EXPECT_NEAR(g.d.xmin1, x0, 1.0);
    EXPECT_NEAR(g.d.xmax1, x1, 1.0);
    const double zoomedMin = g.d.xmin1, zoomedMax = g.d.xmax1;

    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+z")});
    ASSERT_TRUE(spinUntil([&] { return g.d.xmax1 == 100; })) << "Ctrl+Z undid nothing";
    EXPECT_EQ(g.d.xmin1, 0);
    EXPECT_EQ(g.d.ymax1, 100);
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+shift+z")});
    ASSERT_TRUE(spinUntil([&] { return g.d.xmax1 == zoomedMax; })) << "Ctrl+Shift+Z redid nothing";
    EXPECT_EQ(g.d.xmin1, zoomedMin);

    g.m.selectMouseMode(QStringLiteral("text"));
    g.click(QPointF(200, 200));
    ASSERT_TRUE(spinUntil([&] { return g.d.T.size() == 1 && g.graph.textEditor(); }))
        << "no box to type into";
    auto* box = dynamic_cast<VexaTextView*>(g.d.T.front().get());
    ASSERT_NE(box, nullptr);
    xdotool(
        {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), QStringLiteral("Peak 2")});
    EXPECT_TRUE(spinUntil([&] { return box->document().toPlainText() == QStringLiteral("Peak 2"); }))
        << box->document().toPlainText().toStdString();
    xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
    EXPECT_TRUE(spinUntil([&] { return !g.graph.textEditor(); }));
    ASSERT_EQ(g.d.T.size(), 1u); // a box with text stays
}

} // namespace
