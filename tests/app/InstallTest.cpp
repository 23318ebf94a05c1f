// The program installed as `make install` installs it, into a prefix of its
// own: it runs there on the resources, help pages and EPS module installed
// with it, and offers itself to the desktop for its three kinds of file.

#include "io/EpsConversion.h"
#include "platform/ResourceLocator.h"
#include "support/ChildProcess.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

QString readText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

TEST(Install, IntoAPrefixTheProgramRunsOnTheResourcesInstalledWithIt)
{
    // build/.../tests/test_app -> the build tree, whose install rules make
    // install runs.
    const QString build
        = QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/..")).canonicalFilePath();
    const QString work = TestSupport::scratchDir();
    const QString prefix = work + QStringLiteral("/prefix");
    const TestSupport::ChildRun install
        = TestSupport::runChild(QStringLiteral("cmake"), {"--install", build, "--prefix", prefix}, work);
    ASSERT_TRUE(install.finished);
    ASSERT_EQ(install.exitCode, 0) << install.out.toStdString() << install.err.toStdString();

    // Everything in its place.
    const QString data = prefix + QStringLiteral("/share/vexa");
    for (const char* file :
         {"/bin/vexa", "/lib/vexa/libvexa_eps.so", "/lib/vexa/libvexa_mysql.so", "/lib/vexa/libvexa_ca.so",
          "/lib/vexa/libvexa_print.so", "/share/vexa/perl/parsemacro.pl", "/share/vexa/doc/index.html",
          "/share/vexa/doc/style.css", "/share/vexa/examples/build-graph.mac",
          "/share/applications/vexa.desktop", "/share/mime/packages/vexa.xml",
          "/share/icons/hicolor/scalable/apps/vexa.svg"})
        EXPECT_TRUE(QFileInfo(prefix + QLatin1String(file)).isFile()) << file;
    EXPECT_TRUE(QFileInfo(prefix + QStringLiteral("/bin/vexa")).isExecutable());
    const QString sourceDoc = ResourceLocator::resourcePath(QStringLiteral("doc"));
    for (const QString& page : QDir(sourceDoc).entryList(QDir::Files))
        EXPECT_TRUE(QFileInfo(data + QStringLiteral("/doc/") + page).isFile()) << page.toStdString();

    // The menu entry starts the installed program with the files it is
    // given, for the three kinds of file the shared MIME description names.
    const QString entry = readText(prefix + QStringLiteral("/share/applications/vexa.desktop"));
    EXPECT_TRUE(entry.startsWith(QStringLiteral("[Desktop Entry]\n")));
    EXPECT_TRUE(entry.contains(QStringLiteral("\nExec=%1/bin/vexa %F\n").arg(prefix))) << entry.toStdString();
    EXPECT_TRUE(entry.contains(QStringLiteral("\nIcon=vexa\n")));
    const QString types = readText(prefix + QStringLiteral("/share/mime/packages/vexa.xml"));
    const struct {
        const char* type;
        const char* glob;
    } kinds[] = {{"application/x-vexa-document", "*.vexa"},
                 {"application/x-vexa-macros", "*.mavexa"},
                 {"application/x-vexa-queries", "*.myvexa"}};
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.type);
        EXPECT_TRUE(entry.contains(QLatin1String(k.type) + QLatin1Char(';')));
        const int at = types.indexOf(QStringLiteral("<mime-type type=\"%1\">").arg(QLatin1String(k.type)));
        ASSERT_GE(at, 0);
        EXPECT_EQ(types.indexOf(QStringLiteral("<glob pattern=\"%1\"/>").arg(QLatin1String(k.glob))),
                  types.indexOf(QStringLiteral("<glob pattern="), at));
    }

    // Built as make install builds it, without the source tree compiled in,
    // the program has the prefix as its only resource folder, and the
    // folder holds all it reads.
    const QString installedData = QFileInfo(data).canonicalFilePath();
    EXPECT_EQ(ResourceLocator::resourceRootsFor(prefix + QStringLiteral("/bin"), QString()),
              QStringList{installedData});
    // This copy has it first: it says so, and a macro runs through the
    // installed tokeniser and exports through the installed EPS module.
    const QString program = prefix + QStringLiteral("/bin/vexa");
    const TestSupport::ChildRun version = TestSupport::runChild(program, {"--version"}, work);
    ASSERT_TRUE(version.finished);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.contains(QStringLiteral("\nResources: %1").arg(installedData)))
        << version.out.toStdString();
    const QString module = QFileInfo(prefix + QStringLiteral("/lib/vexa/libvexa_eps.so")).canonicalFilePath();
    const struct {
        const char* what;
        const char* file;
    } modules[] = {{"EPS module", "libvexa_eps.so"},
                   {"MySQL module", "libvexa_mysql.so"},
                   {"Channel Access module", "libvexa_ca.so"},
                   {"Print module", "libvexa_print.so"}};
    for (const auto& m : modules) {
        const QString file
            = QFileInfo(prefix + QStringLiteral("/lib/vexa/") + QLatin1String(m.file)).canonicalFilePath();
        EXPECT_TRUE(version.out.contains(QStringLiteral("\n%1: %2\n").arg(QLatin1String(m.what), file)))
            << version.out.toStdString();
    }
    EXPECT_EQ(EpsConversion::moduleFileFor(prefix + QStringLiteral("/bin")), module);
    QFile macro(work + QStringLiteral("/installed.mac"));
    ASSERT_TRUE(macro.open(QIODevice::WriteOnly));
    macro.write("fg 1 0 10 11 'x*x'\nprint nb ymax(0)\nsaveeps '" + work.toUtf8() + "/installed.eps'\n");
    macro.close();
    const TestSupport::ChildRun hidden
        = TestSupport::runChild(program, {"-m", macro.fileName(), "-h", "yes", "-q", "yes"}, work);
    ASSERT_TRUE(hidden.finished);
    EXPECT_EQ(hidden.exitCode, 0) << hidden.err.toStdString();
    EXPECT_EQ(hidden.out, QStringLiteral("1 100 \n"));
    QFile eps(work + QStringLiteral("/installed.eps"));
    ASSERT_TRUE(eps.open(QIODevice::ReadOnly));
    const QByteArray head = eps.read(4096);
    EXPECT_TRUE(head.startsWith("%!PS-Adobe-3.0 EPSF-3.0\n")) << head.left(40).toStdString();
    EXPECT_TRUE(head.contains("\n%%BoundingBox: 0 0 "));
}
