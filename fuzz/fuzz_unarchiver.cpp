// libFuzzer target: arbitrary bytes into the keyed unarchiver, decoded the way
// a document is (see ArchiveFuzzing.h). Any crash, hang, sanitizer report or
// runaway memory is a finding; so is an accepted input that does not survive
// being written and read back.

#include "ArchiveFuzzing.h"
#include "FuzzSetup.h"

#include "platform/CNumber.h"

#include <QGuiApplication>
#include <QImageReader>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
QGuiApplication* g_app = nullptr; // lives for the whole run (fonts need it)
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_unarchiver";
    static char* argv[] = {name, nullptr};
    g_app = new QGuiApplication(argc, argv);
    // Damaged pictures make the image codec complain on every input.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    CNumber::resetNumericLocale();
    // Keeps a hostile PNG header from costing the fuzzer's whole memory limit.
    QImageReader::setAllocationLimit(32);

    // Font database and image codec caches are filled once here, so the leak
    // checker does not take them for leaks of the first input.
    FuzzSetup::warmCaches();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const ArchiveFuzzing::Outcome outcome = ArchiveFuzzing::run(bytes);
    if (outcome.decoded && !outcome.roundTripped) {
        std::fprintf(stderr, "round trip failed: %s\n", qPrintable(outcome.error));
        std::abort();
    }
    return 0;
}
