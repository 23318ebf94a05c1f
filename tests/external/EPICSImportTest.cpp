// Channel Access reads against the project's loopback test server: arrays
// into buffers, one value into a variable, the settings in the library's
// environment, and every refusal: a variable nobody serves, counts that
// differ, a circuit lost in the middle of a reply, an absurd array size.

#include "io/EPICSImport.h"

#include "ServerFixtures.h"
#include "app/Manager.h"
#include "io/ChannelAccess.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>

#include <fcntl.h>
#include <unistd.h>

namespace {

using ServerFixtures::documentWithOneBuffer;

// What the code under test wrote to standard error.
QByteArray standardErrorOf(const std::function<void()>& run)
{
    const QString path = TestSupport::scratchDir() + QStringLiteral("/stderr.txt");
    const int file = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int saved = ::dup(2);
    ::dup2(file, 2);
    run();
    errlogFlush();
    ::dup2(saved, 2);
    ::close(saved);
    ::close(file);
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class EPICSImportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString why;
        auto ca = ServerFixtures::channelAccess(&why);
        ASSERT_TRUE(ca) << why.toStdString();
        server = *ca;
        // Only the test server is searched, and the client registers with
        // the repeater the test server plays.
        epicsEnvSet("EPICS_CA_AUTO_ADDR_LIST", "NO");
        epicsEnvSet("EPICS_CA_REPEATER_PORT", QByteArray::number(server.repeaterPort).constData());
        EPICSImport::setLaunchEnvironment();
        EPICSImport::setAddressList(server.addressList());
    }
    ServerFixtures::ChannelAccess server;
};

TEST_F(EPICSImportTest, SettingsReachTheLibrarysEnvironment)
{
    EXPECT_STREQ(std::getenv("EPICS_CA_MAX_ARRAY_BYTES"), "65536");
    EXPECT_STRNE(std::getenv("EPICS_HOST_ARCH"), nullptr);
    EXPECT_EQ(EPICSImport::maxArrayBytes(), 65536.0);
    EPICSImport::setMaxArrayBytes(QStringLiteral("1000000"));
    EXPECT_STREQ(std::getenv("EPICS_CA_MAX_ARRAY_BYTES"), "1000000");
    EXPECT_EQ(EPICSImport::maxArrayBytes(), 1e6);
    // Whole numbers in any notation reach the library in digits.
    EXPECT_TRUE(EPICSImport::setMaxArrayBytes(QStringLiteral("2.5e6")));
    EXPECT_STREQ(std::getenv("EPICS_CA_MAX_ARRAY_BYTES"), "2500000");
    // What the library cannot read never reaches it.
    for (const char* bad : {"12x", "", "-5", "1.5", "nan", "1e30"})
        EXPECT_FALSE(EPICSImport::setMaxArrayBytes(QLatin1String(bad))) << bad;
    EXPECT_STREQ(std::getenv("EPICS_CA_MAX_ARRAY_BYTES"), "2500000");
    epicsEnvSet("EPICS_CA_MAX_ARRAY_BYTES", "12x");
    EXPECT_EQ(EPICSImport::maxArrayBytes(), 16384.0) << "the library's default for what it cannot read";
    EXPECT_TRUE(EPICSImport::setMaxArrayBytes(QStringLiteral("1000000")));
    EPICSImport::setAddressList(QStringLiteral("127.0.0.1:1 127.0.0.2"));
    EXPECT_STREQ(std::getenv("EPICS_CA_ADDR_LIST"), "127.0.0.1:1 127.0.0.2");

    // The address list counts from the next read on: a list without the
    // server finds nothing, the list with it finds the variable.
    auto doc = documentWithOneBuffer();
    EXPECT_EQ(EPICSImport::importEPICS(*doc, QStringLiteral("vexa:wave10"), QString(), 0.5).code(),
              ChannelAccess::ECA_TIMEOUT);
    EPICSImport::setAddressList(server.addressList());
    EXPECT_TRUE(EPICSImport::importEPICS(*doc, QStringLiteral("vexa:wave10"), QString(), 3).ok());
    EXPECT_EQ(doc->DB.size(), 2u);
}

