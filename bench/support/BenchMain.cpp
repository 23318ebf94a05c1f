#include "BenchMain.h"

#include "platform/CNumber.h"
#include "platform/UserDefaults.h"

#include <QGuiApplication>
#ifdef VEXA_BENCH_WIDGETS
#include <QApplication>
#endif
#include <QImage>
#include <QPainter>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

struct Hooks {
    std::vector<std::function<void()>> setUp, tearDown;
};

Hooks& hooks()
{
    static Hooks h;
    return h;
}

} // namespace

BenchHooks::BenchHooks(std::function<void()> setUp, std::function<void()> tearDown)
{
    if (setUp)
        hooks().setUp.push_back(std::move(setUp));
    if (tearDown)
        hooks().tearDown.push_back(std::move(tearDown));
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
#ifdef VEXA_BENCH_WIDGETS
    QApplication app(argc, argv);
#else
    QGuiApplication app(argc, argv);
#endif
    CNumber::resetNumericLocale();
    QTemporaryDir scratch;
    UserDefaults::setStoreFile(scratch.filePath(QStringLiteral("defaults.ini")));
    // The program has filled and drawn images before any kernel runs, and
    // Qt's vector fill routines leave the CPU's vector state as they like:
    // time every kernel in that state, not in a pristine process.
    QImage canvas(1000, 700, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        painter.fillRect(QRect(10, 10, 500, 300), QColor(20, 40, 200, 128));
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    for (auto& f : hooks().setUp)
        f();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (auto& f : hooks().tearDown)
        f();
    return 0;
}
