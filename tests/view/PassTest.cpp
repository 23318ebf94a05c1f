// The drawing pass: its order, the ranges it repairs and orders, the frame
// styles with their arrows, the selection marks that print mode leaves out,
// sub-views drawn inside their main view, and the fast path over a cached
// window image.

#include "model/DataBuffer.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "platform/Color.h"
#include "view/Graphic.h"
#include "view/VexaTextView.h"
#include "view/VexaView.h"

#include "AxesCanvas.h"

#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

namespace {

class PassManager : public ManagerServices {
public:
    QString tool = QStringLiteral("range");
    std::vector<int> points;
    QString mouseModeTitle() const override { return tool; }
    std::vector<int> selectedPointRows() const override { return points; }
};

// A 200 x 200 view with 20-point margins on every side (plot area 20..180)
// and the ranges 0..100 on both pairs: the value v lies at 20 + 1.6 v.
struct Graph {
    static constexpr int Size = 200;
    PassManager manager;
    VexaDocument doc;
    VexaView view{QSizeF(Size, Size), &manager};

    Graph()
    {
        doc.M = &manager;
        doc.page.marginleft = doc.page.marginright = doc.page.margintop = doc.page.marginbottom = 20;
        doc.xmin1 = doc.ymin1 = doc.xmin2 = doc.ymin2 = 0;
        doc.xmax1 = doc.ymax1 = doc.xmax2 = doc.ymax2 = 100;
        view.setVexaDocument(&doc);
    }

    DataBuffer& add(const std::vector<std::pair<double, double>>& points)
    {
        auto b = std::make_unique<DataBuffer>();
        for (auto [x, y] : points)
            b->addDoubleValue(x, y);
        b->rescale();
        b->style.color = Qt::black;
        b->style.linewidth = 1;
        b->style.dash = 0;
        b->style.plotlines = 1;
        doc.DB.push_back(std::move(b));
        return *doc.DB.back();
    }

    // Nothing but the frame and what a test turns on.
    void bare()
    {
        for (AxisSettings& a : doc.axes)
            a.axis = 0;
        doc.page.drawframe = 0;
    }

    QImage render()
    {
        QImage img(Size, Size, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::white);
        QPainter painter(&img);
        view.drawIn(painter);
        return img;
    }
};

// The pixel under the view point (x, y).
QColor at(const QImage& img, double x, double y)
{
    return img.pixelColor(int(std::floor(x)), int(std::floor(img.height() - y)));
}

bool inkAt(const QImage& img, double x, double y)
{
    return qGray(at(img, x, y).rgb()) < 200;
}

bool near(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40
        && std::abs(a.blue() - b.blue()) < 40;
}

// A paint device that records the colour of every fill and stroke, in the
// order they reach it.
class ColourRecorder : public QPaintDevice {
public:
    std::vector<QRgb> colours;

    QPaintEngine* paintEngine() const override { return &engine_; }

    // Index of the first use of a colour; -1 when never used.
    int firstUse(const QColor& c) const
    {
        for (std::size_t i = 0; i < colours.size(); ++i)
            if (colours[i] == c.rgb())
                return int(i);
        return -1;
    }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
        case PdmHeight:
            return Graph::Size;
        case PdmWidthMM:
        case PdmHeightMM:
            return Graph::Size * 254 / 720;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 72;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return 1 << 24;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(ColourRecorder& owner)
                : QPaintEngine(AllFeatures)
                , owner_(owner)
        {
        }
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        Type type() const override { return User; }
        void updateState(const QPaintEngineState& s) override
        {
            if (s.state() & DirtyPen)
                pen_ = s.pen();
            if (s.state() & DirtyBrush)
                brush_ = s.brush();
        }
        void drawPath(const QPainterPath&) override { record(); }
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override { record(); }
        void drawRects(const QRectF*, int) override { record(); }
        void drawLines(const QLineF*, int) override { record(); }
        void drawEllipse(const QRectF&) override { record(); }
        void drawTextItem(const QPointF&, const QTextItem&) override
        {
            if (pen_.style() != Qt::NoPen)
                owner_.colours.push_back(pen_.color().rgb());
        }
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override { }
        void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override { }

