#include "util/TempFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

TEST(TempFiles, NamedByThePatternPrivateAndRemovedWithTheObject)
{
    QString path;
    {
        auto f = makeTempFile();
        ASSERT_NE(f, nullptr);
        path = f->path();
        EXPECT_EQ(QFileInfo(path).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
        EXPECT_TRUE(
            QRegularExpression("^vexa2_[0-9A-Za-z]{12}\\.tmp$").match(QFileInfo(path).fileName()).hasMatch())
            << path.toStdString();
        EXPECT_EQ(QFile::permissions(path) & 0x0FFF
                      & ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
                  0);
        EXPECT_TRUE(f->write("abc"));
    }
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace
