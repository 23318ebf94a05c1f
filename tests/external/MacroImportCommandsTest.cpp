// The import commands of macros, run by the application controller against
// the loopback servers and real files: one batch run fills a document from
// an ASCII file, a binary file, a MariaDB query, Channel Access arrays and a
// perl import and filter; a refused import says why in its alert, leaves the
// document as it was and counts as a failure of the run, which goes on.

#include "ServerFixtures.h"
#include "app/AppFixtures.h"
#include "app/DocumentWindowQt.h"
#include "app/Manager.h"
#include "io/ChannelAccess.h"
#include "io/EPICSImport.h"
#include "macro/Macro.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "support/TestSupport.h"

#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using Points = std::vector<std::pair<double, double>>;

Points pointsOf(const DataBuffer& b)
{
    Points out;
    for (int i = 0; i < b.nop(); ++i)
        out.emplace_back(b.x(i), b.y(i));
    return out;
}

class MacroImportCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString why;
        auto db = ServerFixtures::mariadb(&why);
        ASSERT_TRUE(db) << why.toStdString();
        mariadb = *db;
        auto ca = ServerFixtures::channelAccess(&why);
        ASSERT_TRUE(ca) << why.toStdString();
        channelAccess = *ca;
        // Only the test server is searched, and the client registers with
        // the repeater the test server plays.
        epicsEnvSet("EPICS_CA_AUTO_ADDR_LIST", "NO");
        epicsEnvSet("EPICS_CA_REPEATER_PORT", QByteArray::number(channelAccess.repeaterPort).constData());
        EPICSImport::setLaunchEnvironment();

        auto d = std::make_unique<VexaDocument>();
        VexaDocument& doc = m.openDocument(std::move(d), false)->document();
        m.setCurrentDoc(&doc, &doc);
        document = &doc;
    }

    // The console text of the run; "$db", "$port", "$user", "$password" and
    // "$ca" stand for the servers' settings.
    QString run(QString source)
    {
        source.replace(QLatin1String("$dir"), TestSupport::scratchDir());
        source.replace(QLatin1String("$db"), mariadb.database);
        source.replace(QLatin1String("$port"), QString::number(mariadb.port));
        source.replace(QLatin1String("$user"), mariadb.user);
        source.replace(QLatin1String("$password"), mariadb.password);
        source.replace(QLatin1String("$ca"), channelAccess.addressList());
        const QString before = m.console().text();
        Macro macro(QStringLiteral("imports"), source, 0, 0);
        macro.run(m);
        failures = macro.failures;
        stopped = macro.stopped();
        return m.console().text().mid(before.size());
    }

    int failures = 0; // of the last run
    bool stopped = false;

    ServerFixtures::MariaDB mariadb;
    ServerFixtures::ChannelAccess channelAccess;
    Manager m;
    VexaDocument* document = nullptr;
};

TEST_F(MacroImportCommands, OneRunImportsFromEverySource)
{
    ASSERT_FALSE(AppFixtures::writeScratch(QStringLiteral("pairs.txt"), "1 10\n2 20\n3 30\n").isEmpty());
    QByteArray binary;
    for (double v : {5.0, 50.0, 6.0, 60.0})
        binary.append(reinterpret_cast<const char*>(&v), sizeof v);
    ASSERT_FALSE(AppFixtures::writeScratch(QStringLiteral("pairs.bin"), binary).isEmpty());
    ASSERT_FALSE(AppFixtures::writeScratch(QStringLiteral("perl.txt"), "7\n8\n9\n").isEmpty());

    ScriptedAlerts alerts;
    const QString console
        = run(QStringLiteral("import '$dir/pairs.txt' 0\n"
                             "binaryimport '$dir/pairs.bin' 0 0 0 2 'from bytes'\n"
                             "mysqlimport 127.0.0.1 $db $user '$password' $port "
                             "'SELECT t, a FROM series ORDER BY t'\n"
                             "epicsaddrlist '$ca'\nepicstimeout 3\nepicsmaxarray 1000000\n"
                             "epicsimport vexa:x10 vexa:y10\n"
                             "epicssetvar t vexa:temp\n"
                             "perlimport '$dir/perl.txt'\n"
                             "<perl>\nmy @y = <>; chomp @y; push @R, { y => \\@y };\n</perl>\n"
                             "print nb t"));
    EXPECT_TRUE(alerts.requests().empty()) << alerts.requests()[0].message.toStdString();
    EXPECT_EQ(console, QStringLiteral("5 21.5 ")) << console.toStdString();
    EXPECT_EQ(failures, 0);
    ASSERT_EQ(document->bufferCount(), 5);
    const struct {
        const char* source;
        Points points; // the first and the last point
    } expected[] = {
        {"ASCII", {{1, 10}, {3, 30}}},      {"binary", {{5, 50}, {6, 60}}}, {"MySQL", {{1, 10.5}, {3, 30.5}}},
        {"EPICS", {{0.5, 100}, {9.5, 91}}}, {"perl", {{0, 7}, {2, 9}}},
    };
    for (int n = 0; n < 5; ++n) {
        SCOPED_TRACE(expected[n].source);
        const Points points = pointsOf(*document->DB[std::size_t(n)]);
        ASSERT_FALSE(points.empty());
        EXPECT_EQ((Points{points.front(), points.back()}), expected[n].points);
    }
    EXPECT_EQ(document->DB[1]->comment, QStringLiteral("from bytes"));
    EXPECT_EQ(document->DB[2]->source, QStringLiteral("MySQL"));
    EXPECT_EQ(document->DB[3]->source, QStringLiteral("EPICS"));
}

TEST_F(MacroImportCommands, ARefusedImportIsAFailureTheRunGoesOnAndNothingChanges)
{
    const struct {
        const char* source;
        const char* alert; // the title of the alert that says why
    } cases[] = {
        {"mysqlimport 127.0.0.1 $db $user wrong-password $port 'SELECT t, a FROM series'",
         "MySQL Connect Error"},
        {"mysqlimport 127.0.0.1 $db $user '$password' $port 'SELECT nothing FROM nowhere'",
         "MySQL Query Error"},
        {"epicsaddrlist '$ca'\nepicstimeout 0.5\nepicsimport vexa:nobody", "EPICS Error"},
        {"epicsaddrlist '$ca'\nepicsimport vexa:x10 vexa:y11", "EPICS Error"},
        {"epicsaddrlist '$ca'\nepicstimeout 0.5\nepicssetvar t vexa:nobody", "EPICS Error"},
        {"epicsmaxarray lots", "EPICS Error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        ScriptedAlerts alerts;
        const QString console = run(QLatin1String(c.source) + QStringLiteral("\nprint after"));
        ASSERT_EQ(alerts.requests().size(), 1u);
        EXPECT_EQ(alerts.requests()[0].title, QLatin1String(c.alert));
        EXPECT_TRUE(console.endsWith(QStringLiteral("\nafter "))) << console.toStdString();
        EXPECT_EQ(failures, 1);
        EXPECT_FALSE(stopped);
        EXPECT_EQ(document->bufferCount(), 0);
    }
}

} // namespace
