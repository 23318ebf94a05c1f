#include "platform/AtomicFile.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString scratch(const QString& name)
{
    return TestSupport::scratchDir() + QStringLiteral("/atomic/") + name;
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void put(const QString& path, const QByteArray& bytes, mode_t mode = 0644)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    f.close();
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

struct stat statOf(const QString& path)
{
    struct stat st = {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

// Everything in the folder besides the expected files: a temporary file
// left behind shows up here.
QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
}

// A group this process may give its files other than its own.
gid_t otherGroup()
{
    if (::geteuid() == 0)
        return ::getegid() == 4242 ? 4243 : 4242;
    gid_t groups[64];
    const int n = ::getgroups(64, groups);
    for (int i = 0; i < n; ++i)
        if (groups[i] != ::getegid())
            return groups[i];
    return gid_t(-1);
}

TEST(AtomicFile, ReplacesTheFileKeepingItsModeOwnerAndGroup)
{
    const QString path = scratch("kept/doc.txt");
    put(path, "old contents", 0640);
    const gid_t group = otherGroup();
    if (group != gid_t(-1)) {
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), uid_t(-1), group), 0);
    }

    QString error;
    ASSERT_TRUE(AtomicFile::writeFile(path, "new contents", &error)) << error.toStdString();
    EXPECT_EQ(bytesOf(path), "new contents");
    const struct stat st = statOf(path);
    EXPECT_EQ(st.st_mode & 07777, mode_t(0640));
    if (group != gid_t(-1)) {
        EXPECT_EQ(st.st_gid, group);
    }
    EXPECT_EQ(entries(scratch("kept")), QStringList{"doc.txt"});

    // A new file gets the usual mode of new files, not the temporary
    // file's private one.
    const QString fresh = scratch("kept/new.txt");
    ASSERT_TRUE(AtomicFile::writeFile(fresh, "x", &error)) << error.toStdString();
    const mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_EQ(statOf(fresh).st_mode & 0777, 0666 & ~mask);

    // The superuser saving another user's file leaves it that user's.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 4242, 4243), 0);
        ASSERT_TRUE(AtomicFile::writeFile(path, "saved by root", &error)) << error.toStdString();
        EXPECT_EQ(bytesOf(path), "saved by root");
        EXPECT_EQ(statOf(path).st_uid, uid_t(4242));
        EXPECT_EQ(statOf(path).st_gid, gid_t(4243));
        EXPECT_EQ(statOf(path).st_mode & 07777, mode_t(0640));
    }
}

TEST(AtomicFile, LinksAreFollowedAndDevicesWrittenStraight)
{
    const QString real = scratch("links/real.txt");
    put(real, "old");
    const QString link = scratch("links/link.txt");
    ASSERT_TRUE(QFile::link(real, link));
    QString error;
    ASSERT_TRUE(AtomicFile::writeFile(link, "through the link", &error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(bytesOf(real), "through the link");

    EXPECT_TRUE(AtomicFile::writeFile(QStringLiteral("/dev/null"), "gone", &error)) << error.toStdString();

    EXPECT_FALSE(AtomicFile::writeFile(scratch("links"), "a folder", &error));
    EXPECT_TRUE(error.contains(QString::fromLocal8Bit(std::strerror(EISDIR)))) << error.toStdString();
    EXPECT_FALSE(AtomicFile::writeFile(scratch("no/such/folder/file"), "x", &error));
    EXPECT_FALSE(error.isEmpty());
}

// A disk that fills up half-way: the file-size limit binds even the
// superuser. The old file stays byte for byte, the reason is the system's,
// and no temporary file is left.
TEST(AtomicFile, AFailedWriteLeavesTheOldFileAndSaysWhy)
{
    const QString path = scratch("full/data.txt");
    const QByteArray older("the older contents\n");
    put(path, older);

    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    AtomicFile file(path);
    const bool opened = file.open();
    const bool wrote = file.write(QByteArray(100000, 'x'));
    const bool committed = file.commit();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_TRUE(opened);
    EXPECT_FALSE(wrote);
    EXPECT_FALSE(committed);
    EXPECT_TRUE(file.errorString().contains(QString::fromLocal8Bit(std::strerror(EFBIG))))
        << file.errorString().toStdString();
    EXPECT_TRUE(file.errorString().contains(path));
    EXPECT_EQ(bytesOf(path), older);
    EXPECT_EQ(entries(scratch("full")), QStringList{"data.txt"});
}

// Where no file can be made beside the target, the target is not written in
// place (a failure half-way would cut it off): it stays as it was. The
// superuser may create files anywhere, so the test drops to an ordinary user
// in a child process; anyone else just takes away the folder's write right.
TEST(AtomicFile, WithoutRoomForATemporaryFileTheTargetIsLeftAlone)
{
    const QString folder = scratch("locked");
    const QString path = folder + QStringLiteral("/data.txt");
    const QByteArray older("the older contents\n");
    put(path, older, 0666);
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    // The ordinary user must reach the file.
    for (const QString& up : {TestSupport::scratchDir(), scratch(QString())})
        ASSERT_EQ(::chmod(QFile::encodeName(up).constData(), 0711), 0);

    // The death test's child runs this test again up to here, in a scratch
    // folder of its own: it checks the outcome itself.
    const auto writeAsAnOrdinaryUser = [&path, &folder, &older] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            std::_Exit(3);
        // The file itself could be written in place.
        if (::access(QFile::encodeName(path).constData(), W_OK) != 0)
            std::_Exit(4);
        QString error;
        if (AtomicFile::writeFile(path, "new", &error))
            std::_Exit(1);
        const bool untouched = bytesOf(path) == older && entries(folder) == QStringList{"data.txt"};
        std::_Exit(!untouched ? 2 : error.contains(path) ? 0 : 5);
    };
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(writeAsAnOrdinaryUser(), ::testing::ExitedWithCode(0), "");
    ::chmod(QFile::encodeName(folder).constData(), 0755);
}

} // namespace
