#include "BenchMain.h"

#include "platform/CNumber.h"
#include "platform/UserDefaults.h"

#include <QGuiApplication>
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
    QGuiApplication app(argc, argv);
    CNumber::resetNumericLocale();
    QTemporaryDir scratch;
    UserDefaults::setStoreFile(scratch.filePath(QStringLiteral("defaults.ini")));

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