    private:
        void record()
        {
            if (brush_.style() != Qt::NoBrush)
                owner_.colours.push_back(brush_.color().rgb());
            if (pen_.style() != Qt::NoPen)
                owner_.colours.push_back(pen_.color().rgb());
        }
        ColourRecorder& owner_;
        QPen pen_;
        QBrush brush_;
    };
    mutable Engine engine_{const_cast<ColourRecorder&>(*this)};
};

} // namespace

TEST(PassTest, DrawsEverythingInItsFixedOrder)
{
    // Each element gets a colour of its own; the order in which the colours
    // first reach the device is the order of the pass.
    const QColor margin(1, 0, 0), background(2, 0, 0), gridBehind(3, 0, 0), area(4, 0, 0), ticks(5, 0, 0),
        gridFront(6, 0, 0), line(7, 0, 0), legend(8, 0, 0), frame(9, 0, 0);
    Graph g;
    g.doc.page.margincolor = margin;
    g.doc.page.backgroundcolor = background;
    g.doc.axes[AxisX1].grid = 1;
    g.doc.axes[AxisX1].gridfront = 0;
    g.doc.axes[AxisX1].gridcolor = gridBehind;
    g.doc.axes[AxisY1].grid = 1;
    g.doc.axes[AxisY1].gridfront = 1;
    g.doc.axes[AxisY1].gridcolor = gridFront;
    for (AxisSettings& a : g.doc.axes)
        a.mgrid = 0;
    for (int a = 0; a < 4; ++a) {
        g.doc.axes[a].tickcolor = ticks;
        g.doc.axes[a].mtickcolor = ticks;
        g.doc.axes[a].axistextcolor = ticks;
    }
    g.doc.legend.plotlegend = 1;
    g.doc.legend.legendbg = 1;
    g.doc.legend.legendbgcolor = legend;
    g.doc.legend.legendcolor = legend;
    g.doc.page.framecolor = frame;
    DataBuffer& filled = g.add({{10, 10}, {90, 90}});
    filled.style.plotlines = 0;
    filled.style.plotarea = 1;
    filled.style.fillcolor = area;
    filled.plotlegend = 0;
    DataBuffer& drawn = g.add({{10, 90}, {90, 10}});
    drawn.style.color = line;
    drawn.plotlegend = 0;

    ColourRecorder device;
    {
        QPainter painter(&device);
        g.view.drawIn(painter);
    }
    const QColor order[] = {margin, background, gridBehind, area, ticks, gridFront, line, legend, frame};
    int previous = -1;
    for (const QColor& c : order) {
        const int first = device.firstUse(c);
        ASSERT_GE(first, 0) << "colour " << c.red() << " never drawn";
        EXPECT_GT(first, previous) << "colour " << c.red() << " drawn too early";
        previous = first;
    }
}

