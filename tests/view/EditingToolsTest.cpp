// The tools that select and edit: picking points (through a free range
// too), dragging one point with undo, frame corners within bounds, axis
// regions, shifting buffers with their preview and undo, reference picks,
// the background line, graphics drawn and grabbed, new text boxes.

#include "ToolFixture.h"

#include "platform/Picture.h"
#include "view/Graphic.h"
#include "view/VexaTextView.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>

namespace {

Graphic& addGraphic(ToolGraph& g, QPointF a, QPointF b)
{
    auto graphic = std::make_unique<Graphic>();
    graphic->setup(&g.manager, &g.doc);
    graphic->setPoints(a.x(), a.y(), b.x(), b.y());
    g.doc.G.push_back(std::move(graphic));
    return static_cast<Graphic&>(*g.doc.G.back());
}

TEST(EditingTools, PointSearchStopsAtTheFirstBufferWithAHit)
{
    ToolGraph g;
    g.manager.tool = QStringLiteral("select");
    // The press at (250, 200); buffer 0's point 15 points away, buffer 1's 5.
    g.addBuffer({{0, 0}, {53.75, 50}});
    g.addBuffer({{51.25, 50}});
    g.doc.current = 1;
    g.press(QPointF(250, 200));
    EXPECT_EQ(g.doc.current, 0);
    EXPECT_EQ(g.manager.pointRows, std::vector<int>{1});
    EXPECT_TRUE(g.manager.inspectors.contains(QStringLiteral("style")));
    EXPECT_EQ(g.view.movepoints, nullptr); // select only picks
}

TEST(EditingTools, PointSearchKeepsTheEarlierPointOnATie)
{
    ToolGraph g;
    g.manager.tool = QStringLiteral("movepoint");
    // 9.9 and 9.2 points away: both 9 once truncated.
    g.addBuffer({{50 + 9.9 / 4, 50}, {50 - 9.2 / 4, 50}});
    g.press(QPointF(250, 200));
    EXPECT_EQ(g.manager.pointRows, std::vector<int>{0});
    EXPECT_EQ(g.view.movepoints, g.doc.DB.front().get());
}

TEST(EditingTools, NothingWithin20PointsPicksNothing)
{
    ToolGraph g;
    g.manager.tool = QStringLiteral("movepoint");
    g.addBuffer({{50 + 20.0 / 4, 50}});
    g.manager.pointRows = {3};
    g.press(QPointF(250, 200));
    EXPECT_TRUE(g.manager.pointRows.empty());
    EXPECT_EQ(g.view.movepoints, nullptr);
}

TEST(EditingTools, MovePointFollowsThePointerAndUndoesInOneStep)
{
    ToolGraph g;
    g.manager.tool = QStringLiteral("movepoint");
    DataBuffer& b = g.addBuffer({{10, 10}, {50, 50}, {90, 90}});
    g.gesture(g.at(50, 50) + QPointF(3, -2), g.at(60, 30));
    EXPECT_DOUBLE_EQ(b.xDoubleValueAt(1), 60);
    EXPECT_DOUBLE_EQ(b.yDoubleValueAt(1), 30);
    EXPECT_DOUBLE_EQ(b.xDoubleValueAt(0), 10);
    ASSERT_EQ(g.doc.undoManager().undoCount(), 1u);
    EXPECT_TRUE(g.doc.undoManager().undo());
    EXPECT_DOUBLE_EQ(b.xDoubleValueAt(1), 50);
    EXPECT_DOUBLE_EQ(b.yDoubleValueAt(1), 50);
    EXPECT_TRUE(g.doc.undoManager().redo());
    EXPECT_DOUBLE_EQ(b.xDoubleValueAt(1), 60);
}

// A buffer drawn on its own free range is picked and dragged where it is
// drawn, and gets values of that range, not of the axis.
TEST(EditingTools, FreeRangeBuffersUseTheirOwnTransform)
{
    ToolGraph g;
    g.manager.tool = QStringLiteral("movepoint");
    DataBuffer& b = g.addBuffer({{5, 50}});
    b.style.freex = 1;
    b.style.fxmin = 0;
    b.style.fxmax = 10; // x = 5 is drawn at 250, not at 70
    g.gesture(QPointF(250, 200), QPointF(290, 230));
    EXPECT_NEAR(b.xDoubleValueAt(0), 6, 1e-12);
    EXPECT_NEAR(b.yDoubleValueAt(0), 60, 1e-12);
    // A key nudges it by one point of its own range, 10 / 400.
    g.key(VexaView::KeyRight);
    EXPECT_NEAR(b.xDoubleValueAt(0), 6.025, 1e-12);
}

TEST(EditingTools, MovePointOnlyWhileItsBufferIsCurrent)
{
    ToolGraph g;
    g.manager.tool = QStringLiteral("movepoint");
    DataBuffer& b = g.addBuffer({{50, 50}});
    g.addBuffer({});
    g.press(g.at(50, 50));
    g.doc.current = 1; // the buffer list moved on meanwhile
    g.drag(g.at(70, 70));
    g.release(g.at(70, 70));
    EXPECT_DOUBLE_EQ(b.xDoubleValueAt(0), 50);
}

TEST(EditingTools, FrameCornerDragMovesMarginsWithinBounds)
{
    ToolGraph g;
    g.manager.tool = QStringLiteral("select");
    // 9 points right of the bottom-left corner grabs it.
    g.gesture(QPointF(59, 50), QPointF(69, 55), 2);
    EXPECT_EQ(g.view.moveframe, 1);
    EXPECT_DOUBLE_EQ(g.doc.page.marginleft, 60);
    EXPECT_DOUBLE_EQ(g.doc.page.marginbottom, 55);
    EXPECT_TRUE(g.manager.inspectors.contains(QStringLiteral("general")));

    // Far out: margins stop at 0; far in: the plot keeps 10 points.
    g.gesture(QPointF(60, 55), QPointF(-500, -500), 1);
    EXPECT_DOUBLE_EQ(g.doc.page.marginleft, 0);
    EXPECT_DOUBLE_EQ(g.doc.page.marginbottom, 0);
    g.gesture(QPointF(450, 350), QPointF(2000, 2000), 1); // top-right
    EXPECT_DOUBLE_EQ(g.doc.page.marginright, 0);
    EXPECT_DOUBLE_EQ(g.doc.page.margintop, 0);
    g.gesture(QPointF(490, 390), QPointF(-2000, -2000), 1);
    EXPECT_DOUBLE_EQ(g.doc.page.marginright, 490 - 10);
    EXPECT_DOUBLE_EQ(g.doc.page.margintop, 390 - 10);

    // The movepoint tool moves no margin, whatever the last select press
    // grabbed.
    ToolGraph h;
    h.manager.tool = QStringLiteral("select");
    h.press(QPointF(50, 50));
    h.manager.tool = QStringLiteral("movepoint");
    h.gesture(QPointF(50, 50), QPointF(80, 80));
    EXPECT_DOUBLE_EQ(h.doc.page.marginleft, 50);
}

TEST(EditingTools, PressesBesideThePlotChooseAnAxis)
{
    struct Case {
        QPointF p;
        int axis; // -1: none
    };
    const Case cases[] = {
        {{200, 20}, AxisX1}, {{20, 200}, AxisY1}, {{200, 370}, AxisX2}, {{455, 200}, AxisY2},
        {{200, 200}, -1},    {{20, 20}, -1},      {{200, 0}, -1},
    };
    for (const Case& c : cases) {
        ToolGraph g;
        g.manager.tool = QStringLiteral("select");
        g.press(c.p);
        if (c.axis < 0)
            EXPECT_TRUE(g.manager.axesShown.empty()) << c.p.x() << ", " << c.p.y();
        else
            EXPECT_EQ(g.manager.axesShown, std::vector<int>{c.axis}) << c.p.x() << ", " << c.p.y();
    }
}

TEST(EditingTools, MoveBuffersShiftsTheSelectedOnesInTheirPairsValues)
{
    ToolGraph g;
    DataBuffer& b0 = g.addBuffer({{10, 10}, {20, 20}});
    DataBuffer& b1 = g.addBuffer({{10, 10}, {20, 20}});
    DataBuffer& b2 = g.addBuffer({{10, 10}});
    b1.belongy = 2;
    g.manager.bufferRows = {1, 2, 7};
    g.manager.tool = QStringLiteral("movexy");
    // 40 points right (10 on X1), 30 up (10 on Y1, 100 on Y2).
    g.press(QPointF(200, 100));
    g.drag(QPointF(240, 130));
    EXPECT_FALSE(g.view.pb.isEmpty());
    EXPECT_FALSE(g.view.redraw);
    g.release(QPointF(240, 130));
    EXPECT_DOUBLE_EQ(b0.xDoubleValueAt(0), 10);
    EXPECT_DOUBLE_EQ(b1.xDoubleValueAt(0), 20);
    EXPECT_DOUBLE_EQ(b1.yDoubleValueAt(1), 120);
    EXPECT_DOUBLE_EQ(b2.yDoubleValueAt(0), 20);
    ASSERT_EQ(g.doc.undoManager().undoCount(), 1u);
    EXPECT_TRUE(g.doc.undoManager().undo());
    EXPECT_DOUBLE_EQ(b1.xDoubleValueAt(0), 10);
    EXPECT_DOUBLE_EQ(b1.yDoubleValueAt(1), 20);
    EXPECT_DOUBLE_EQ(b2.yDoubleValueAt(0), 10);

    g.manager.tool = QStringLiteral("movey");
    g.gesture(QPointF(200, 100), QPointF(240, 130));
    EXPECT_DOUBLE_EQ(b2.xDoubleValueAt(0), 10);
    EXPECT_DOUBLE_EQ(b2.yDoubleValueAt(0), 20);
}

TEST(EditingTools, MoveBufferPreviewStaysSmallForLongBuffers)
{
    ToolGraph g;
    DataBuffer& b = g.addBuffer({});
    for (int i = 0; i < 1'000'000; ++i)
        b.addDoubleValue(i * 1e-4, std::sin(i * 1e-3) * 40 + 50);
    b.rescale();
    g.manager.bufferRows = {0};
    g.manager.tool = QStringLiteral("movey");
    g.press(QPointF(200, 100));
    g.drag(QPointF(200, 110));
    // About two segments per point of plot width.
    const int elements = g.view.pb.path().elementCount();
    EXPECT_GT(elements, 400);
    EXPECT_LT(elements, 4 * 400 + 8);
}

TEST(EditingTools, ReferencePicksAlternate)
{
    ToolGraph g;
    g.manager.tool = QStringLiteral("normx");
    g.gesture(g.at(20, 5), g.at(20, 5), 1);
    g.view.pb.removeAllPoints(); // as the drawing would
    g.press(g.at(80, 5));
    g.drag(g.at(80, 5));
    // Reference 1 stays in sight while reference 2 is picked.
    EXPECT_EQ(g.view.pb.path().elementCount(), 4);
    g.release(g.at(80, 5));
    EXPECT_EQ(g.manager.references, (std::vector<double>{20, 80}));

    g.manager.tool = QStringLiteral("normy");
    g.manager.pairs = 0; // pair 2's values
    g.gesture(g.at(5, 30), g.at(5, 30), 1);
    EXPECT_DOUBLE_EQ(g.manager.references.back(), 300);
}

TEST(EditingTools, BackgroundLineThroughTwoPicks)
{
    ToolGraph g;
    g.manager.tool = QStringLiteral("bgsub");
    g.gesture(g.at(10, 20), g.at(60, 45));
    ASSERT_TRUE(g.manager.background);
    EXPECT_NEAR(g.manager.background->first, -0.5, 1e-12);
    EXPECT_NEAR(g.manager.background->second, -15, 1e-12);

    // Picks that give no line change nothing.
    struct Case {
        const char* name;
        double xmax, ymax;
        QPointF second;
    };
    const Case cases[] = {
        {"one x", 100, 100, {10, 45}},
        {"a slope beyond the doubles", 1e-300, 1e300, {60, 45}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolGraph v;
        v.manager.tool = QStringLiteral("bgsub");
        v.doc.xmax1 = c.xmax;
        v.doc.ymax1 = c.ymax;
        v.gesture(v.at(10, 20), v.at(c.second.x(), c.second.y()));
        EXPECT_FALSE(v.manager.background);
    }
}

TEST(EditingTools, GraphicToolDrawsANewGraphicOnlyWhenDraggedOut)
{
    ToolGraph g;
    g.manager.tool = QStringLiteral("graphic");
    g.gesture(QPointF(100, 100), QPointF(100, 100), 0);
    EXPECT_TRUE(g.doc.G.empty());
    EXPECT_EQ(g.manager.G, nullptr);
    EXPECT_EQ(g.view.nG, nullptr);

    g.gesture(QPointF(100, 100), QPointF(101, 100), 1);
    ASSERT_EQ(g.doc.G.size(), 1u);
    auto& made = static_cast<Graphic&>(*g.doc.G.front());
    EXPECT_EQ(g.manager.G, &made);
    EXPECT_EQ(made.type, GraphicLine);
    EXPECT_EQ(QPointF(made.x1, made.y1), QPointF(100, 100));
    EXPECT_EQ(QPointF(made.x2, made.y2), QPointF(101, 100));
}

TEST(EditingTools, GraphicGrabbedByEndOrBody)
{
    struct Case {
        const char* name;
        QPointF press;
        int grabbed;
        QPointF p1, p2; // after a drag by (10, 20)
    };
    // A line from (100, 100) to (105, 100): both ends lie within 10 of
    // (102, 100), and the second wins.
    const Case cases[] = {
        {"both ends near", {102, 100}, 2, {100, 100}, {115, 120}},
        {"first end", {93, 100}, 1, {110, 120}, {105, 100}},
        {"nothing", {300, 300}, 0, {100, 100}, {105, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolGraph g;
        Graphic& line = addGraphic(g, {100, 100}, {105, 100});
        g.manager.tool = QStringLiteral("graphic");
        g.press(c.press);
        EXPECT_EQ(g.view.movegraphic, c.grabbed);
        g.drag(c.press + QPointF(10, 20));
        g.release(c.press + QPointF(10, 20));
        EXPECT_EQ(QPointF(line.x1, line.y1), c.p1);
        EXPECT_EQ(QPointF(line.x2, line.y2), c.p2);
    }

    // Inside a rectangle's body, widened by 2: the whole graphic moves.
    ToolGraph g;
    Graphic& box = addGraphic(g, {100, 100}, {200, 150});
    g.manager.tool = QStringLiteral("select");
    g.gesture(QPointF(150, 151.5), QPointF(160, 141.5), 2);
    EXPECT_EQ(g.view.movegraphic, 3);
    EXPECT_EQ(QRectF(QPointF(box.x1, box.y1), QPointF(box.x2, box.y2)), QRectF(110, 90, 100, 50));
}

// Of overlapping graphics a press takes the one drawn on top: the front
// layer before the one behind the data, newer before older, whichever was
// current before.
TEST(EditingTools, APressTakesTheGraphicDrawnOnTop)
{
    struct Case {
        const char* name;
        int largeLayer, smallLayer; // display: 0 in front of the data, 1 behind
        bool smallFirst; // the small one added before the large one
        bool largeCurrent;
        bool smallTaken;
    };
    const Case cases[] = {
        {"newer on top", 0, 0, false, false, true},
        {"newer on top, the older one current", 0, 0, false, true, true},
        {"older, but in front of the data", 1, 0, true, true, true},
        {"newer, but behind the data", 0, 1, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolGraph g;
        Graphic* small = nullptr;
        Graphic* large = nullptr;
        if (c.smallFirst)
            small = &addGraphic(g, {140, 140}, {160, 160});
        large = &addGraphic(g, {100, 100}, {300, 250});
        if (!c.smallFirst)
            small = &addGraphic(g, {140, 140}, {160, 160});
        large->display = c.largeLayer;
        small->display = c.smallLayer;
        g.manager.tool = QStringLiteral("graphic");
        if (c.largeCurrent)
            g.manager.setCurrentGraphic(large);
        g.gesture(QPointF(150, 150), QPointF(155, 150), 1);
        EXPECT_EQ(g.view.movegraphic, 3);
        EXPECT_EQ(g.manager.G, c.smallTaken ? small : large);
        EXPECT_EQ(small->x1, c.smallTaken ? 145 : 140);
        EXPECT_EQ(large->x1, c.smallTaken ? 100 : 105);
    }
}

TEST(EditingTools, PictureEndKeepsItsProportions)
{
    ToolGraph g;
    Graphic& pic = addGraphic(g, {100, 100}, {200, 150});
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::red);
    pic.type = GraphicPicture;
    pic.image = Picture::fromImage(image);
    ASSERT_TRUE(pic.image);
    const QSizeF s = pic.image->naturalSize();
    g.manager.tool = QStringLiteral("graphic");
    g.gesture(QPointF(200, 150), QPointF(230, 200), 2);
    EXPECT_EQ(g.view.movegraphic, 2);
    EXPECT_DOUBLE_EQ(pic.x2, 230);
    EXPECT_NEAR(pic.y2, 150 + 30 / (s.width() / s.height()), 1e-9);
}

TEST(EditingTools, TextToolPlacesANewBoxForEditing)
{
    ToolGraph g;
    VexaTextView* edited = nullptr;
    g.view.setEditTextHandler([&](VexaTextView& box) { edited = &box; });
    g.manager.tool = QStringLiteral("text");
    g.gesture(QPointF(120, 140), QPointF(120, 140), 0);
    ASSERT_EQ(g.doc.T.size(), 1u);
    EXPECT_EQ(edited, g.doc.T.front().get());
    EXPECT_EQ(g.manager.T, edited);
    EXPECT_EQ(edited->frame().x(), 120);
    EXPECT_TRUE(g.manager.inspectors.contains(QStringLiteral("text")));
}

} // namespace
