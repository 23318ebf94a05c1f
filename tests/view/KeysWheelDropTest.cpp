// Keys in their order (macros, points, texts, graphics, tool keys), undoable
// deletions, the wheel's factor and directions, and drops of text, files and
// pictures.

#include "ToolFixture.h"

#include "support/PictureBytes.h"
#include "support/TestSupport.h"
#include "view/Graphic.h"
#include "view/VexaTextView.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

constexpr unsigned Control = VexaView::ModControl;
constexpr unsigned Option = VexaView::ModOption;
constexpr unsigned Command = VexaView::ModCommand;

Graphic& addGraphic(ToolGraph& g, QPointF a, QPointF b)
{
    auto graphic = std::make_unique<Graphic>();
    graphic->setup(&g.manager, &g.doc);
    graphic->setPoints(a.x(), a.y(), b.x(), b.y());
    g.doc.G.push_back(std::move(graphic));
    return static_cast<Graphic&>(*g.doc.G.back());
}

VexaTextView& addText(ToolGraph& g, QPointF anchor)
{
    g.doc.T.push_back(std::make_unique<VexaTextView>(QRectF(anchor, QSizeF(10, 15)), &g.manager, &g.doc));
    auto& box = static_cast<VexaTextView&>(*g.doc.T.back());
    box.tloc = anchor;
    return box;
}

