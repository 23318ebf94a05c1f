// MySQL import against a real MariaDB server on loopback: result columns to
// buffers, refused results (not numbers, too many values), statements
// without results, and every way a connection or a query can fail.

#include "io/MySQLImport.h"

#include "ServerFixtures.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "util/StringCategory.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <vector>

namespace {

using Points = std::vector<std::pair<double, double>>;

struct ExpectedBuffer {
    const char* comment;
    Points points;
};

MySQLImport::Palette palette()
{
    MySQLImport::Palette p;
    for (int n = 0; n < 16; ++n)
        p[std::size_t(n)] = StringCategory::color(QString::number(n));
    return p;
}

Points pointsOf(const DataBuffer& b)
{
    Points out;
    for (int i = 0; i < b.nop(); ++i)
        out.emplace_back(b.x(i), b.y(i));
    return out;
}

using ServerFixtures::documentWithOneBuffer;

class MySQLImportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString why;
        auto m = ServerFixtures::mariadb(&why);
        ASSERT_TRUE(m) << why.toStdString();
        server = *m;
    }
    ServerFixtures::MariaDB server;
};

TEST_F(MySQLImportTest, ResultColumnsBecomeBuffers)
{
    struct Case {
        const char* name;
        const char* sql;
        std::vector<ExpectedBuffer> buffers;
    };
    const Case cases[] = {
        {"one column: row number and value", "SELECT v FROM single ORDER BY v", {{"v", {{0, 3}, {1, 5}}}}},
        {"x and two columns; a NULL skips that point only",
         "SELECT t, a, b FROM series ORDER BY t",
         {{"a", {{1, 10.5}, {2, 20.5}, {3, 30.5}}}, {"b", {{1, 100}, {3, 300}}}}},
        {"one column with a NULL keeps the row numbers",
         "SELECT b FROM series ORDER BY t",
         {{"b", {{0, 100}, {2, 300}}}}},
        {"a NULL x gives no point anywhere",
         "SELECT b, a FROM series ORDER BY t",
         {{"a", {{100, 10.5}, {300, 30.5}}}}},
        {"every numeric type",
         "SELECT 0 AS x, i, s, m, l, f, d, y FROM kinds",
         {{"i", {{0, -7}}},
          {"s", {{0, 300}}},
          {"m", {{0, 70000}}},
          {"l", {{0, 9007199254740992.0}}},
          {"f", {{0, 1.5}}},
          {"d", {{0, -2.125}}},
          {"y", {{0, 2024}}}}},
        {"a NULL column", "SELECT NULL AS nothing", {{"nothing", {}}}},
        {"no rows", "SELECT t, a FROM series WHERE t > 99", {{"a", {}}}},
        {"expressions, exponents and decimals",
         "SELECT 1e-300 AS tiny, 12345678901234567890 AS big, -0.5 AS h",
         {{"big", {{1e-300, 12345678901234567890.0}}}, {"h", {{1e-300, -0.5}}}}},
    };
    for (const Case& c : cases) {
        auto doc = documentWithOneBuffer();
        const Outcome outcome = MySQLImport::importMySQL(*doc, server.query(QLatin1String(c.sql)), palette());
        ASSERT_TRUE(outcome.ok()) << c.name << ": " << outcome.message().toStdString();
        EXPECT_EQ(int(doc->DB.size()) - 1, int(c.buffers.size())) << c.name;
        ASSERT_EQ(doc->DB.size(), c.buffers.size() + 1) << c.name;
        EXPECT_EQ(doc->DB[0]->comment, QStringLiteral("kept")) << c.name;
        for (std::size_t k = 0; k < c.buffers.size(); ++k) {
            const DataBuffer& b = *doc->DB[k + 1];
            EXPECT_EQ(b.comment, QLatin1String(c.buffers[k].comment)) << c.name;
            EXPECT_EQ(b.source, QStringLiteral("MySQL")) << c.name;
            EXPECT_EQ(pointsOf(b), c.buffers[k].points) << c.name << ", buffer " << k;
            EXPECT_EQ(b.style.color, palette()[k % 16]) << c.name;
        }
    }
}

