#include "IoFakes.h"

#include "io/ASCIIExportFile.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstring>
#include <string>

#include <sys/resource.h>

namespace {

using namespace IoTest;

// Switches the C library's numbers to the German decimal comma for the
// scope, when that locale is installed.
class GermanNumbers {
public:
    GermanNumbers()
            : previous_(std::setlocale(LC_NUMERIC, nullptr))
    {
        active_ = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr
            && std::string(std::localeconv()->decimal_point) == ",";
    }
    ~GermanNumbers() { std::setlocale(LC_NUMERIC, previous_.c_str()); }
    bool active() const { return active_; }

private:
    std::string previous_;
    bool active_ = false;
};

class ASCIIExportTest : public ::testing::Test {
protected:
    FakeManager manager;
    VexaDocument doc;

    ASCIIExportTest()
    {
        doc.M = &manager;
        for (int i = 0; i < 3; ++i) {
            auto b = std::make_unique<DataBuffer>();
            b->addDoubleValue(i + 0.5, 1.0 / 3.0);
            b->addDoubleValue(-1e-300, 12345678.25);
            doc.DB.push_back(std::move(b));
        }
        doc.DB[2]->addError();
        doc.DB[2]->setYDoubleErrorAt(1, 0.125);
    }
};

TEST_F(ASCIIExportTest, SelectedBuffersGoToNumberedFilesWithoutTheLocale)
{
    GermanNumbers german;
    if (!german.active())
        GTEST_SKIP() << "German locale not installed";
    const QString path = scratchPath(QStringLiteral("export"));
    manager.selectedRows = {0, 2, 7}; // a row past the list writes nothing
    ASSERT_TRUE(ASCIIExportFile::exportASCII(doc, path).ok());

    EXPECT_EQ(readAll(path + QStringLiteral(".0")),
              QByteArray("0.5\t0.3333333333333333\n-1e-300\t12345678.25\n"));
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".1")));
    EXPECT_EQ(readAll(path + QStringLiteral(".2")),
              QByteArray("2.5\t0.3333333333333333\t0\t0\n-1e-300\t12345678.25\t0\t0.125\n"));
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".7")));
}

TEST_F(ASCIIExportTest, UnwritableFileIsReportedAndTheOthersStillWritten)
{
    const QString dir = scratchPath(QStringLiteral("partly"));
    ASSERT_TRUE(QDir().mkpath(dir + QStringLiteral("/out.1"))); // a directory where file 1 should go
    manager.selectedRows = {0, 1};
    const Outcome refused = ASCIIExportFile::exportASCII(doc, dir + QStringLiteral("/out"));
    EXPECT_EQ(refused.kind(), Outcome::Kind::Failed);
    EXPECT_EQ(refused.title(), QStringLiteral("Export Error"));
    EXPECT_TRUE(refused.message().contains(QStringLiteral("out.1")));
    EXPECT_TRUE(QFileInfo(dir + QStringLiteral("/out.0")).isFile());

    EXPECT_FALSE(ASCIIExportFile::exportASCII(doc, scratchPath(QStringLiteral("no/such/dir/out"))).ok());
}

// An export that fails half-way (a full disk; the file-size limit stands in,
// as it binds the superuser too) leaves the file it would have replaced byte
// for byte, and says why in the system's words.
TEST_F(ASCIIExportTest, AFailingExportLeavesTheOldFileAsItWas)
{
    auto big = std::make_unique<DataBuffer>();
    for (int i = 0; i < 10000; ++i)
        big->quickAddDoubleValue(i, i / 3.0);
    doc.DB.push_back(std::move(big));
    const QString dir = scratchPath(QStringLiteral("full"));
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString path = dir + QStringLiteral("/out");
    const QByteArray older("1\t2\n3\t4\n");
    {
        QFile f(ASCIIExportFile::fileName(path, 3));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(older);
    }
    manager.selectedRows = {3};

    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const Outcome written = ASCIIExportFile::exportASCII(doc, path);
    const bool ok = written.ok();
    const QString error = written.message();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.contains(QString::fromLocal8Bit(std::strerror(EFBIG)))) << error.toStdString();
    EXPECT_EQ(readAll(ASCIIExportFile::fileName(path, 3)), older);
    EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList{"out.3"});
}

} // namespace
