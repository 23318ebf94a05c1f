// Files that came from anywhere are read only when they are regular files,
// and only up to a bound: a FIFO is refused rather than waited on, a device
// rather than read for ever, a file past the bound before its first byte.

#include "platform/RegularFile.h"
#include "support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString scratch(const char* name)
{
    return TestSupport::scratchDir() + QStringLiteral("/regular-") + QLatin1String(name);
}

TEST(RegularFile, OnlyARegularFileWithinTheBoundIsRead)
{
    const QString small = scratch("small");
    {
        QFile f(small);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("twelve bytes");
    }
    // A file whose size says gigabytes while it takes no room on the disk.
    const QString sparse = scratch("sparse");
    {
        const int fd = ::open(QFile::encodeName(sparse).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t(3) << 30), 0);
        ::close(fd);
    }
    const QString fifo = scratch("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = scratch("zero.vexa");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    const QString unreadable = scratch("unreadable");
    {
        QFile f(unreadable);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ::chmod(QFile::encodeName(unreadable).constData(), 0);
    const bool root = ::geteuid() == 0; // reads whatever the mode says

    using RegularFile::Outcome;
    const struct {
        const char* what;
        QString path;
        qint64 bound;
        Outcome outcome;
        QString message; // "" when read
    } cases[] = {
        {"a small file", small, 100, Outcome::Read, QString()},
        {"exactly the bound", small, 12, Outcome::Read, QString()},
        {"one byte past the bound", small, 11, Outcome::TooLarge,
         small + QStringLiteral(" is too large to open (12 bytes; at most 11 bytes can be read)")},
        {"a sparse file of 3 GB", sparse, qint64(1) << 30, Outcome::TooLarge,
         sparse + QStringLiteral(" is too large to open (3.22 GB; at most 1.07 GB can be read)")},
        {"a FIFO", fifo, 100, Outcome::NotRegular, fifo + QStringLiteral(" is not a regular file")},
        {"a link to /dev/zero", zero, qint64(1) << 30, Outcome::NotRegular,
         zero + QStringLiteral(" is not a regular file")},
        {"a folder", TestSupport::scratchDir(), 100, Outcome::NotRegular,
         TestSupport::scratchDir() + QStringLiteral(" is not a regular file")},
        {"nothing there", scratch("none"), 100, Outcome::Missing,
         scratch("none") + QStringLiteral(" does not exist")},
        {"no permission", unreadable, 100, root ? Outcome::Read : Outcome::Unreadable,
         root ? QString() : unreadable + QStringLiteral(" could not be read: Permission denied")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const RegularFile::Contents got = RegularFile::read(c.path, c.bound);
        EXPECT_EQ(got.outcome, c.outcome);
        EXPECT_EQ(RegularFile::message(got, c.path), c.message);
        if (c.outcome == Outcome::Read)
            EXPECT_EQ(got.bytes, c.path == small ? QByteArray("twelve bytes") : QByteArray());
        else
            EXPECT_TRUE(got.bytes.isEmpty());
    }
}

} // namespace
