// One whole drawing pass of a busy graph into a 1200 x 800 image: margins,
// background, major and minor grids, four axes with ticks, numbers and
// titles, three buffers of a million points each drawn as lines, a legend
// and the frame. This is what every replot of such a window costs.

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

namespace {

// Three noisy waves over x 0..100, the same every run.
std::unique_ptr<VexaDocument> makeDocument(long n)
{
    auto doc = std::make_unique<VexaDocument>();
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    const QColor colours[3] = {QColor(200, 30, 30), QColor(30, 60, 200), QColor(20, 140, 40)};
    for (int k = 0; k < 3; ++k) {
        auto b = std::make_unique<DataBuffer>();
        b->X.resize(std::size_t(n));
        b->Y.resize(std::size_t(n));
        double* bx = b->X.mutableData();
        double* by = b->Y.mutableData();
        for (long i = 0; i < n; ++i) {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            const double noise = double(state >> 40) / double(1ull << 24) - 0.5;
            const double x = 100.0 * double(i) / double(n);
            bx[i] = x;
            by[i] = std::sin(x * (0.2 + 0.1 * k)) + 0.2 * noise + k;
        }
        b->rescale();
        b->style.color = colours[k];
        b->style.linewidth = 1;
        b->style.plotlines = 1;
        b->setComment(QStringLiteral("wave %1").arg(k + 1));
        doc->DB.push_back(std::move(b));
    }
    doc->xmin1 = 0;
    doc->xmax1 = 100;
    doc->ymin1 = -1.5;
    doc->ymax1 = 3.5;
    doc->xmin2 = 0;
    doc->xmax2 = 1;
    doc->ymin2 = 1;
    doc->ymax2 = 1000;
    const QString titles[]
        = {QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("x2"), QStringLiteral("y2")};
    for (std::size_t a = 0; a < 4; ++a) {
        doc->axes[a].axis = 1;
        doc->axes[a].grid = 1;
        doc->axes[a].mgrid = 1;
        doc->axes[a].axistext = titles[a];
    }
    doc->axes[AxisY2].axismode = AxisLog;
    doc->page.marginright = 80;
    doc->page.margintop = 60;
    doc->legend.plotlegend = 1;
    doc->legend.legendbg = 1;
    return doc;
}

void BM_FullPass(benchmark::State& state)
{
    const auto doc = makeDocument(state.range(0));
    VexaView view(QSizeF(1200, 800));
    view.setVexaDocument(doc.get());
    QImage image(1200, 800, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        view.drawIn(painter);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * 3);
}

BENCHMARK(BM_FullPass)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
