// One frame of a zoom rubber band over a graph of a million points, in a
// shown 1000 x 700 graph widget: the drag (band, read-outs, replot) and the
// synchronous paint of the window image cached at the press with the band
// over it. The million points are drawn once, at the press; a frame must not
// draw them again. For scale, a frame that draws the whole graph.

#include "model/DataBuffer.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "view/GraphWidget.h"

#include <QApplication>

#include "support/BenchMain.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr long kPoints = 1000000;

class ToolChoice : public ManagerServices {
public:
    QString tool;
    QString mouseModeTitle() const override { return tool; }
};

// A noisy wave of symbols joined by a line: the costliest of redraws.
std::unique_ptr<VexaDocument> millionPoints()
{
    auto doc = std::make_unique<VexaDocument>();
    auto b = std::make_unique<DataBuffer>();
    std::vector<double> xs(static_cast<std::size_t>(kPoints)), ys(static_cast<std::size_t>(kPoints));
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    for (long i = 0; i < kPoints; ++i) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        const double noise = double(state >> 40) / double(1ull << 24) - 0.5;
        const double x = 100.0 * double(i) / double(kPoints);
        xs[std::size_t(i)] = x;
        ys[std::size_t(i)] = std::sin(x * 0.3) + 0.2 * noise;
    }
    b->X = std::move(xs);
    b->Y = std::move(ys);
    b->rescale();
    b->style.plotlines = true;
    b->style.plotsymbols = true;
    b->style.symbolsize = 4;
    doc->DB.push_back(std::move(b));
    doc->xmin1 = 0;
    doc->xmax1 = 100;
    doc->ymin1 = -1.3;
    doc->ymax1 = 1.3;
    return doc;
}

struct ShownGraph {
    ToolChoice manager;
    std::unique_ptr<VexaDocument> doc = millionPoints();
    GraphWidget widget{nullptr, &manager};

    explicit ShownGraph(const QString& tool)
    {
        manager.tool = tool;
        doc->M = &manager;
        doc->MPD = doc.get();
        widget.resize(1000, 700);
        widget.setDocument(doc.get());
        widget.show();
        QApplication::processEvents();
    }
    VexaView& view() { return widget.view(); }
};

// The pointer's path: a band that grows and shrinks over the plot.
QPointF pointerAt(std::int64_t i)
{
    const double t = double(i % 200) / 200;
    return {250 + 500 * t, 200 + 300 * t};
}

void BM_RubberBandFrame(benchmark::State& state)
{
    ShownGraph g(QStringLiteral("zoom"));
    const QPointF press(200, 150);
    g.view().mouseDown({press, press});
    if (g.widget.cachedImage().isNull())
        state.SkipWithError("the press cached no window image");
    std::int64_t i = 0;
    for (auto _ : state) {
        const QPointF p = pointerAt(i++);
        g.view().mouseDragged({p, p});
    }
    g.view().mouseUp({press, press}); // a click: nothing is zoomed
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RubberBandFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same drag with a tool that changes the graph at every step (the
// legend follows the pointer): the whole graph is drawn each frame.
void BM_FrameDrawingTheGraph(benchmark::State& state)
{
    ShownGraph g(QStringLiteral("legend"));
    const QPointF press(200, 150);
    g.view().mouseDown({press, press});
    std::int64_t i = 0;
    for (auto _ : state) {
        const QPointF p = pointerAt(i++);
        g.view().mouseDragged({p, p});
    }
    g.view().mouseUp({press, press});
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FrameDrawingTheGraph)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace
