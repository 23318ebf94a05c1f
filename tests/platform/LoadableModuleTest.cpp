// A module is loaded on first use, only from a file that is there and
// answers to its entry point; when it cannot be, the reason is kept for the
// message instead of a quiet null.

#include "platform/LoadableModule.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include <cmath>

#include <dlfcn.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

// A shared object certainly there: the Qt core library this test runs on.
QString qtCoreFile()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&qVersion), &info) || !info.dli_fname)
        return QString();
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).canonicalFilePath();
}

// A small library of no global state, safe to load a second copy of.
QString mathLibraryFile()
{
    Dl_info info{};
    double (*cubeRoot)(double) = &::cbrt;
    if (!dladdr(reinterpret_cast<void*>(cubeRoot), &info) || !info.dli_fname)
        return QString();
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).canonicalFilePath();
}

} // namespace

// A module anyone may write to is not loaded, in a good folder as well.
TEST(LoadableModule, AModuleOthersCanWriteIsNotLoaded)
{
    const QString library = mathLibraryFile();
    ASSERT_FALSE(library.isEmpty());
    const QString copy = TestSupport::scratchDir() + QStringLiteral("/libvexa_eps.so");
    QFile::remove(copy);
    ASSERT_TRUE(QFile::copy(library, copy));
    for (const mode_t mode : {0666, 0664, 0644}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(::chmod(QFile::encodeName(copy).constData(), mode), 0);
        LoadableModule module(QStringLiteral("libvexa_eps.so"), copy, "cbrt");
        const bool trusted = mode == 0644;
        EXPECT_EQ(module.function("cbrt") != nullptr, trusted);
        EXPECT_EQ(module.errorString().contains(QStringLiteral("others may write to it")), !trusted)
            << module.errorString().toStdString();
    }
}

TEST(LoadableModule, LoadsOnlyAFileThatIsThereAndAnswersToItsEntryPointAndSaysWhyNot)
{
    const QString qtCore = qtCoreFile();
    ASSERT_FALSE(qtCore.isEmpty());
    const QString garbage = TestSupport::scratchDir() + QStringLiteral("/libvexa_garbage.so");
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("no shared object at all");
    file.close();
    const QString missing = TestSupport::scratchDir() + QStringLiteral("/libvexa_missing.so");

    const struct {
        const char* what;
        QString path;
        const char* entryPoint;
        bool loads;
        QString reason; // a part of the error text
    } cases[] = {
        {"a library with the entry point", qtCore, "qVersion", true, QString()},
        {"no file", missing, "qVersion", false,
         QStringLiteral("libvexa_missing.so was not found (looked for %1)").arg(missing)},
        {"no library", garbage, "qVersion", false, garbage},
        {"another library", qtCore, "vexaNoSuchEntry", false,
         qtCore + QStringLiteral(" is no module of this program")},
        {"no path at all", QString(), "qVersion", false,
         QStringLiteral("was not found (looked for nothing)")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LoadableModule module(QFileInfo(c.path).fileName(), c.path, c.entryPoint);
        EXPECT_EQ(module.function(c.entryPoint) != nullptr, c.loads);
        // Asked again, the answer stays: the module is tried once.
        EXPECT_EQ(module.function(c.entryPoint) != nullptr, c.loads);
        const QString error = module.errorString();
        EXPECT_EQ(error.isEmpty(), c.loads) << error.toStdString();
        EXPECT_TRUE(error.contains(c.reason)) << error.toStdString();
    }
}
