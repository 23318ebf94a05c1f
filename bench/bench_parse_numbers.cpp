// Reading the numbers of a large ASCII import, line by line, the way the
// white-space import mode does it; and the common lines of two columns by
// the import's quick reader beside fast_float alone on the same numbers.

#include "io/AsciiFastLines.h"
#include "util/TextHelpers.h"

#include <fast_float/fast_float.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// A fixed pseudo-random stream, so every run parses the same text.
struct Lcg {
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    std::uint32_t next()
    {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::uint32_t>(state >> 33);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }
};

void appendToken(std::string& line, Lcg& rng)
{
    char buf[64];
    switch (rng.below(10)) {
    case 0: // integer
    case 1:
        std::snprintf(buf, sizeof buf, "%d", rng.below(100000) - 50000);
        break;
    case 2: // decimal with a period
    case 3:
        std::snprintf(buf, sizeof buf, "%d.%04d", rng.below(2000) - 1000, rng.below(10000));
        break;
    case 4: // decimal comma
        std::snprintf(buf, sizeof buf, "%d,%03d", rng.below(1000), rng.below(1000));
        break;
    case 5: // exponent
        std::snprintf(buf, sizeof buf, "%d.%03de%d", rng.below(10), rng.below(1000), rng.below(40) - 20);
        break;
    case 6: // thousands separators and a decimal comma
        std::snprintf(buf, sizeof buf, "%d.%03d.%03d,%02d", 1 + rng.below(99), rng.below(1000),
                      rng.below(1000), rng.below(100));
        break;
    case 7: // negative small number
        std::snprintf(buf, sizeof buf, "-0.%06d", rng.below(1000000));
        break;
    case 8: { // a word, sometimes one that starts a number
        static const char* const words[] = {"value", "x=", "temp", "and", "NaN", "ok", "Inf", "#"};
        std::snprintf(buf, sizeof buf, "%s", words[rng.below(8)]);
        break;
    }
    default: // a unit glued to a number
        std::snprintf(buf, sizeof buf, "%dmV", rng.below(5000));
        break;
    }
    line += buf;
}

std::vector<std::string> makeLines(size_t totalBytes)
{
    static const char* const separators[] = {" ", "\t", "  ", "; ", " | "};
    Lcg rng;
    std::vector<std::string> lines;
    size_t bytes = 0;
    while (bytes < totalBytes) {
        std::string line;
        const int tokens = 4 + rng.below(16);
        for (int t = 0; t < tokens; ++t) {
            if (t)
                line += separators[rng.below(5)];
            appendToken(line, rng);
        }
        bytes += line.size() + 1; // and its line feed
        lines.push_back(std::move(line));
    }
    return lines;
}

void BM_ParseNumbersInLine(benchmark::State& state)
{
    const std::vector<std::string> lines = makeLines(4u << 20);
    size_t bytes = 0;
    for (const auto& line : lines)
        bytes += line.size() + 1;
    std::vector<double> values(4096);
    SplitParts scratch;
    for (auto _ : state) {
        long long total = 0;
        for (const auto& line : lines)
            total
                += parseNumbersInLine(line.c_str(), values.data(), static_cast<int>(values.size()), scratch);
        benchmark::DoNotOptimize(total);
        benchmark::DoNotOptimize(values.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
    state.counters["lines"] = static_cast<double>(lines.size());
}
BENCHMARK(BM_ParseNumbersInLine)->Unit(benchmark::kMillisecond);

// Lines of an x and a y value as the import benchmark writes them.
std::string twoColumns(size_t totalBytes)
{
    Lcg rng;
    std::string text;
    char buf[64];
    for (long line = 0; text.size() < totalBytes; ++line) {
        std::snprintf(buf, sizeof buf, "%ld.%03d\t%d.%06d\n", line / 10, rng.below(1000),
                      rng.below(20000) - 10000, rng.below(1000000));
        text += buf;
    }
    return text;
}

// Lines of a row number and eight values, 72 bytes each.
std::string eightColumns(size_t totalBytes)
{
    Lcg rng;
    std::string text;
    char buf[32];
    for (long line = 0; text.size() < totalBytes; ++line) {
        std::snprintf(buf, sizeof buf, "%07ld", line);
        text += buf;
        for (int c = 0; c < 8; ++c) {
            std::snprintf(buf, sizeof buf, " %03d.%03d", rng.below(1000), rng.below(1000));
            text += buf;
        }
        text += '\n';
    }
    return text;
}

// The quick reader: lines, numbers and their checks, with the settings of
// dropped and pasted text or with tabs between fields.
void quickLines(benchmark::State& state, const std::string& text, const AsciiFastLines::Syntax& syntax)
{
    const AsciiFastLines quick(syntax);
    AsciiFastLines::Result out;
    for (auto _ : state) {
        out.clear();
        quick.read(text.data(), text.size(), 0, out);
        benchmark::DoNotOptimize(out.values.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    state.counters["lines"] = static_cast<double>(out.lines.size());
}

AsciiFastLines::Syntax pastedText()
{
    AsciiFastLines::Syntax syntax;
    syntax.commaBlank = true;
    return syntax;
}

void BM_QuickLinesTwoColumns(benchmark::State& state)
{
    quickLines(state, twoColumns(16u << 20), pastedText());
}
BENCHMARK(BM_QuickLinesTwoColumns)->Unit(benchmark::kMillisecond);

void BM_QuickLinesTwoColumnsTabSeparated(benchmark::State& state)
{
    AsciiFastLines::Syntax syntax;
    syntax.whitespace = false;
    quickLines(state, twoColumns(16u << 20), syntax);
}
BENCHMARK(BM_QuickLinesTwoColumnsTabSeparated)->Unit(benchmark::kMillisecond);

void BM_QuickLinesEightColumns(benchmark::State& state)
{
    quickLines(state, eightColumns(16u << 20), pastedText());
}
BENCHMARK(BM_QuickLinesEightColumns)->Unit(benchmark::kMillisecond);

// fast_float alone over the same numbers, each known to end at the byte
// before the next: no lines, no checks.
void BM_FastFloatTwoColumns(benchmark::State& state)
{
    const std::string text = twoColumns(16u << 20);
    std::vector<double> values;
    values.reserve(text.size() / 8);
    for (auto _ : state) {
        values.clear();
        const char* p = text.data();
        const char* const end = p + text.size();
        while (p < end) {
            double v;
            p = fast_float::from_chars(p, end, v).ptr + 1;
            values.push_back(v);
        }
        benchmark::DoNotOptimize(values.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_FastFloatTwoColumns)->Unit(benchmark::kMillisecond);

} // namespace