TEST_F(MySQLImportTest, BuffersPastSixteenTakeThePaletteAgain)
{
    QString sql = QStringLiteral("SELECT 0 AS x");
    for (int k = 1; k <= 20; ++k)
        sql += QStringLiteral(", %1 AS c%1").arg(k);
    VexaDocument doc;
    const Outcome outcome = MySQLImport::importMySQL(doc, server.query(sql), palette());
    ASSERT_TRUE(outcome.ok()) << outcome.message().toStdString();
    ASSERT_EQ(doc.DB.size(), 20u);
    for (int k = 16; k < 20; ++k)
        EXPECT_EQ(doc.DB[std::size_t(k)]->style.color, doc.DB[std::size_t(k - 16)]->style.color) << k;
    EXPECT_NE(doc.DB[1]->style.color, doc.DB[0]->style.color);
    EXPECT_EQ(doc.DB[19]->comment, QStringLiteral("c20"));
}

TEST_F(MySQLImportTest, NonNumericColumnsRefuseTheWholeResult)
{
    const char* columns[] = {"n", "dt", "ts", "dd", "tt", "bl", "NOW()", "CAST(1 AS CHAR)"};
    for (const char* column : columns) {
        auto doc = documentWithOneBuffer();
        const Outcome outcome = MySQLImport::importMySQL(
            *doc, server.query(QStringLiteral("SELECT i, %1 FROM kinds").arg(QLatin1String(column))),
            palette());
        EXPECT_EQ(outcome.kind(), Outcome::Kind::Failed) << column;
        EXPECT_EQ(outcome.title(), QStringLiteral("Vexa/MySQL Error")) << column;
        EXPECT_EQ(outcome.message(), QStringLiteral("You can only fetch numbers from MySQL")) << column;
        EXPECT_EQ(doc->DB.size(), 1u) << column;
    }
}

TEST_F(MySQLImportTest, StatementsWithoutResultSetMakeNothingAndSucceed)
{
    const char* statements[] = {
        "CREATE TABLE IF NOT EXISTS made_by_test (a INT)",
        "DO 1",
        "SET @x = 5",
    };
    for (const char* sql : statements) {
        auto doc = documentWithOneBuffer();
        const Outcome outcome = MySQLImport::importMySQL(*doc, server.query(QLatin1String(sql)), palette());
        EXPECT_TRUE(outcome.ok()) << sql << ": " << outcome.message().toStdString();
        EXPECT_EQ(outcome.kind(), Outcome::Kind::Done) << sql;
        EXPECT_EQ(doc->DB.size(), 1u) << sql;
    }
}

