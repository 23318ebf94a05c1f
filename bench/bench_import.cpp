// ASCII import of large files: two numeric columns in white-space mode (the
// settings of dropped and pasted text) and with a tab separator, and a file
// whose lines start with a date and a time.

#include "io/AsciiImport.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/CNumber.h"
#include "platform/Calendar.h"
#include "platform/TempFile.h"
#include "platform/UserDefaults.h"
#include "util/TextHelpers.h"

#include "support/BenchMain.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

struct Lcg {
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    std::uint32_t next()
    {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::uint32_t>(state >> 33);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }
};

std::unique_ptr<TempFile> g_numbers;
std::unique_ptr<TempFile> g_dates;

// Writes lines from makeLine until the file holds `bytes` bytes.
template <typename F> std::unique_ptr<TempFile> generate(size_t bytes, F makeLine)
{
    QString error;
    auto file = TempFile::create([] { return QByteArray(randomTempName()); }, QStringLiteral(".tmp"),
                                 QString(), &error);
    if (!file) {
        std::fprintf(stderr, "cannot create the test file: %s\n", qPrintable(error));
        std::exit(1);
    }
    QByteArray chunk;
    size_t written = 0;
    for (long line = 0; written < bytes; ++line) {
        const std::string s = makeLine(line);
        chunk.append(s.data(), qsizetype(s.size()));
        written += s.size();
        if (chunk.size() > (1 << 20) || written >= bytes) {
            if (!file->write(chunk)) {
                std::fprintf(stderr, "cannot write the test file\n");
                file.reset();
                std::exit(1);
            }
            chunk.clear();
        }
    }
    file->close();
    return file;
}

std::unique_ptr<TempFile> numbersFile()
{
    Lcg rng;
    return generate(100u * 1000 * 1000, [&](long line) {
        return CNumber::format("%ld.%03d\t%d.%06d\n", line / 10, rng.below(1000), rng.below(20000) - 10000,
                               rng.below(1000000));
    });
}

std::unique_ptr<TempFile> datesFile()
{
    Lcg rng;
    return generate(10u * 1000 * 1000, [&](long line) {
        const long s = line % 86400;
        return CNumber::format("2011-03-%02ld %02ld:%02ld:%02ld %d.%03d\n", 1 + line / 86400 % 28, s / 3600,
                               s / 60 % 60, s % 60, rng.below(1000), rng.below(1000));
    });
}

// The two-column file: generated for the run, or, when VEXA_BENCH_NUMBERS
// names a file, that file (made there first when it is missing, and kept),
// so that other programs can read the very same bytes.
QString g_numbersPath;

void makeNumbersFile()
{
    const QString wanted = qEnvironmentVariable("VEXA_BENCH_NUMBERS");
    if (!wanted.isEmpty() && QFileInfo::exists(wanted)) {
        g_numbersPath = wanted;
        return;
    }
    g_numbers = numbersFile();
    g_numbersPath = g_numbers->path();
    if (wanted.isEmpty())
        return;
    if (!QFile::copy(g_numbersPath, wanted)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(wanted));
        std::exit(1);
    }
    g_numbers.reset();
    g_numbersPath = wanted;
}

void runImport(benchmark::State& state, const QString& path, const ASCIIImport::ImportOptions& base)
{
    ASCIIImport::ImportOptions options = base;
    options.path = path;
    const qint64 bytes = QFileInfo(path).size();
    for (auto _ : state) {
        auto document = std::make_unique<VexaDocument>();
        const bool ok = ASCIIImport::importFile(*document, options).ok();
        state.PauseTiming();
        if (!ok || document->DB.empty())
            state.SkipWithError("the import read nothing");
        document.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
    state.counters["MB/s"]
        = benchmark::Counter(double(state.iterations()) * double(bytes) / 1e6, benchmark::Counter::kIsRate);
}

void BM_ImportTwoColumns(benchmark::State& state)
{
    runImport(state, g_numbersPath, ASCIIImport::ImportOptions());
}

void BM_ImportTwoColumnsTabSeparated(benchmark::State& state)
{
    ASCIIImport::ImportOptions options;
    options.separator = QStringLiteral("\t");
    runImport(state, g_numbersPath, options);
}

void BM_ImportDateLines(benchmark::State& state)
{
    runImport(state, g_dates->path(), ASCIIImport::ImportOptions());
}

// Peak memory of importing 1e7 points of two columns (about 214 MB of
// text), above what the process held before: the 160 MB of doubles the
// buffers need, and as little else as can be.
long statusKilobytes(const char* key)
{
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long value = -1;
    const size_t n = std::strlen(key);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, key, n) == 0)
            value = std::atol(line + n);
    std::fclose(f);
    return value;
}

// The peak resident memory of one import above what the process held
// before it, in kilobytes.
long importPeakKilobytes(VexaDocument& document, const ASCIIImport::ImportOptions& options)
{
    // Resets the high-water mark to what is resident now.
    if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
    const long base = statusKilobytes("VmRSS:");
    ASCIIImport::importFile(document, options);
    return statusKilobytes("VmHWM:") - base;
}

void BM_ImportPeakMemory(benchmark::State& state)
{
    Lcg rng;
    const auto file = generate(214u * 1000 * 1000, [&](long line) {
        return CNumber::format("%ld.%03d\t%d.%06d\n", line / 10, rng.below(1000), rng.below(20000) - 10000,
                               rng.below(1000000));
    });
    ASCIIImport::ImportOptions options;
    options.path = file->path();
    for (auto _ : state) {
        VexaDocument document;
        const long peak = importPeakKilobytes(document, options);
        size_t points = 0;
        for (const auto& b : document.DB)
            points += b->X.size();
        state.counters["points"] = double(points);
        state.counters["peakMB"] = double(peak) / 1024.0;
        state.counters["peak/doubles"] = double(peak) * 1024.0 / double(points * 16);
    }
}

// The same for eight dense columns of 1.25e6 rows (1e7 points): the
// buffers share one x column, so the peak stays near the 90 MB of numbers
// read rather than the 160 MB eight copies of x would take.
void BM_ImportPeakMemoryEightColumns(benchmark::State& state)
{
    Lcg rng;
    const long rows = 1'250'000;
    // Lines of 72 bytes: the file holds exactly that many rows.
    const auto file = generate(size_t(rows) * 72, [&](long line) {
        std::string text = CNumber::format("%07ld", line);
        for (int c = 0; c < 8; ++c)
            text += CNumber::format(" %03d.%03d", rng.below(1000), rng.below(1000));
        return text + '\n';
    });
    ASCIIImport::ImportOptions options;
    options.path = file->path();
    for (auto _ : state) {
        VexaDocument document;
        const long peak = importPeakKilobytes(document, options);
        size_t points = 0;
        for (const auto& b : document.DB)
            points += b->Y.size();
        const double numbers = double(rows) * 9; // x and eight y per row
        state.counters["points"] = double(points);
        state.counters["peakMB"] = double(peak) / 1024.0;
        state.counters["peak/numbers"] = double(peak) * 1024.0 / (numbers * 8);
    }
}

BENCHMARK(BM_ImportPeakMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_ImportPeakMemoryEightColumns)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_ImportTwoColumns)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_ImportTwoColumnsTabSeparated)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_ImportDateLines)->Unit(benchmark::kMillisecond)->UseRealTime();

BenchHooks files(
    [] {
        Calendar::setDefaultTimeZone(QStringLiteral("Europe/Berlin"));
        makeNumbersFile();
        g_dates = datesFile();
    },
    [] {
        // The temporary files go with their owners.
        g_numbers.reset();
        g_dates.reset();
    });

} // namespace
