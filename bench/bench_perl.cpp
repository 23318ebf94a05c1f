// A perl filter over a million points, end to end: the input stream built,
// perl started with the program's scripts, the user's loop, the result
// stream read back and the new buffer in the document. Beside it, perl alone
// making the same million values and running the same loop: the least any
// perl filter of this size can take on this machine. And the parts the
// program does itself: writing the input and reading the result.

#include "macro/Macro.h"
#include "macro/MacroHost.h"
#include "macro/PerlJob.h"
#include "macro/PerlStreams.h"
#include "model/DataBuffer.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"

#include "support/BenchMain.h"

#include <benchmark/benchmark.h>

#include <QEventLoop>
#include <QProcess>
#include <QtEndian>

#include <cmath>
#include <cstdio>

namespace {

constexpr int kPoints = 1000000;

// The least a macro needs of the application: variables and a console
// that goes to standard error.
class BenchHost : public MacroHost {
public:
    ManagerServices manager;
    QHash<QString, QString> SV;
    PerlJobState GMAP = PerlJobState::Idle;
    // The end of a job, heard at once rather than found by polling.
    QEventLoop* waiting = nullptr;
    ManagerServices& services() override { return manager; }
    QHash<QString, QString>& stringVariables() override { return SV; }
    PerlJobState perlWaitFlag() const override { return GMAP; }
    void setPerlWaitFlag(PerlJobState value) override
    {
        GMAP = value;
        if (value == PerlJobState::Idle && waiting)
            waiting->quit();
    }
    bool consoleAtLineStart() const override { return true; }
    void consoleAppend(const QString& text, bool) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
    void consoleClear() override { }
    VexaDocument* newDocument() override { return nullptr; }
};

std::unique_ptr<DataBuffer> wave(int n)
{
    auto b = std::make_unique<DataBuffer>();
    b->X.resize(std::size_t(n));
    b->Y.resize(std::size_t(n));
    double* bx = b->X.mutableData();
    double* by = b->Y.mutableData();
    for (int i = 0; i < n; ++i) {
        bx[i] = i * 0.001;
        by[i] = std::sin(i * 0.001);
    }
    b->rescale();
    return b;
}

void BM_PerlFilterEndToEnd(benchmark::State& state)
{
    BenchHost host;
    VexaDocument document;
    document.DB.push_back(wave(kPoints));
    Macro filter(
        QStringLiteral("double"),
        QStringLiteral("for my $b (@B) { push @R, { x => $b->{x}, y => [map { 2 * $_ } @{$b->{y}}] }; }"), 0,
        MacroTypePerlFilter);
    for (auto _ : state) {
        QEventLoop loop;
        host.waiting = &loop;
        filter.perlFilterFromMacro(host, {0}, &document);
        if (host.GMAP == PerlJobState::Running)
            loop.exec();
        host.waiting = nullptr;
        state.PauseTiming();
        if (document.bufferCount() != 2 || document.DB[1]->nop() != kPoints)
            state.SkipWithError("the filter made no buffer");
        document.DB.resize(1);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_PerlFilterEndToEnd)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Perl by itself, from start to exit: argument 0 in our own environment, as
// from a terminal; 1 in the one perl jobs get.
void BM_PerlLoopAlone(benchmark::State& state)
{
    const QString code = QStringLiteral("my @y = map { sin($_ * 0.001) } 0 .. %1;\n"
                                        "my @R; push @R, { y => [map { 2 * $_ } @y] };\n")
                             .arg(kPoints - 1);
    for (auto _ : state) {
        QProcess perl;
        perl.setProcessEnvironment(state.range(0) ? PerlJob::environment()
                                                  : QProcessEnvironment::systemEnvironment());
        perl.start(QStringLiteral("/usr/bin/perl"), {QStringLiteral("-e"), code});
        if (!perl.waitForFinished(60000) || perl.exitStatus() != QProcess::NormalExit || perl.exitCode() != 0)
            state.SkipWithError("perl failed");
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_PerlLoopAlone)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_PerlInputStream(benchmark::State& state)
{
    const auto b = wave(kPoints);
    for (auto _ : state) {
        QByteArray data = PerlInputStream::forFilter({b.get()}, {}, {});
        benchmark::DoNotOptimize(data.data());
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_PerlInputStream)->Unit(benchmark::kMillisecond);

void BM_PerlResultStream(benchmark::State& state)
{
    // One buffer of x y points, each with its two empty texts.
    QByteArray data;
    auto put = [&data](auto v) {
        char bytes[sizeof v];
        qToLittleEndian(v, bytes);
        data.append(bytes, sizeof v);
    };
    put(qint32(1));
    put(qint32(kPoints));
    put(qint32(2));
    for (int i = 0; i < kPoints; ++i) {
        put(double(i));
        put(std::sin(i * 0.001));
        put(qint32(0));
        put(qint32(0));
    }
    put(qint32(0));
    put(qint32(0));
    for (auto _ : state) {
        PerlResultStream::Reading r = PerlResultStream::read(data);
        if (!r.ok())
            state.SkipWithError("the result was refused");
        benchmark::DoNotOptimize(r.result.buffers.data());
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_PerlResultStream)->Unit(benchmark::kMillisecond);

} // namespace