TEST_F(MySQLImportTest, FailuresSayWhyAndChangeNothing)
{
    ServerFixtures::SilentListener silent;
    struct Case {
        const char* name;
        MySQLQuery query;
        const char* title;
        const char* messagePart;
    };
    MySQLQuery wrongPassword = server.query(QStringLiteral("SELECT 1"));
    wrongPassword.passwd = QStringLiteral("not-the-password-xyzzy");
    MySQLQuery unknownDatabase = server.query(QStringLiteral("SELECT 1"));
    unknownDatabase.db = QStringLiteral("no_such_db");
    MySQLQuery refused = server.query(QStringLiteral("SELECT 1"));
    refused.port = ServerFixtures::closedPort();
    MySQLQuery silentServer = server.query(QStringLiteral("SELECT 1"));
    silentServer.port = silent.port();
    MySQLQuery badPort = server.query(QStringLiteral("SELECT 1"));
    badPort.port = 70000;
    const Case cases[] = {
        {"wrong password", wrongPassword, "MySQL Connect Error", "Access denied"},
        {"unknown database", unknownDatabase, "MySQL Connect Error", "no_such_db"},
        {"nothing listens", refused, "MySQL Connect Error", "connect"},
        {"a server that never answers", silentServer, "MySQL Connect Error", ""},
        {"no port number", badPort, "MySQL Connect Error", "70000"},
        {"syntax error", server.query(QStringLiteral("SELEKT 1")), "MySQL Query Error", "SQL syntax"},
        {"unknown table", server.query(QStringLiteral("SELECT * FROM nowhere")), "MySQL Query Error",
         "nowhere"},
    };
    for (const Case& c : cases) {
        auto doc = documentWithOneBuffer();
        QElapsedTimer clock;
        clock.start();
        const Outcome outcome = MySQLImport::importMySQL(*doc, c.query, palette());
        // Bounded by the connect time-out, not hung.
        EXPECT_LT(clock.elapsed(), 30'000) << c.name;
        EXPECT_EQ(outcome.kind(), Outcome::Kind::Failed) << c.name;
        EXPECT_EQ(outcome.title(), QLatin1String(c.title))
            << c.name << ": " << outcome.message().toStdString();
        EXPECT_TRUE(outcome.message().contains(QLatin1String(c.messagePart), Qt::CaseInsensitive))
            << c.name << ": " << outcome.message().toStdString();
        EXPECT_FALSE(outcome.message().isEmpty()) << c.name;
        EXPECT_FALSE(outcome.message().contains(c.query.passwd)) << c.name << ": the password is never shown";
        EXPECT_EQ(doc->DB.size(), 1u) << c.name;
    }
    EXPECT_EQ(MySQLImport::connectErrorTitle(), QStringLiteral("MySQL Connect Error"));
    EXPECT_EQ(MySQLImport::queryErrorTitle(), QStringLiteral("MySQL Query Error"));
}

TEST_F(MySQLImportTest, AResultOfMoreValuesThanTheLimitIsRefusedWhole)
{
    // Two value columns of a thousand rows: two thousand values.
    const MySQLQuery q
        = server.query(QStringLiteral("SELECT seq, seq * 2 AS a, seq * 3 AS b FROM seq_1_to_1000"));
    auto refused = documentWithOneBuffer();
    const Outcome tooMany = MySQLImport::importMySQL(*refused, q, palette(), 1999);
    EXPECT_EQ(tooMany.kind(), Outcome::Kind::Failed);
    EXPECT_EQ(tooMany.title(), QStringLiteral("Vexa/MySQL Error"));
    EXPECT_EQ(tooMany.message(),
              QStringLiteral("The result holds more than 1999 values; nothing was imported."));
    EXPECT_EQ(refused->DB.size(), 1u);

    // At the limit, all of it.
    auto taken = documentWithOneBuffer();
    const Outcome all = MySQLImport::importMySQL(*taken, q, palette(), 2000);
    ASSERT_TRUE(all.ok()) << all.message().toStdString();
    ASSERT_EQ(taken->DB.size(), 3u);
    EXPECT_EQ(taken->DB[1]->nop(), 1000);
    EXPECT_EQ(taken->DB[2]->y(999), 3000);
}

TEST_F(MySQLImportTest, AServerLostInTheMiddleOfTheResultChangesNothing)
{
    // 100,000 rows are about a megabyte of reply; the relay lets 64 KiB through.
    ServerFixtures::CuttingRelay relay(server.port, 65536);
    MySQLQuery q = server.query(QStringLiteral("SELECT seq, seq * 0.5 AS half FROM seq_1_to_100000"));
    q.port = relay.port();
    auto doc = documentWithOneBuffer();
    const Outcome outcome = MySQLImport::importMySQL(*doc, q, palette());
    EXPECT_TRUE(relay.cut());
    EXPECT_EQ(outcome.title(), QStringLiteral("MySQL Query Error")) << outcome.message().toStdString();
    EXPECT_FALSE(outcome.message().isEmpty());
    EXPECT_EQ(doc->DB.size(), 1u);
}

} // namespace