TEST(PassTest, GraphicsAndTextBoxesTakeTheirPlacesInThePass)
{
    const QColor background(2, 0, 0), line(7, 0, 0), frame(9, 0, 0), behind(20, 0, 0), front(21, 0, 0),
        nowhere(22, 0, 0), text(23, 0, 0);
    Graph g;
    g.bare();
    g.doc.page.drawframe = 1;
    g.doc.page.framecolor = frame;
    g.doc.page.backgroundcolor = background;
    g.add({{10, 90}, {90, 10}}).style.color = line;
    auto graphic = [&g](int display, const QColor& colour) {
        auto item = std::make_unique<Graphic>();
        item->setup(&g.manager, &g.doc);
        item->display = display;
        item->color = colour;
        item->setPoints(30, 30, 170, 170);
        Graphic* raw = item.get();
        g.doc.G.push_back(std::move(item));
        return raw;
    };
    Graphic* first = graphic(1, behind);
    graphic(0, front);
    graphic(2, nowhere);
    auto box = std::make_unique<VexaTextView>(QRectF(50, 50, 10, 15), &g.manager, &g.doc);
    box->setString(QStringLiteral("label"), QFont(), text);
    g.doc.T.push_back(std::move(box));
    g.manager.PD = &g.doc;

    auto drawn = [&g] {
        auto device = std::make_unique<ColourRecorder>();
        QPainter painter(device.get());
        g.view.drawIn(painter);
        return device;
    };
    {
        const auto device = drawn();
        const QColor order[] = {background, behind, line, frame, front, text};
        int previous = -1;
        for (const QColor& c : order) {
            const int use = device->firstUse(c);
            ASSERT_GE(use, 0) << "colour " << c.red() << " never drawn";
            EXPECT_GT(use, previous) << "colour " << c.red() << " drawn too early";
            previous = use;
        }
        EXPECT_EQ(device->firstUse(nowhere), -1);
        EXPECT_EQ(device->firstUse(Color::lightGray()), -1);
    }

    // The current graphic's box behind everything and its end handles in
    // front, under the select and graphic tools, never in print mode.
    g.manager.G = first;
    struct Case {
        const char* tool;
        int print;
        bool marked;
    };
    for (const Case& c : {Case{"select", 0, true}, Case{"graphic", 0, true}, Case{"range", 0, false},
                          Case{"select", 1, false}}) {
        g.manager.tool = QLatin1String(c.tool);
        g.manager.printmode = std::uint8_t(c.print);
        const auto device = drawn();
        const int outline = device->firstUse(Color::lightGray());
        EXPECT_EQ(outline >= 0, c.marked) << c.tool << " " << c.print;
        if (c.marked) {
            EXPECT_LT(outline, device->firstUse(behind)) << c.tool;
            int last = -1;
            for (std::size_t i = 0; i < device->colours.size(); ++i)
                if (device->colours[i] == Color::lightGray().rgb())
                    last = int(i);
            EXPECT_GT(last, device->firstUse(front)) << c.tool;
        }
    }
}

TEST(PassTest, ViewWithoutDocumentDrawsNothing)
{
    PassManager manager;
    VexaView view(QSizeF(50, 50), &manager);
    QImage img(50, 50, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    QPainter painter(&img);
    view.drawIn(painter);
    painter.end();
    EXPECT_EQ(img.pixel(25, 25), qRgb(255, 255, 255));
    EXPECT_EQ(manager.CPD, nullptr);
}

TEST(PassTest, RangesAreRepairedAndOrderedBeforeDrawing)
{
    struct Case {
        const char* name;
        int mode; // of X1
        bool reverse; // of X1
        double min, max; // X1 as stored before the pass
        double smallestX; // of a shown pair-1 buffer (0: no buffer)
        double wantMin, wantMax;
    };
    const Case cases[] = {
        {"reversed axis stores its larger end first", AxisLinear, true, 0, 10, 0, 10, 0},
        {"cleared flag turns it back", AxisLinear, false, 10, 0, 0, 0, 10},
        {"log: a fifth of the smallest positive x", AxisLog, false, -5, 100, 2, 0.4, 100},
        {"log: a fifth of the maximum without smaller x", AxisLog, false, -5, 100, 150, 20, 100},
        {"log: non-positive maximum left alone", AxisLog, false, -5, 0, 2, -5, 0},
        {"log, reversed and stored reversed", AxisLog, true, 100, -5, 2, 100, 0.4},
    };
    for (const Case& c : cases) {
        Graph g;
        g.doc.axes[AxisX1].axismode = c.mode;
        g.doc.axes[AxisX1].reverse = c.reverse;
        g.doc.xmin1 = c.min;
        g.doc.xmax1 = c.max;
        if (c.smallestX > 0) {
            g.add({{c.smallestX, 1}, {c.smallestX * 3, 2}, {-1, 3}});
            // Values a hidden buffer or one of the other pair holds do not count.
            g.add({{0.01, 1}}).show = 0;
            g.add({{0.02, 1}}).belongx = 2;
        }
        g.render();
        EXPECT_DOUBLE_EQ(g.doc.xmin1, c.wantMin) << c.name;
        EXPECT_DOUBLE_EQ(g.doc.xmax1, c.wantMax) << c.name;
    }
}

TEST(PassTest, ReversedAxisMirrorsTheGraph)
{
    Graph g;
    g.bare();
    DataBuffer& b = g.add({{10, 50}});
    b.style.plotlines = 0;
    b.style.plotsymbols = 1;
    b.style.symbol = 7; // filled square
    b.style.symbolsize = 10;
    EXPECT_TRUE(inkAt(g.render(), 36, 100));
    g.doc.axes[AxisX1].reverse = 1;
    const QImage img = g.render();
    EXPECT_FALSE(inkAt(img, 36, 100));
    EXPECT_TRUE(inkAt(img, 164, 100));
}

TEST(PassTest, FrameStylesAndTheirArrows)
{
    // Ranges -100..100 put the data zero in the middle (100, 100); plot area
    // 20..180. Probes lie inside each possible arrow head, off the lines.
    struct Case {
        const char* name;
        int style, crossarrows, arrowtype;
        bool reverseY, force;
        bool bottom, top, left, right; // arrow heads expected
        bool crossLines, rectangle;
    };
    const Case cases[] = {
        {"cross, arrows at the larger ends", 1, 2, 0, false, false, false, true, false, true, true, false},
        {"cross, Y1 reversed moves the vertical arrow", 1, 2, 0, true, false, true, false, false, true, true,
         false},
        {"cross, arrows at the smaller ends", 1, 1, 0, false, false, true, false, true, false, true, false},
        {"cross, arrows at all four ends", 1, 0, 0, false, false, true, true, true, true, true, false},
        {"cross, no arrows", 1, 3, 0, false, false, false, false, false, false, true, false},
        {"no frame lines, forced rectangle only", 3, 0, 0, false, true, false, false, false, false, false,
         true},
        {"rectangle", 0, 0, 0, false, false, false, false, false, false, false, true},
    };
    for (const Case& c : cases) {
        Graph g;
        g.bare();
        g.doc.page.drawframe = 1;
        g.doc.page.framestyle = c.style;
        g.doc.page.framearrows = 1;
        g.doc.page.crossarrows = c.crossarrows;
        g.doc.page.arrowtype = c.arrowtype;
        g.doc.page.arrowsize = 12;
        g.doc.page.framewidth = 1;
        g.doc.page.forceframe = c.force;
        g.doc.axes[AxisY1].reverse = c.reverseY;
        g.doc.xmin1 = g.doc.ymin1 = -100;
        g.doc.xmax1 = g.doc.ymax1 = 100;
        const QImage img = g.render();
        // Inside a closed head, 5 to 6 points back from the tip and 1 to 2
        // to the side of the line.
        EXPECT_EQ(inkAt(img, 101.5, 26), c.bottom) << c.name << ": bottom";
        EXPECT_EQ(inkAt(img, 101.5, 174), c.top) << c.name << ": top";
        EXPECT_EQ(inkAt(img, 26, 101.5), c.left) << c.name << ": left";
        EXPECT_EQ(inkAt(img, 174, 101.5), c.right) << c.name << ": right";
        EXPECT_EQ(inkAt(img, 100.5, 60), c.crossLines) << c.name << ": cross lines";
        EXPECT_EQ(inkAt(img, 20, 60), c.rectangle) << c.name << ": rectangle";
    }
}

TEST(PassTest, FrameStyleTwoHasArrowsAtTheFarEnds)
{
    for (int type : {0, 1, 2}) {
        Graph g;
        g.bare();
        g.doc.page.drawframe = 1;
        g.doc.page.framestyle = 2;
        g.doc.page.framearrows = 1;
        g.doc.page.arrowtype = type;
        g.doc.page.arrowsize = 20;
        g.doc.page.framewidth = 1;
        const QImage img = g.render();
        EXPECT_TRUE(inkAt(img, 20.5, 100)) << type; // left line
        EXPECT_TRUE(inkAt(img, 100, 20.5)) << type; // bottom line
        EXPECT_FALSE(inkAt(img, 180.5, 100)) << type; // no right edge
        // A closed head (0) fills its inside; an open V (1) does not; a bar
        // (2) lies across the line's end.
        EXPECT_EQ(inkAt(img, 22, 170), type == 0) << type;
        EXPECT_EQ(inkAt(img, 170, 22), type == 0) << type;
        EXPECT_EQ(inkAt(img, 30, 179.8), type == 2) << type;
        EXPECT_EQ(inkAt(img, 179.8, 30), type == 2) << type;
    }
}

TEST(PassTest, PrintModeLeavesOutSelectionMarks)
{
    struct Mark {
        const char* name;
        double x, y; // a pixel of the mark
    };
    // Plot-area handles (select tool), a ring round a selected point of the
    // current buffer, and the border of the current sub-view.
    const Mark marks[] = {{"handle", 21, 21}, {"ring", 101, 101}};
    for (std::uint8_t printmode : {0, 1}) {
        Graph g;
        g.bare();
        g.doc.page.drawbackground = 0;
        g.manager.tool = QStringLiteral("select");
        g.manager.PD = &g.doc;
        g.manager.printmode = printmode;
        g.manager.points = {1, 7}; // 7 lies beyond the buffer
        DataBuffer& b = g.add({{0, 0}, {50, 50}});
        b.show = 1;
        b.style.plotlines = 0;
        const QImage img = g.render();
        for (const Mark& m : marks)
            EXPECT_EQ(at(img, m.x, m.y) != QColor(Qt::white), printmode == 0)
                << m.name << " in print mode " << int(printmode);
    }
}

TEST(PassTest, BandIsDrawnWhateverThePrintMode)
{
    for (std::uint8_t printmode : {0, 1}) {
        Graph g;
        g.bare();
        g.manager.printmode = printmode;
        g.view.pb.moveTo(30, 100.5);
        g.view.pb.lineTo(170, 100.5);
        const QImage img = g.render();
        EXPECT_GT(at(img, 100, 100.5).red(), 150) << int(printmode);
        EXPECT_LT(at(img, 100, 100.5).green(), 100) << int(printmode);
        EXPECT_TRUE(g.view.pb.isEmpty());
    }
}

namespace {

// A main graph with one sub-view at (50, 50), 100 x 100, whose plot area
// (no margins) is filled red.
struct WithSubview : Graph {
    VexaDocument* sub;
    VexaView subView{QSizeF(100, 100), &manager};

    WithSubview()
    {
        auto d = std::make_unique<VexaDocument>();
        sub = d.get();
        sub->M = &manager;
        sub->subview = 1;
        sub->MPD = &doc;
        sub->page.marginleft = sub->page.marginright = sub->page.margintop = sub->page.marginbottom = 0;
        sub->page.backgroundcolor = Qt::red;
        sub->page.drawframe = 0;
        for (AxisSettings& a : sub->axes)
            a.axis = 0;
        sub->PV = &subView;
        subView.setVexaDocument(sub);
        subView.setFrame(QRectF(50, 50, 100, 100));
        doc.SPD.push_back(std::move(d));
    }
};

} // namespace

TEST(PassTest, SubviewIsDrawnInsideItsMainView)
{
    WithSubview g;
    g.sub->axes[AxisX1].reverse = 1;
    const QImage img = g.render();
    EXPECT_TRUE(near(at(img, 100, 100), Qt::red));
    EXPECT_TRUE(near(at(img, 51, 51), Qt::red));
    EXPECT_TRUE(near(at(img, 149, 149), Qt::red));
    EXPECT_FALSE(near(at(img, 45, 100), Qt::red));
    EXPECT_FALSE(near(at(img, 155, 100), Qt::red));
    EXPECT_FALSE(near(at(img, 100, 45), Qt::red));
    // The sub-view's own pass ran: its ranges were ordered.
    EXPECT_GT(g.sub->xmin1, g.sub->xmax1);
    // The main document is the one drawn last.
    EXPECT_EQ(g.manager.CPD, &g.doc);
}

TEST(PassTest, SubviewBorderOnlyForTheCurrentSubviewOutsidePrintMode)
{
    struct Case {
        bool current;
        std::uint8_t printmode;
        bool border;
    };
    for (const Case& c : {Case{true, 0, true}, Case{false, 0, false}, Case{true, 1, false}}) {
        WithSubview g;
        g.sub->page.backgroundcolor = Qt::white;
        g.manager.PD = c.current ? g.sub : &g.doc;
        g.manager.printmode = c.printmode;
        const QImage img = g.render();
        // The outermost pixels of the sub-view, left and top edges.
        EXPECT_EQ(at(img, 50.5, 100) != QColor(Qt::white), c.border) << c.current << int(c.printmode);
        EXPECT_EQ(at(img, 100, 149.5) != QColor(Qt::white), c.border) << c.current << int(c.printmode);
    }
}

TEST(PassTest, FastPathShowsTheCachedImageUnderTheOverlays)
{
    QImage cached(Graph::Size, Graph::Size, QImage::Format_ARGB32_Premultiplied);
    cached.fill(Qt::blue);
    auto draw = [&](Graph& g) {
        QImage img(Graph::Size, Graph::Size, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::white);
        QPainter painter(&img);
        VexaView::flipToViewPoints(painter, Graph::Size);
        g.view.pb.moveTo(30, 100.5);
        g.view.pb.lineTo(170, 100.5);
        g.view.drawRect(painter, QRectF(0, 0, Graph::Size, Graph::Size), &cached);
        return img;
    };
    {
        Graph g;
        g.view.redraw = 0;
        const QImage img = draw(g);
        EXPECT_TRUE(near(at(img, 100, 60), Qt::blue));
        EXPECT_GT(at(img, 100, 100.5).red(), 150); // the band over it
    }
    {
        Graph g; // redraw on: the graph itself
        const QImage img = draw(g);
        EXPECT_TRUE(near(at(img, 100, 60), Qt::white));
    }
    {
        WithSubview g; // sub-views: never the cached image
        g.view.redraw = 0;
        const QImage img = draw(g);
        EXPECT_TRUE(near(at(img, 30, 30), Qt::white));
        EXPECT_TRUE(near(at(img, 100, 60), Qt::red));
    }
}

// Every document setting the pass turns into geometry, pushed to the edge:
// the painter only ever sees finite coordinates near the view.
TEST(PassTest, GeometryStaysFiniteAndNearTheView)
{
    constexpr double Inf = std::numeric_limits<double>::infinity();
    constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
    using Setup = std::function<void(Graph&)>;
    const std::vector<std::pair<const char*, Setup>> cases = {
        {"cross frame, zero far away",
         [](Graph& g) {
             g.doc.page.framestyle = 1;
             g.doc.xmin1 = 1e15;
             g.doc.xmax1 = 1e15 + 1;
             g.doc.ymin1 = -1e300;
             g.doc.ymax1 = -1e300 * (1 - 1e-15);
         }},
        {"cross frame, zero on a hair-wide range",
         [](Graph& g) {
             g.doc.page.framestyle = 1;
             g.doc.xmin1 = 1;
             g.doc.xmax1 = 1 + 1e-15;
         }},
        {"huge arrows", [](Graph& g) { g.doc.page.arrowsize = 1e300; }},
        {"endless arrows",
         [](Graph& g) {
             g.doc.page.arrowsize = Inf;
             g.doc.page.arrowtype = 2;
         }},
        {"not-a-number arrows",
         [](Graph& g) {
             g.doc.page.arrowsize = NaN;
             g.doc.page.arrowtype = 1;
         }},
        {"frame widths", [](Graph& g) { g.doc.page.framewidth = 1e300; }},
        {"margins",
         [](Graph& g) {
             g.doc.page.marginleft = 1e300;
             g.doc.page.marginbottom = -1e300;
             g.doc.page.margintop = NaN;
         }},
        {"selected point far away",
         [](Graph& g) {
             g.add({{1e300, -1e300}, {50, 50}}).style.plotlines = 0;
             g.manager.points = {0, 1};
         }},
    };
    for (int style : {0, 1, 2}) {
        for (const auto& [name, setup] : cases) {
            Graph g;
            g.doc.page.drawframe = 1;
            g.doc.page.framestyle = style;
            g.doc.page.framearrows = 1;
            g.doc.page.crossarrows = 0;
            g.doc.page.arrowtype = 0;
            g.doc.page.arrowsize = 10;
            g.doc.page.forceframe = 1;
            g.doc.page.drawmargin = 1;
            g.doc.page.drawbackground = 1;
            g.manager.tool = QStringLiteral("select");
            g.manager.PD = &g.doc;
            setup(g);
            axestest::RecordingDevice device;
            {
                QPainter p(&device);
                g.view.drawIn(p);
            }
            EXPECT_FALSE(device.engine.nonFinite) << name << ", style " << style;
            EXPECT_LT(device.engine.farthest, 1e7) << name << ", style " << style;
            g.render(); // and through the raster engine
        }
    }
}

namespace {

// Every warning Qt prints while alive.
class CaughtWarnings {
public:
    CaughtWarnings()
    {
        seen().clear();
        previous_ = qInstallMessageHandler(&CaughtWarnings::catchOne);
    }
    ~CaughtWarnings() { qInstallMessageHandler(previous_); }
    CaughtWarnings(const CaughtWarnings&) = delete;
    CaughtWarnings& operator=(const CaughtWarnings&) = delete;
    static QStringList& seen()
    {
        static QStringList warnings;
        return warnings;
    }

private:
    static void catchOne(QtMsgType type, const QMessageLogContext&, const QString& text)
    {
        if (type == QtWarningMsg)
            seen().append(text);
    }
    QtMessageHandler previous_;
};

} // namespace

TEST(PassTest, WidthsFromADocumentBeyondWhatAPenTakesDrawWithoutWarnings)
{
    // What a document file or a macro may store; the drawing keeps it in
    // what a pen takes, the document keeps it as it is.
    const struct {
        const char* name;
        double width;
    } cases[] = {{"huge", 1e9}, {"negative", -3}, {"beyond a pen", 40000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Graph g;
        g.doc.page.drawframe = 1;
        g.doc.page.framestyle = 0;
        g.doc.page.framewidth = c.width;
        for (AxisSettings& a : g.doc.axes)
            a.tickwidth = a.gridwidth = c.width;
        g.add({{10, 10}, {90, 90}}).style.linewidth = c.width;
        const CaughtWarnings warnings;
        const QImage img = g.render();
        EXPECT_TRUE(CaughtWarnings::seen().isEmpty())
            << CaughtWarnings::seen().join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(g.doc.page.framewidth, c.width);
        EXPECT_EQ(g.doc.DB[0]->style.linewidth, c.width);
        // The frame is there: at least the thinnest line.
        EXPECT_TRUE(inkAt(img, 20, 60));
    }
}
