// Per-point evaluation of a buffer expression: the text is parsed once, then
// the variable x is set by its slot and the compiled form evaluated per point.

#include "expression/Expression.h"
#include "expression/ExpressionMath.h"
#include "expression/ExpressionVectorMath.h"
#include "model/DataBuffer.h"
#include "model/DataBufferOperations.h"
#include "model/VexaDocument.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int kPoints = 1000000;

// The language has no "exp" function: e^(...) is its way of writing it.
const char kFormula[] = "sin(x)*e^(-x/10)+x^2";

bool prepare(benchmark::State& state, Expression& ex, const char* text)
{
    ex.setNoAlert();
    ex.setVar("x", 0);
    if (!ex.parse(QString::fromLatin1(text))) {
        state.SkipWithError(ex.err().toStdString().c_str());
        return false;
    }
    return true;
}

void BM_CompiledPerPoint(benchmark::State& state)
{
    Expression ex;
    if (!prepare(state, ex, kFormula))
        return;
    const int x = ex.slot("x");
    for (auto _ : state) {
        double sum = 0;
        for (int i = 0; i < kPoints; ++i) {
            ex.setValue(x, i * 0.001);
            sum += ex.resultValue();
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_CompiledPerPoint)->Unit(benchmark::kMillisecond);

// The same loop setting x by name (a look-up among the names per point).
void BM_CompiledSetVarByName(benchmark::State& state)
{
    Expression ex;
    if (!prepare(state, ex, kFormula))
        return;
    for (auto _ : state) {
        double sum = 0;
        for (int i = 0; i < kPoints; ++i) {
            ex.setVar("x", i * 0.001);
            sum += ex.resultValue();
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_CompiledSetVarByName)->Unit(benchmark::kMillisecond);

// Scanning and parsing the text for every point, for comparison.
void BM_ReparsedPerPoint(benchmark::State& state)
{
    Expression ex;
    if (!prepare(state, ex, kFormula))
        return;
    const int x = ex.slot("x");
    constexpr int points = 10000;
    for (auto _ : state) {
        double sum = 0;
        for (int i = 0; i < points; ++i) {
            ex.setValue(x, i * 0.1);
            sum += ex.resultValueReparsed();
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * points);
}
BENCHMARK(BM_ReparsedPerPoint)->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// The whole-column evaluation the buffer calculations use.
void columns(benchmark::State& state, int points)
{
    Expression ex;
    if (!prepare(state, ex, kFormula))
        return;
    const auto n = static_cast<std::size_t>(points);
    std::vector<double> xs(n), out(n);
    for (int i = 0; i < points; ++i)
        xs[std::size_t(i)] = i * 0.001;
    const Expression::Column columns[] = {{ex.slot("x"), xs.data()}};
    for (auto _ : state) {
        ex.evaluateColumns(columns, xs.size(), out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * points);
}

void BM_Columns(benchmark::State& state)
{
    columns(state, kPoints);
}
BENCHMARK(BM_Columns)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same over a column that stays in the core's own cache: the cost of
// the arithmetic without the trips to memory.
void BM_ColumnsInCache(benchmark::State& state)
{
    columns(state, 16384);
}
BENCHMARK(BM_ColumnsInCache)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The whole-block functions alone over a column: what each costs of the
// column evaluation above.
using BlockFunction = void (*)(const double*, double*, std::size_t);

void BM_Block(benchmark::State& state, BlockFunction block)
{
    std::vector<double> xs(kPoints), out(kPoints);
    for (int i = 0; i < kPoints; ++i)
        xs[std::size_t(i)] = i * -0.0001;
    for (auto _ : state) {
        block(xs.data(), out.data(), xs.size());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
// clang-format off
BENCHMARK_CAPTURE(BM_Block, sin, ExpressionVectorMath::sin)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Block, cos, ExpressionVectorMath::cos)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Block, ePower, [](const double* in, double* out, std::size_t n) {
    ExpressionVectorMath::kPow(ExpressionMath::e, in, out, n);
})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Block, divide, [](const double* in, double* out, std::size_t n) {
    ExpressionVectorMath::divide(in, 10, out, n);
})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Block, square, [](const double* in, double* out, std::size_t n) {
    ExpressionVectorMath::powK(in, 2, out, n);
})->Unit(benchmark::kMillisecond);
// clang-format on

// The function generator and a buffer calculation as the "fg" and "calc"
// macros run them: a new buffer of 1e6 points, then y recomputed from x.
void BM_FunctionGeneratorAndCalc(benchmark::State& state)
{
    VexaDocument doc;
    for (auto _ : state) {
        doc.functionGenerator(0, 0, 1000, kPoints, QString::fromLatin1(kFormula));
        doc.DB.back()->calc(CalcY, QStringLiteral("y*2+sin(x)"), {}, {}, &doc);
        benchmark::DoNotOptimize(doc.DB.back()->Y.data());
        doc.DB.pop_back();
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_FunctionGeneratorAndCalc)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