TEST_F(EPICSImportTest, ArraysBecomeOneBuffer)
{
    struct Case {
        const char* name;
        const char* x;
        const char* y;
        std::size_t points;
        std::function<std::pair<double, double>(int)> point;
        const char* comment;
    };
    const Case cases[] = {
        {"ten elements", "vexa:wave10", "", 10,
         [](int i) {
             return std::pair{double(i), double(i * i)};
         },
         "vexa:wave10"},
        {"x and y", "vexa:x10", "vexa:y10", 10,
         [](int i) {
             return std::pair{i + 0.5, 100.0 - i};
         },
         "vexa:x10 vexa:y10"},
        {"1000 elements", "vexa:wave1000", "", 1000,
         [](int i) {
             return std::pair{double(i), std::sin(i / 10.0)};
         },
         "vexa:wave1000"},
        {"100000 elements", "vexa:wave100000", "", 100000,
         [](int i) {
             return std::pair{double(i), i * 0.5};
         },
         "vexa:wave100000"},
        {"one value", "vexa:temp", "", 1,
         [](int) {
             return std::pair{0.0, 21.5};
         },
         "vexa:temp"},
    };
    EPICSImport::setMaxArrayBytes(QStringLiteral("1000000"));
    for (const Case& c : cases) {
        auto doc = documentWithOneBuffer();
        const Outcome outcome = EPICSImport::importEPICS(*doc, QLatin1String(c.x), QLatin1String(c.y), 3);
        ASSERT_TRUE(outcome.ok()) << c.name << ": " << outcome.message().toStdString();
        ASSERT_EQ(doc->DB.size(), 2u) << c.name;
        const DataBuffer& b = *doc->DB[1];
        EXPECT_EQ(b.source, QStringLiteral("EPICS")) << c.name;
        EXPECT_EQ(b.comment, QLatin1String(c.comment)) << c.name;
        ASSERT_EQ(std::size_t(b.nop()), c.points) << c.name;
        for (int i : {0, 1, int(c.points) / 2, int(c.points) - 1}) {
            if (i < 0 || std::size_t(i) >= c.points)
                continue;
            const auto [x, y] = c.point(i);
            EXPECT_EQ(b.x(i), x) << c.name << " point " << i;
            EXPECT_DOUBLE_EQ(b.y(i), y) << c.name << " point " << i;
        }
        EXPECT_TRUE(b.havexminmax) << c.name << ": extents computed";
        EXPECT_EQ(doc->d1.size(), c.points) << c.name;
    }
}

