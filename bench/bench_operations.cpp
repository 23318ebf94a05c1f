// Data operations over long buffers: moving-mean smoothing (whatever the
// window), the column expression, and the other operations that must stay
// linear in the number of points.

#include "macro/AlertQuestions.h"
#include "model/DataBuffer.h"
#include "model/DataBufferOperations.h"
#include "model/VexaDocument.h"
#include "model/VexaDocumentOperations.h"
#include "platform/UserDefaults.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include "support/BenchMain.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace {

constexpr int kPoints = 1000000;

std::unique_ptr<DataBuffer> wave(int n, bool shuffled = false)
{
    auto b = std::make_unique<DataBuffer>();
    b->X.resize(std::size_t(n));
    b->Y.resize(std::size_t(n));
    double* bx = b->X.mutableData();
    double* by = b->Y.mutableData();
    for (int i = 0; i < n; ++i) {
        bx[i] = i * 0.001;
        by[i] = std::sin(i * 0.001) + 0.1 * std::sin(i * 0.37);
    }
    if (shuffled) {
        std::mt19937 rng(1);
        std::shuffle(bx, bx + n, rng);
    }
    b->rescale();
    return b;
}

// state.range(0) points, window factor state.range(1).
void BM_Smooth(benchmark::State& state)
{
    const auto source = wave(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto b = source->copyWithZone();
        state.ResumeTiming();
        b->smooth(int(state.range(1)));
        benchmark::DoNotOptimize(b->Y.data());
    }
    state.SetComplexityN(state.range(0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Smooth)->Args({kPoints, 5})->Args({kPoints, 5000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Smooth)
    ->ArgsProduct({benchmark::CreateRange(1 << 17, 1 << 20, 2), {50}})
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BM_Calc(benchmark::State& state)
{
    const auto source = wave(kPoints);
    const QHash<QString, double> vars{{QStringLiteral("k"), 2}};
    for (auto _ : state) {
        state.PauseTiming();
        auto b = source->copyWithZone();
        state.ResumeTiming();
        b->calc(CalcY, QStringLiteral("sin(x)*e^(-x/10)+y^2*k+dp/np"), {}, vars, nullptr);
        benchmark::DoNotOptimize(b->Y.data());
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_Calc)->Unit(benchmark::kMillisecond);

void BM_ReductionCutSwap(benchmark::State& state)
{
    const auto source = wave(kPoints);
    for (auto _ : state) {
        state.PauseTiming();
        auto b = source->copyWithZone();
        state.ResumeTiming();
        b->reduction(3);
        b->cut(1, -0.5, 0.5, 1);
        b->swapXY();
        benchmark::DoNotOptimize(b->Y.data());
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_ReductionCutSwap)->Unit(benchmark::kMillisecond);

void BM_SortShuffled(benchmark::State& state)
{
    const auto source = wave(kPoints, true);
    for (auto _ : state) {
        state.PauseTiming();
        auto b = source->copyWithZone();
        state.ResumeTiming();
        b->sort();
        benchmark::DoNotOptimize(b->X.data());
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_SortShuffled)->Unit(benchmark::kMillisecond);

// Document operations that make a new buffer from 1,000,000 points:
// 0 derivative with 2 neighbours a side, 1 running integral, 2 linear
// regression, 3 difference of two buffers on interleaved grids.
void BM_DocumentOperation(benchmark::State& state)
{
    VexaDocument doc;
    doc.DB.push_back(wave(kPoints));
    doc.DB.push_back(wave(kPoints));
    for (double& x : doc.DB[1]->X.mutableVector())
        x += 0.0005;
    for (auto _ : state) {
        switch (state.range(0)) {
        case 0:
            doc.diff(0, 0.0025, AlertQuestions::instance());
            break;
        case 1:
            doc.integrate(0, AlertQuestions::instance());
            break;
        case 2:
            doc.reg(0, 0, 1e9, RegLinear);
            break;
        default:
            doc.calcBuf(0, 1, ArithSubtract, AlertQuestions::instance());
            break;
        }
        benchmark::DoNotOptimize(doc.DB.back()->Y.data());
        state.PauseTiming();
        doc.DB.resize(2);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_DocumentOperation)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_FunctionGenerator(benchmark::State& state)
{
    VexaDocument doc;
    for (auto _ : state) {
        doc.functionGenerator(0, 0, 100, kPoints, QStringLiteral("sin(x)*x"));
        benchmark::DoNotOptimize(doc.DB.back()->Y.data());
        doc.DB.clear();
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_FunctionGenerator)->Unit(benchmark::kMillisecond);

} // namespace
