#include "support/TestSupport.h"

#include "platform/CNumber.h"
#include "platform/RuntimeDirectory.h"
#include "platform/UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

namespace {

// Everything a test run makes goes into one scratch directory, removed at the
// end. A death test's child runs this program once more and ends with _Exit,
// which removes nothing: its scratch directory lies inside the parent's, and
// goes with it.
void makeScratch(const char* program)
{
    const QString parentScratch = qEnvironmentVariable("VEXA_TEST_SCRATCH");
    if (!parentScratch.isEmpty() && QFileInfo(parentScratch).isDir()) {
        g_scratch = std::make_unique<QTemporaryDir>(parentScratch + QStringLiteral("/child-XXXXXX"));
    } else {
        const QString name = QFileInfo(QFile::decodeName(program)).fileName();
        g_scratch = std::make_unique<QTemporaryDir>(QDir::tempPath() + QLatin1Char('/') + name
                                                    + QStringLiteral("-XXXXXX"));
        qputenv("VEXA_TEST_SCRATCH", QFile::encodeName(g_scratch->path()));
    }
    // Qt's runtime directory too, rather than one that outlives the run;
    // the programs that tests start inherit it.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = g_scratch->filePath(QStringLiteral("runtime"));
        if (QDir().mkpath(runtime)
            && QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    makeScratch(argv[0]);
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
    UserDefaults::setStoreFile(g_scratch->filePath("defaults.ini"));

    int rc = RUN_ALL_TESTS();
    // The settings store writes what it still holds when it closes: closed
    // here, while its folder is there, rather than at exit, when it would
    // make the removed folder anew.
    UserDefaults::setStoreFile(g_scratch->filePath("defaults.ini"));
    g_scratch.reset();
    return rc;
}
