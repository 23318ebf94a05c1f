// The point table of a buffer of a million points: the rows known to the
// table once the buffer becomes current, and one screen of rows painted.
// Only the cells on screen are ever formatted.

#include "app/DataTableView.h"
#include "app/Manager.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"

#include <QImage>
#include <QPainter>

#include <cmath>

#include <benchmark/benchmark.h>

namespace {

void BM_PointTableOfAMillionPoints(benchmark::State& state)
{
    Manager m;
    VexaDocument empty;
    VexaDocument big;
    auto b = std::make_unique<DataBuffer>();
    for (int i = 0; i < 1000000; ++i)
        b->quickAddDoubleValue(i * 0.001, std::sin(i * 0.001));
    b->rescale();
    big.DB.push_back(std::move(b));
    m.pointTable()->resize(420, 640);
    QImage screen(420, 640, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        state.PauseTiming();
        m.PD = &empty;
        m.update();
        state.ResumeTiming();
        m.PD = &big;
        m.update();
        QPainter painter(&screen);
        m.pointTable()->render(&painter);
    }
    m.PD = nullptr;
}
BENCHMARK(BM_PointTableOfAMillionPoints)->Unit(benchmark::kMillisecond);

} // namespace
