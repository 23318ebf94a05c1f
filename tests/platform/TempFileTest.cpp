#include "platform/TempFile.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// Hands out the given names in turn.
std::function<QByteArray()> names(QList<QByteArray> list)
{
    auto queue = std::make_shared<QList<QByteArray>>(std::move(list));
    return [queue] { return queue->isEmpty() ? QByteArray("exhausted") : queue->takeFirst(); };
}

QString scratch()
{
    return TestSupport::scratchDir();
}

mode_t modeOf(const QString& path)
{
    struct stat st { };
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_mode & 07777;
}

TEST(TempFile, CreatesPrivateFileWritesItAndRemovesItWithCompanions)
{
    QString path, log;
    {
        QString error;
        auto tf = TempFile::create(names({"Ab12Cd34Ef56"}), ".tmp", scratch(), &error);
        ASSERT_TRUE(tf) << error.toStdString();
        path = tf->path();
        EXPECT_EQ(path, scratch() + "/vexa2_Ab12Cd34Ef56.tmp");
        EXPECT_EQ(modeOf(path), mode_t(0600));
        EXPECT_TRUE(tf->write("first line\n"));
        EXPECT_TRUE(tf->write(QByteArray(100000, 'x')));
        EXPECT_TRUE(tf->close());
        EXPECT_FALSE(tf->write("after close"));
        EXPECT_EQ(QFileInfo(path).size(), 11 + 100000);

        log = tf->createCompanion(".log", &error);
        ASSERT_EQ(log, path + ".log") << error.toStdString();
        EXPECT_EQ(modeOf(log), mode_t(0600));
        EXPECT_TRUE(tf->createCompanion(".log").isEmpty()); // already there
        EXPECT_TRUE(QFile::exists(log)); // and not removed by that refusal
        EXPECT_EQ(tf->companions(), QStringList{log});
    }
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(QFile::exists(log));
}

TEST(TempFile, TakenNameIsRetriedAndNeverOverwritten)
{
    const QString taken = scratch() + "/vexa2_taken.tmp";
    {
        QFile f(taken);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not ours");
    }
    // A symbolic link planted under the next name must not be followed.
    const QString target = scratch() + "/victim";
    const QString planted = scratch() + "/vexa2_planted.tmp";
    ASSERT_TRUE(QFile::link(target, planted));
    {
        auto tf = TempFile::create(names({"taken", "planted", "free"}), ".tmp", scratch());
        ASSERT_TRUE(tf);
        EXPECT_EQ(QFileInfo(tf->path()).fileName(), "vexa2_free.tmp");
    }
    EXPECT_FALSE(QFile::exists(target));
    QFile f(taken);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "not ours");
    QFile::remove(taken);
    QFile::remove(planted);
}

TEST(TempFile, GivesUpWhenEveryNameIsTaken)
{
    const QString taken = scratch() + "/vexa2_always.tmp";
    QFile f(taken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    int calls = 0;
    QString error;
    auto tf = TempFile::create(
        [&] {
            ++calls;
            return QByteArray("always");
        },
        ".tmp", scratch(), &error);
    EXPECT_FALSE(tf);
    EXPECT_EQ(calls, TempFile::maxAttempts);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFile::exists(taken));
    QFile::remove(taken);
}

TEST(TempFile, RejectsNamesAndSuffixesThatCouldLeaveTheDirectory)
{
    const char* badNames[] = {"", "../x", "a/b", "a.b", "a b", "abc\xc3\xa9", "a\nb"};
    for (const char* bad : badNames) {
        QString error;
        EXPECT_FALSE(TempFile::create(names({QByteArray(bad)}), ".tmp", scratch(), &error)) << bad;
        EXPECT_FALSE(error.isEmpty()) << bad;
    }
    EXPECT_FALSE(TempFile::create(names({QByteArray("a\0b", 3)}), ".tmp", scratch()));
    EXPECT_FALSE(TempFile::create(names({"ok"}), "/../../x", scratch()));
    EXPECT_FALSE(TempFile::create(nullptr, ".tmp", scratch()));

    auto tf = TempFile::create(names({"okay"}), ".tmp", scratch());
    ASSERT_TRUE(tf);
    for (const char* bad : {"", "/x", "/../../escape", ".."})
        EXPECT_TRUE(tf->createCompanion(bad).isEmpty()) << bad;
    EXPECT_TRUE(tf->companions().isEmpty());
    EXPECT_EQ(QDir(scratch()).entryList({"vexa2_*"}, QDir::Files | QDir::System),
              QStringList{"vexa2_okay.tmp"});
}

TEST(TempFile, DefaultsToTheTemporaryDirectoryAndReportsMissingOnes)
{
    {
        auto tf = TempFile::create(names({"vexaTempFileTest1"}));
        ASSERT_TRUE(tf);
        EXPECT_EQ(QFileInfo(tf->path()).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    }
    QString error;
    EXPECT_FALSE(TempFile::create(names({"x"}), ".tmp", scratch() + "/no/such/dir", &error));
    EXPECT_TRUE(error.contains("no/such/dir"));
}

// What a termination signal's handler does: every temporary file there is
// goes, a file already renamed to its target does not.
TEST(TempFile, AllCanBeRemovedAtOnceExceptThoseGivenAway)
{
    auto a = TempFile::create(names({"signalA"}), ".tmp", scratch());
    auto b = TempFile::create(names({"signalB"}), ".tmp", scratch());
    ASSERT_TRUE(a && b);
    const QString log = a->createCompanion(".log");
    const QString target = scratch() + "/kept-target";
    ASSERT_TRUE(b->renameTo(target));
    EXPECT_TRUE(b->path().isEmpty());
    TempFile::removeAllNow();
    EXPECT_FALSE(QFile::exists(scratch() + "/vexa2_signalA.tmp"));
    EXPECT_FALSE(QFile::exists(log));
    EXPECT_TRUE(QFile::exists(target));
    b.reset();
    EXPECT_TRUE(QFile::exists(target));
    QFile::remove(target);
}

} // namespace
