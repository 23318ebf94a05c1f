#include "support/TestSupport.h"

#include "platform/CNumber.h"
#include "platform/RuntimeDirectory.h"
#include "platform/UserDefaults.h"

#include <QGuiApplication>
#ifdef VEXA_TEST_WIDGETS
#include <QApplication>
#endif
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>


namespace {
std::unique_ptr<QTemporaryDir> g_scratch;
}

QString TestSupport::scratchDir()
{
    return g_scratch->path();
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    RuntimeDirectory::ensure();
    ::testing::InitGoogleTest(&argc, argv);

    QStandardPaths::setTestModeEnabled(true);
    // Windows and widgets need a QApplication; everything else runs on the
    // lighter QGuiApplication.
#ifdef VEXA_TEST_WIDGETS
    QApplication app(argc, argv);
#else
    QGuiApplication app(argc, argv);
#endif
    // The locale runs keep the user's numeric locale (German, say) for the
    // whole run, to prove that nothing reads or writes numbers through it.
    if (qEnvironmentVariableIsEmpty("VEXA_TEST_KEEP_LOCALE"))
        CNumber::resetNumericLocale();

    // Tests run in parallel processes: each gets its own settings store, so
    // none of them sees another's defaults or a real user's.
    g_scratch = std::make_unique<QTemporaryDir>();
    UserDefaults::setStoreFile(g_scratch->filePath("defaults.ini"));

    int rc = RUN_ALL_TESTS();
    g_scratch.reset();
    return rc;
}
