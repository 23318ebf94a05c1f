// The magnitude spectrum of a long buffer, FFT smoothing, and the spline
// resampling of a long buffer, through the document operations the menus and
// macros call (buffer in, new buffer appended), plus the bare transform.

#include "macro/AlertQuestions.h"
#include "model/ManagerServices.h"
#include "model/Spectral.h"
#include "model/VexaDocument.h"
#include "platform/UserDefaults.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include "support/BenchMain.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// A fixed pseudo-random stream, so every run sees the same data.
struct Lcg {
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    double next()
    {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return double(state >> 11) / double(1ull << 53);
    }
};

std::unique_ptr<DataBuffer> signal(int n, bool unevenX)
{
    Lcg rng;
    auto b = std::make_unique<DataBuffer>();
    double x = 0;
    for (int i = 0; i < n; ++i) {
        b->quickAddDoubleValue(x, std::sin(0.01 * i) + 0.3 * std::sin(1.7 * i) + 0.1 * rng.next());
        x += unevenX ? 0.5 + rng.next() : 1.0;
    }
    b->rescale();
    return b;
}

void BM_FftSpectrumDocument(benchmark::State& state)
{
    VexaDocument doc;
    doc.DB.push_back(signal(int(state.range(0)), false));
    for (auto _ : state) {
        doc.doFFT(0, FFTHanning, AlertQuestions::instance());
        benchmark::DoNotOptimize(doc.DB.back()->Y.data());
        doc.DB.pop_back();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FftSpectrumDocument)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

void BM_FftSpectrumPrepare(benchmark::State& state)
{
    const int n = int(state.range(0));
    const auto b = signal(n, false);
    std::vector<float> work(std::size_t(Spectral::spectrumLength(n)));
    for (auto _ : state) {
        for (int i = 0; i < n; ++i)
            work[std::size_t(i)] = float(b->Y[std::size_t(i)]);
        benchmark::DoNotOptimize(Spectral::fftSpectrumPrepare(work, n));
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_FftSpectrumPrepare)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

void BM_FftSmoothDocument(benchmark::State& state)
{
    VexaDocument doc;
    doc.DB.push_back(signal(int(state.range(0)), false));
    for (auto _ : state) {
        doc.fftsmooth(0, 20, AlertQuestions::instance());
        doc.DB.pop_back();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FftSmoothDocument)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

// Arguments: points, parts per interval.
void BM_SplineDocument(benchmark::State& state)
{
    VexaDocument doc;
    doc.DB.push_back(signal(int(state.range(0)), true));
    for (auto _ : state) {
        doc.spline(0, int(state.range(1)), 2, AlertQuestions::instance());
        benchmark::DoNotOptimize(doc.DB.back()->Y.data());
        doc.DB.pop_back();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SplineDocument)->Args({100000, 1})->Args({100000, 10})->Unit(benchmark::kMillisecond);

} // namespace
