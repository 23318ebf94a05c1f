#include "support/TestSupport.h"

#include "platform/CNumber.h"
#include "platform/UserDefaults.h"

#include <QGuiApplication>
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
    ::testing::InitGoogleTest(&argc, argv);

    QStandardPaths::setTestModeEnabled(true);
    QGuiApplication app(argc, argv);
    CNumber::resetNumericLocale();

    // Tests run in parallel processes: each gets its own settings store, so
    // none of them sees another's defaults or a real user's.
    g_scratch = std::make_unique<QTemporaryDir>();
    UserDefaults::setStoreFile(g_scratch->filePath("defaults.ini"));

    int rc = RUN_ALL_TESTS();
    g_scratch.reset();
    return rc;
}
