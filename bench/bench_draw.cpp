// Drawing one large buffer into an image, as a line (through the points each
// pixel column keeps, and through every point) and as symbols: the cost of a
// redraw of a big data set. BM_ReplotLine1e7 is the whole replot of a line of
// ten million points of noise at 1200 x 800, the picture of every point; its
// x values rise, which the column finds out once. The variants: x that does
// not run one way (one pair swapped), so that every x is read; and a replot
// after each change of the data, which reads x once to find out.

#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/UserDefaults.h"
#include "view/VexaView.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "support/BenchMain.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <utility>

namespace {

enum class Style { Line, EveryPoint, Symbols };
enum class Data { Wave, Noise, NoiseUnsorted };
enum class Replot { Unchanged, AfterChange };

// Over x 0..100, the same every run: a noisy wave, or noise of +-1.5.
std::unique_ptr<VexaDocument> makeDocument(long n, Style style, Data data = Data::Wave)
{
    auto doc = std::make_unique<VexaDocument>();
    auto b = std::make_unique<DataBuffer>();
    b->X.resize(std::size_t(n));
    b->Y.resize(std::size_t(n));
    double* bx = b->X.mutableData();
    double* by = b->Y.mutableData();
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    for (long i = 0; i < n; ++i) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        const double noise = double(state >> 40) / double(1ull << 24) - 0.5;
        const double x = 100.0 * double(i) / double(n);
        bx[i] = x;
        by[i] = data == Data::Wave ? std::sin(x * 0.3) + 0.2 * noise : 3 * noise;
    }
    if (data == Data::NoiseUnsorted && n > 1)
        std::swap(bx[n / 2], bx[n / 2 + 1]);
    b->rescale();
    b->style.color = Qt::black;
    b->style.linewidth = 1;
    b->style.dash = 0;
    b->style.plotlines = style != Style::Symbols;
    b->style.plotsymbols = style == Style::Symbols;
    b->style.symbol = 0;
    b->style.symbolsize = 6;
    doc->DB.push_back(std::move(b));
    // The user asked for every point: no thinning of the line.
    doc->page.alldraw = style == Style::EveryPoint;
    doc->xmin1 = 0;
    doc->xmax1 = 100;
    doc->ymin1 = data == Data::Wave ? -1.3 : -1.6;
    doc->ymax1 = -doc->ymin1;
    return doc;
}

void drawBuffer(benchmark::State& state, Style style, Data data = Data::Wave, QSize size = QSize(1000, 700),
                Replot replot = Replot::Unchanged)
{
    const auto doc = makeDocument(state.range(0), style, data);
    VexaView view(size);
    view.setVexaDocument(doc.get());
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        if (replot == Replot::AfterChange)
            benchmark::DoNotOptimize(doc->DB[0]->X.mutableData()); // the column may have changed
        image.fill(Qt::white);
        QPainter painter(&image);
        view.drawIn(painter);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_DrawLine(benchmark::State& state)
{
    drawBuffer(state, Style::Line);
}

void BM_DrawLineEveryPoint(benchmark::State& state)
{
    drawBuffer(state, Style::EveryPoint);
}

void BM_DrawSymbols(benchmark::State& state)
{
    drawBuffer(state, Style::Symbols);
}

void BM_ReplotLine1e7(benchmark::State& state)
{
    drawBuffer(state, Style::Line, Data::Noise, QSize(1200, 800));
}

void BM_ReplotLine1e7Unsorted(benchmark::State& state)
{
    drawBuffer(state, Style::Line, Data::NoiseUnsorted, QSize(1200, 800));
}

void BM_ReplotLine1e7AfterChange(benchmark::State& state)
{
    drawBuffer(state, Style::Line, Data::Noise, QSize(1200, 800), Replot::AfterChange);
}

BENCHMARK(BM_ReplotLine1e7)->Arg(10000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReplotLine1e7Unsorted)->Arg(10000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReplotLine1e7AfterChange)->Arg(10000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawLine)
    ->Arg(100000)
    ->Arg(1000000)
    ->Arg(10000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_DrawLineEveryPoint)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawSymbols)
    ->Arg(100000)
    ->Arg(1000000)
    ->Arg(10000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
