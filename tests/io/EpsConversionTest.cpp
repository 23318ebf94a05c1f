// Which EPS module a program would load: the one installed beside it, and
// never one from a folder that someone else could have filled.

#include "io/EpsConversion.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

TEST(EpsConversion, AnInstalledProgramLoadsTheModuleBesideItOnlyFromAFolderNobodyElseCanWrite)
{
    const QString prefix = TestSupport::scratchDir() + QStringLiteral("/prefix");
    const QString lib = prefix + QStringLiteral("/lib/vexa");
    ASSERT_TRUE(QDir().mkpath(lib));
    ASSERT_TRUE(QDir().mkpath(prefix + QStringLiteral("/bin")));
    QFile module(lib + QStringLiteral("/libvexa_eps.so"));
    ASSERT_TRUE(module.open(QIODevice::WriteOnly));
    module.close();
    const QString installed = QFileInfo(module.fileName()).canonicalFilePath();

    EXPECT_EQ(EpsConversion::moduleCandidates(prefix + QStringLiteral("/bin")).value(0), installed);
    EXPECT_EQ(EpsConversion::moduleFileFor(prefix + QStringLiteral("/bin")), installed);

    // Not installed as <prefix>/bin: no folder beside it is searched.
    for (const QString& dir : {prefix, prefix + QStringLiteral("/lib"), QString()}) {
        SCOPED_TRACE(dir.toStdString());
        EXPECT_FALSE(EpsConversion::moduleCandidates(dir).contains(installed));
    }

    // A folder writable by everyone could hold anyone's code.
    const QFile::Permissions folder = QFile::permissions(lib);
    ASSERT_TRUE(QFile::setPermissions(lib, folder | QFile::WriteOther | QFile::ExeOther | QFile::ReadOther));
    EXPECT_NE(EpsConversion::moduleFileFor(prefix + QStringLiteral("/bin")), installed);
    QFile::setPermissions(lib, folder);
}
