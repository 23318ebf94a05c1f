#include "platform/ResourceLocator.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QString makeDir(const QString& relative, mode_t mode = 0755)
{
    const QString path = TestSupport::scratchDir() + QStringLiteral("/locator/") + relative;
    QDir().mkpath(path);
    ::chmod(QFile::encodeName(path).constData(), mode);
    return QFileInfo(path).canonicalFilePath();
}

TEST(ResourceLocator, OnlyTheInstallFolderAndTheSourceTreeQualify)
{
    const QString source = makeDir(QStringLiteral("source/resources"));
    const QString installed = makeDir(QStringLiteral("prefix/share/vexa"));
    makeDir(QStringLiteral("prefix/bin"));
    makeDir(QStringLiteral("prefix/libexec"));
    // Folders a stranger could have made: above a build tree, and an install
    // folder that everyone may write to.
    makeDir(QStringLiteral("build/resources"));
    makeDir(QStringLiteral("build/src/app"));
    makeDir(QStringLiteral("build/src/app/resources"));
    makeDir(QStringLiteral("open/bin"));
    makeDir(QStringLiteral("open/share/vexa"), 0777);
    const QString base = TestSupport::scratchDir() + QStringLiteral("/locator/");

    const struct {
        const char* what;
        QString executableDir;
        QString source;
        QStringList roots;
    } cases[] = {
        {"installed", base + "prefix/bin", source, {installed, source}},
        {"installed, no source tree compiled in", base + "prefix/bin", {}, {installed}},
        {"not in a bin folder", base + "prefix/libexec", source, {source}},
        {"build tree: no ancestors, no folder beside it", base + "build/src/app", source, {source}},
        {"world-writable install folder", base + "open/bin", source, {source}},
        {"source tree missing", base + "build/src/app", base + "nowhere", {}},
        {"relative source folder", base + "build/src/app", QStringLiteral("resources"), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ResourceLocator::resourceRootsFor(c.executableDir, c.source), c.roots);
    }
}

TEST(ResourceLocator, PathsStayInsideTheRoot)
{
    // The test program lies in a build tree: its resources are the source
    // tree's.
    const QString script = ResourceLocator::resourcePath(QStringLiteral("perl/parsemacro.pl"));
    EXPECT_TRUE(QFileInfo(script).isFile()) << script.toStdString();
    EXPECT_TRUE(script.startsWith(QFileInfo(ResourceLocator::sourceResources()).canonicalFilePath()));

    for (const char* relative :
         {"", "perl/none.pl", "../CMakeLists.txt", "perl/../../CMakeLists.txt", "/etc/passwd"}) {
        SCOPED_TRACE(relative);
        EXPECT_TRUE(ResourceLocator::resourcePath(QString::fromLatin1(relative)).isEmpty());
    }
}

// A script or module that someone else could have written is not used,
// however trusted its folder: not writable by group or others, owned by
// this user or root.
TEST(ResourceLocator, OnlyFilesNobodyElseCanWriteAreTrusted)
{
    const QString folder = makeDir(QStringLiteral("files"));
    auto file = [&folder](const char* name, mode_t mode, uid_t owner = ::geteuid()) {
        const QString path = folder + QLatin1Char('/') + QLatin1String(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("print 1;\n");
        f.close();
        ::chmod(QFile::encodeName(path).constData(), mode);
        if (owner != ::geteuid())
            (void)::chown(QFile::encodeName(path).constData(), owner, gid_t(-1));
        return path;
    };
    const struct {
        const char* what;
        QString path;
        bool trusted;
    } cases[] = {
        {"mode 644", file("pfpre.pl", 0644), true},
        {"mode 600", file("own.pl", 0600), true},
        {"writable by everyone (666)", file("open.pl", 0666), false},
        {"writable by the group (664)", file("group.pl", 0664), false},
        {"a folder", folder, false},
        {"nothing there", folder + QStringLiteral("/none.pl"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ResourceLocator::trustedFile(c.path), c.trusted);
    }
    // Another user's file: only root can make one to show it.
    if (::geteuid() == 0) {
        EXPECT_FALSE(ResourceLocator::trustedFile(file("stranger.pl", 0644, 65534)));
    }

    // The program's own scripts pass.
    const QString script = ResourceLocator::resourcePath(QStringLiteral("perl/parsemacro.pl"));
    ASSERT_TRUE(ResourceLocator::trustedFile(script));
}

} // namespace