TEST_F(EPICSImportTest, RefusalsSayWhyAndChangeNothing)
{
    struct Case {
        const char* name;
        const char* maxArray;
        const char* x;
        const char* y;
        int status;
        const char* message;
    };
    const Case cases[] = {
        // No server has the name, or none can be reached: the search looks
        // the same either way, so the message names the variable and both.
        {"nobody serves the name", "65536", "vexa:nobody", "", 80,
         "No server answered for the variable vexa:nobody within 0.5 s: no server has that name, or none can "
         "be reached. User specified timeout on IO operation expired. You may adjust the timeout with the "
         "'epicstimeout' command."},
        {"y nobody serves", "65536", "vexa:x10", "vexa:nobody", 80, "the variable vexa:nobody within"},
        {"larger than the transfer limit", "65536", "vexa:wave100000", "", 72,
         ". Change the array size with the 'epicsmaxarray' command."},
        {"an absurd size under the limit", "65536", "vexa:absurd", "", 72, "'epicsmaxarray'"},
        {"an absurd size under a huge limit", "1e15", "vexa:absurd", "", 72, "'epicsmaxarray'"},
        {"a message of an unknown kind: the library's log joins the message", "65536", "vexa:garbage", "", 80,
         "Undecipherable"},
        {"counts differ", "65536", "vexa:x10", "vexa:y11", 0, "Number of datapoints in X and Y differ"},
        {"the circuit goes in the middle of the reply", "65536", "vexa:drop", "", 80,
         "Virtual circuit disconnect"},
    };
    for (const Case& c : cases) {
        EPICSImport::setMaxArrayBytes(QLatin1String(c.maxArray));
        auto doc = documentWithOneBuffer();
        Outcome outcome;
        QElapsedTimer clock;
        clock.start();
        const QByteArray noise = standardErrorOf(
            [&] { outcome = EPICSImport::importEPICS(*doc, QLatin1String(c.x), QLatin1String(c.y), 0.5); });
        EXPECT_LT(clock.elapsed(), 30'000) << c.name;
        EXPECT_FALSE(outcome.ok()) << c.name;
        EXPECT_EQ(outcome.code(), c.status) << c.name << ": " << outcome.message().toStdString();
        EXPECT_TRUE(outcome.message().contains(QLatin1String(c.message)))
            << c.name << ": " << outcome.message().toStdString();
        EXPECT_EQ(doc->DB.size(), 1u) << c.name;
        EXPECT_TRUE(doc->d1.empty()) << c.name;
        EXPECT_TRUE(noise.isEmpty()) << c.name << ": the library wrote " << noise.toStdString();
    }
}

TEST_F(EPICSImportTest, ControllerReadsValuesAndShowsFailures)
{
    Manager m;
    m.epicsTimeout(0.5);
    EXPECT_EQ(m.epicstimeout, 0.5);
    m.epicsAddrList(server.addressList());
    EXPECT_TRUE(m.epicsMaxArray(QStringLiteral("65536")));
    {
        ScriptedAlerts alerts;
        EXPECT_FALSE(m.epicsMaxArray(QStringLiteral("lots")));
        ASSERT_EQ(alerts.requests().size(), 1u);
        EXPECT_EQ(alerts.requests()[0].title, QStringLiteral("EPICS Error"));
        EXPECT_STREQ(std::getenv("EPICS_CA_MAX_ARRAY_BYTES"), "65536");
    }
    {
        ScriptedAlerts alerts;
        EXPECT_TRUE(m.epicsSetVar(QStringLiteral("t"), QStringLiteral("vexa:temp")));
        EXPECT_EQ(m.GV.value(QStringLiteral("t")), 21.5);
        EXPECT_TRUE(alerts.requests().empty());
    }
    {
        ScriptedAlerts alerts;
        m.GV.insert(QStringLiteral("t"), 7);
        EXPECT_FALSE(m.epicsSetVar(QStringLiteral("t"), QStringLiteral("vexa:nobody")));
        EXPECT_EQ(m.GV.value(QStringLiteral("t")), 7.0);
        ASSERT_EQ(alerts.requests().size(), 1u);
        EXPECT_EQ(alerts.requests()[0].title, QStringLiteral("EPICS Error"));
        EXPECT_EQ(alerts.requests()[0].buttons, QStringList{QStringLiteral("Ok")});
        EXPECT_TRUE(alerts.requests()[0].message.endsWith(QStringLiteral("'epicstimeout' command.")));
    }
    {
        ScriptedAlerts alerts;
        VexaDocument doc;
        EXPECT_FALSE(m.importEPICS(doc, QStringLiteral("vexa:x10"), QStringLiteral("vexa:y11")));
        ASSERT_EQ(alerts.requests().size(), 1u);
        EXPECT_EQ(alerts.requests()[0].message, QStringLiteral("Number of datapoints in X and Y differ"));
        EXPECT_TRUE(doc.DB.empty());
        EXPECT_TRUE(m.importEPICS(doc, QStringLiteral("vexa:wave10"), QString()));
        EXPECT_EQ(doc.DB.size(), 1u);
        EXPECT_EQ(alerts.requests().size(), 1u);
    }
    {
        ScriptedAlerts alerts;
        EXPECT_EQ(m.epicserr(1), 0);
        EXPECT_EQ(m.epicserr(72), 1);
        ASSERT_EQ(alerts.requests().size(), 1u);
        EXPECT_TRUE(alerts.requests()[0].message.endsWith(
            QStringLiteral(". Change the array size with the 'epicsmaxarray' command.")));
    }
}

} // namespace