TEST(Keys, RulesInTheirOrder)
{
    struct Case {
        const char* name;
        const char* tool;
        bool currentText;
        int key;
        unsigned modifiers;
        std::vector<int> macros, shortcuts;
        bool taken = true;
    };
    const Case cases[] = {
        {"Control+m runs the m macros", "range", false, 'm', Control, {'m'}, {}},
        {"Control+M runs the M macros", "range", false, 'M', Control, {'M'}, {}},
        {"Control+1 is no macro key and no tool key", "range", false, '1', Control, {}, {}, false},
        {"a capital selects like its small letter", "range", false, 'R', Option, {}, {'r'}},
        {"select with a current text keeps the key", "select", true, 's', 0, {}, {}},
        {"select without one picks a tool", "select", false, 's', 0, {}, {'s'}},
        {"an arrow with nothing to move", "range", false, VexaView::KeyUp, 0, {}, {}, false},
        {"Return is no tool key", "range", false, '\r', 0, {}, {}, false},
        {"nor is a sign", "range", false, '-', 0, {}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolGraph g;
        g.manager.tool = QLatin1String(c.tool);
        if (c.currentText)
            g.manager.setCurrentText(&addText(g, {100, 100}));
        EXPECT_EQ(g.key(c.key, c.modifiers), c.taken);
        EXPECT_EQ(g.manager.macroKeys, c.macros);
        EXPECT_EQ(g.manager.shortcuts, c.shortcuts);
    }
    ToolGraph g;
    EXPECT_FALSE(g.key(0)); // a key without characters
}

TEST(Keys, MovepointNudgesAndDeletesTheSelectedPoints)
{
    ToolGraph g;
    g.manager.tool = QStringLiteral("movepoint");
    DataBuffer& b = g.addBuffer({{0, 0}, {10, 10}, {20, 20}, {30, 30}, {40, 40}, {50, 50}, {60, 60}});
    g.gesture(g.at(10, 10), g.at(10, 10), 0);
    ASSERT_EQ(g.view.movepoints, &b);
    EXPECT_TRUE(g.key(VexaView::KeyRight));
    EXPECT_DOUBLE_EQ(b.xDoubleValueAt(1), 10.25); // one point: a quarter of a unit
    EXPECT_TRUE(g.key(VexaView::KeyUp, Command)); // modifiers do not matter
    EXPECT_NEAR(b.yDoubleValueAt(1), 10 + 1.0 / 3, 1e-12);
    EXPECT_TRUE(g.manager.shortcuts.empty());

    g.manager.pointRows = {2, 5};
    EXPECT_TRUE(g.key(VexaView::KeyDelete));
    ASSERT_EQ(b.nop(), 5);
    EXPECT_EQ(b.xDoubleValueAt(2), 30);
    EXPECT_EQ(b.xDoubleValueAt(4), 60);
    EXPECT_TRUE(g.key('s'));
    EXPECT_TRUE(g.manager.shortcuts.empty()); // the points keep the keys
}

TEST(Keys, TextBoxesMoveStepAndDeleteUndoably)
{
    ToolGraph g;
    g.manager.tool = QStringLiteral("select");
    VexaTextView& a = addText(g, {100, 100});
    VexaTextView& b = addText(g, {200, 100});
    VexaTextView& c = addText(g, {300, 100});
    g.manager.setCurrentText(&b);
    g.key(VexaView::KeyLeft);
    g.key(VexaView::KeyUp);
    EXPECT_EQ(b.tloc, QPointF(199, 101));
    g.key(VexaView::KeyRight, Command);
    EXPECT_EQ(g.manager.T, &c);
    g.key(VexaView::KeyRight, Command);
    EXPECT_EQ(g.manager.T, &a); // wraps around
    g.key(VexaView::KeyLeft, Command);
    EXPECT_EQ(g.manager.T, &c);

    g.key(VexaView::KeyDelete);
    ASSERT_EQ(g.doc.T.size(), 2u);
    EXPECT_EQ(g.manager.T, &b); // the one before it
    ASSERT_TRUE(g.doc.undoManager().undo());
    ASSERT_EQ(g.doc.T.size(), 3u);
    EXPECT_EQ(g.doc.T.back().get(), &c);
    ASSERT_TRUE(g.doc.undoManager().redo());
    EXPECT_EQ(g.doc.T.size(), 2u);
}

TEST(Keys, GraphicsMoveByTheirPointsStepAndDeleteUndoably)
{
    struct Case {
        const char* name;
        unsigned modifiers;
        QPointF p1, p2;
    };
    const Case cases[] = {
        {"both points", 0, {11, 10}, {21, 20}},
        {"Control holds the first", Control, {10, 10}, {21, 20}},
        {"Option holds the second", Option, {11, 10}, {20, 20}},
        {"both held", Control | Option, {10, 10}, {20, 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolGraph g;
        g.manager.tool = QStringLiteral("graphic");
        Graphic& line = addGraphic(g, {10, 10}, {20, 20});
        g.manager.setCurrentGraphic(&line);
        g.key(VexaView::KeyRight, c.modifiers);
        EXPECT_EQ(QPointF(line.x1, line.y1), c.p1);
        EXPECT_EQ(QPointF(line.x2, line.y2), c.p2);
    }

    // Deleting the first of three makes the last current; undo puts it back
    // at the end of the list.
    ToolGraph g;
    g.manager.tool = QStringLiteral("select");
    Graphic& first = addGraphic(g, {10, 10}, {20, 20});
    addGraphic(g, {30, 10}, {40, 20});
    Graphic& last = addGraphic(g, {50, 10}, {60, 20});
    g.manager.setCurrentGraphic(&first);
    g.key(VexaView::KeyDelete);
    ASSERT_EQ(g.doc.G.size(), 2u);
    EXPECT_EQ(g.manager.G, &last);
    ASSERT_EQ(g.doc.undoManager().undoCount(), 1u);
    ASSERT_TRUE(g.doc.undoManager().undo());
    ASSERT_EQ(g.doc.G.size(), 3u);
    EXPECT_EQ(g.doc.G.back().get(), &first);
    ASSERT_TRUE(g.doc.undoManager().redo());
    EXPECT_EQ(g.doc.G.size(), 2u);
    g.doc.removeGraphics([](const GraphicItem&) { return true; });
    EXPECT_EQ(g.manager.G, nullptr);
}

// Delete acts only on a current item of this graph.
TEST(Keys, ItemsOfAnotherGraphAreLeftAlone)
{
    ToolGraph g, other;
    g.manager.tool = QStringLiteral("select");
    g.manager.G = &addGraphic(other, {10, 10}, {20, 20});
    g.manager.T = &addText(other, {100, 100});
    g.key(VexaView::KeyDelete);
    EXPECT_EQ(other.doc.G.size(), 1u);
    EXPECT_EQ(other.doc.T.size(), 1u);
    EXPECT_EQ(other.doc.undoManager().undoCount(), 0u);
    EXPECT_TRUE(g.manager.shortcuts.empty()); // nor is Delete a tool key
}

TEST(Wheel, FactorAndDirection)
{
    struct Case {
        const char* name;
        const char* tool;
        double deltaY;
        unsigned modifiers;
        double x0, x1, y0, y1;
    };
    // Linear 0..100: widening by f moves each end out by 100 / f.
    const Case cases[] = {
        {"small step, f = 25", "range", 2, 0, -4, 104, -4, 104},
        {"large step, f = 5", "range", 20, 0, -20, 120, -20, 120},
        {"towards the user narrows", "range", -2, 0, 4, 96, 4, 96},
        {"Option: x only", "range", 2, Option, -4, 104, 0, 100},
        {"Command: y only", "range", 2, Command, 0, 100, -4, 104},
        {"both: x and y", "range", 2, Option | Command, -4, 104, -4, 104},
        {"other tools ignore it", "zoom", 2, 0, 0, 100, 0, 100},
        {"no turn", "range", 0, 0, 0, 100, 0, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolGraph g;
        g.manager.tool = QLatin1String(c.tool);
        g.manager.pairs = 0;
        g.view.scrollWheel(c.deltaY, c.modifiers);
        g.settle();
        EXPECT_NEAR(g.doc.xmin1, c.x0, 1e-9);
        EXPECT_NEAR(g.doc.xmax1, c.x1, 1e-9);
        EXPECT_NEAR(g.doc.ymin1, c.y0, 1e-9);
        EXPECT_NEAR(g.doc.ymax1, c.y1, 1e-9);
        const bool changed = c.x0 != 0 || c.y0 != 0;
        EXPECT_EQ(g.doc.undoManager().undoCount(), changed ? 1u : 0u);
    }
}

QByteArray imageBytes(QSize size, const char* format)
{
    QByteArray bytes = PictureBytes::image(size, format);
    EXPECT_FALSE(bytes.isEmpty()) << format;
    return bytes;
}

TEST(Drop, PicturesBecomeGraphicsCentredOnTheDropPoint)
{
    struct Case {
        const char* name;
        QSize pixels;
        double k;
    };
    // A 500 x 400 view.
    const Case cases[] = {
        {"larger than the view shrinks to it", {2000, 1000}, 4},
        {"smaller keeps its size", {100, 50}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolGraph g(QSizeF(500, 400));
        VexaView::Drop drop;
        drop.png = imageBytes(c.pixels, "png");
        EXPECT_TRUE(g.view.performDrop(drop, QPointF(250, 200)));
        ASSERT_EQ(g.doc.G.size(), 1u);
        auto& pic = static_cast<Graphic&>(*g.doc.G.front());
        EXPECT_EQ(pic.type, GraphicPicture);
        EXPECT_EQ(g.manager.G, &pic);
        const QSizeF s = pic.image->naturalSize();
        EXPECT_NEAR(s.width(), c.pixels.width(), 1);
        EXPECT_NEAR(pic.x2 - pic.x1, s.width() / (1.1 * c.k), 0.5 + 1e-9);
        EXPECT_NEAR(pic.y2 - pic.y1, s.height() / (1.1 * c.k), 0.5 + 1e-9);
        EXPECT_NEAR((pic.x1 + pic.x2) / 2, 250, 1e-9);
        EXPECT_NEAR((pic.y1 + pic.y2) / 2, 200, 1e-9);
        EXPECT_FALSE(g.view.highlight);
    }
    // A picture that names no resolution has 72 dots per inch; one of 144
    // has half as many points as pixels.
    const struct {
        const char* name;
        QByteArray png;
        QSizeF shown;
    } resolutions[] = {
        {"none named", PictureBytes::pngWithoutResolution({200, 100}), {181.8, 90.9}},
        {"144 dpi", PictureBytes::image({200, 100}, "png", 5669), {90.9, 45.5}},
    };
    for (const auto& r : resolutions) {
        SCOPED_TRACE(r.name);
        ToolGraph g(QSizeF(500, 400));
        VexaView::Drop drop;
        drop.png = r.png;
        ASSERT_TRUE(g.view.performDrop(drop, QPointF(250, 200)));
        const auto& pic = static_cast<Graphic&>(*g.doc.G.front());
        EXPECT_NEAR(pic.x2 - pic.x1, r.shown.width(), 0.05);
        EXPECT_NEAR(pic.y2 - pic.y1, r.shown.height(), 0.05);
    }

    // 2000 x 1000 on 500 x 400: 454.5 x 227.3.
    ToolGraph g(QSizeF(500, 400));
    VexaView::Drop drop;
    drop.png = imageBytes({2000, 1000}, "png");
    g.view.performDrop(drop, QPointF(250, 200));
    auto& pic = static_cast<Graphic&>(*g.doc.G.front());
    EXPECT_NEAR(pic.x2 - pic.x1, 454.5, 0.2);
    EXPECT_NEAR(pic.y2 - pic.y1, 227.3, 0.2);
}

TEST(Drop, TypesInTheirOrder)
{
    const QString dir = TestSupport::scratchDir();
    const QString textFile = dir + QStringLiteral("/dropped.txt");
    const QString pngFile = dir + QStringLiteral("/dropped.png");
    {
        QFile f(textFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("1 2\n3 4\n");
        QFile p(pngFile);
        ASSERT_TRUE(p.open(QIODevice::WriteOnly));
        p.write(imageBytes({40, 20}, "png"));
    }
    struct Case {
        const char* name;
        VexaView::Drop drop;
        bool importResult;
        bool taken;
        int texts, files, pictures;
    };
    auto with = [](auto set) {
        VexaView::Drop d;
        set(d);
        return d;
    };
    const Case cases[] = {
        {"text", with([](VexaView::Drop& d) { d.text = QStringLiteral("1 2"); }), true, true, 1, 0, 0},
        {"text the import refuses", with([](VexaView::Drop& d) { d.text = QStringLiteral("x"); }), false,
         false, 1, 0, 0},
        {"a file over its path as text", with([&](VexaView::Drop& d) {
             d.file = textFile;
             d.text = textFile;
         }),
         true, true, 0, 1, 0},
        {"a picture file", with([&](VexaView::Drop& d) { d.file = pngFile; }), true, true, 0, 0, 1},
        {"text before a picture", with([](VexaView::Drop& d) {
             d.text = QStringLiteral("1 2");
             d.png = imageBytes({4, 4}, "png");
         }),
         true, true, 1, 0, 0},
        {"PDF", with([](VexaView::Drop& d) { d.pdf = PictureBytes::pdf(); }), true, true, 0, 0, 1},
        {"TIFF", with([](VexaView::Drop& d) {
             d.tiff = imageBytes({8, 8}, "tiff");
         }),
         true, true, 0, 0, 1},
        {"damaged picture", with([](VexaView::Drop& d) { d.png = QByteArray("\x89PNG garbage"); }), true,
         false, 0, 0, 0},
        {"nothing we take", VexaView::Drop{}, true, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolGraph g;
        g.manager.importResult = c.importResult;
        g.view.setDropHighlight(true);
        EXPECT_EQ(g.view.performDrop(c.drop, QPointF(100, 100)), c.taken);
        EXPECT_EQ(g.manager.droppedTexts.size(), c.texts);
        EXPECT_EQ(g.manager.droppedFiles.size(), c.files);
        EXPECT_EQ(int(g.doc.G.size()), c.pictures);
        EXPECT_FALSE(g.view.highlight);
    }
    QFile::remove(textFile);
    QFile::remove(pngFile);
}

} // namespace
