// The user-defaults store holds passwords: its file is the owner's alone.

#include "platform/UserDefaults.h"
#include "support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

mode_t modeOf(const QString& path)
{
    struct stat st { };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

TEST(UserDefaultsStore, FileIsOwnerOnlyWhetherNewOrOlderAndWider)
{
    const QString saved = UserDefaults::standard().storeFile();
    const QString fresh = TestSupport::scratchDir() + QStringLiteral("/sub/fresh.ini");
    const QString wide = TestSupport::scratchDir() + QStringLiteral("/wide.ini");
    {
        QFile f(wide);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[General]\nkept=1\n");
    }
    ASSERT_EQ(::chmod(QFile::encodeName(wide).constData(), 0644), 0);

    for (const QString& path : {fresh, wide}) {
        UserDefaults::setStoreFile(path);
        UserDefaults::standard().setValue(QStringLiteral("MySQLQueries"), QByteArray("secret"));
        EXPECT_EQ(modeOf(path), mode_t(0600)) << path.toStdString();
        EXPECT_EQ(UserDefaults::standard().dataForKey(QStringLiteral("MySQLQueries")), QByteArray("secret"));
    }
    EXPECT_EQ(UserDefaults::standard().integerForKey(QStringLiteral("kept")), 1)
        << "an older store keeps its values";
    UserDefaults::setStoreFile(saved);
}

} // namespace
