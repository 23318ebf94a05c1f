// MySQL import end to end on loopback: connect, query, fetch and parse
// 1,000,000 rows of two numeric columns into one buffer. The benchmark starts
// its own MariaDB server (scripts/mariadb-fixture) and stops it afterwards.

#include "io/MySQLImport.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"

#include "support/BenchMain.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int rows = 1'000'000;

std::unique_ptr<QTemporaryDir> g_dir;
MySQLQuery g_server;
bool g_ready = false;

QString statePath()
{
    return g_dir->filePath(QStringLiteral("mariadb.state"));
}

bool fixture(const char* command)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral(VEXA_SCRIPTS_DIR "/mariadb-fixture"), {QLatin1String(command), statePath()});
    return p.waitForFinished(180'000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

Outcome run(const QString& sql)
{
    VexaDocument doc;
    MySQLQuery q = g_server;
    q.sql = sql;
    return MySQLImport::importMySQL(doc, q, MySQLImport::Palette{});
}

void setUp()
{
    g_dir = std::make_unique<QTemporaryDir>();
    if (!fixture("start")) {
        std::fprintf(stderr, "bench_mysql: the MariaDB server did not start\n");
        return;
    }
    QFile f(statePath());
    QHash<QString, QString> state;
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray& line : f.readAll().split('\n'))
            if (const int eq = line.indexOf('='); eq > 0)
                state.insert(QString::fromUtf8(line.left(eq)), QString::fromUtf8(line.mid(eq + 1)));
    g_server
        = MySQLQuery(QStringLiteral("bench"), QStringLiteral("127.0.0.1"),
                     state.value(QStringLiteral("database")), state.value(QStringLiteral("port")).toInt(),
                     state.value(QStringLiteral("user")), state.value(QStringLiteral("password")), QString());
    const QString fill = QStringLiteral("INSERT INTO big SELECT seq, seq * 0.001 FROM seq_1_to_%1").arg(rows);
    for (const QString& sql : {QStringLiteral("CREATE TABLE big (x INT, y DOUBLE)"), fill}) {
        const Outcome o = run(sql);
        if (!o.ok()) {
            std::fprintf(stderr, "bench_mysql: %s\n", qPrintable(o.message()));
            return;
        }
    }
    g_ready = true;
}

void tearDown()
{
    if (g_dir)
        fixture("stop");
    g_dir.reset();
}

const BenchHooks hooks(setUp, tearDown);

void BM_MySQLImportTwoColumns(benchmark::State& state)
{
    if (!g_ready) {
        state.SkipWithError("no MariaDB server");
        return;
    }
    for (auto _ : state) {
        VexaDocument doc;
        MySQLQuery q = g_server;
        q.sql = QStringLiteral("SELECT x, y FROM big");
        const Outcome o = MySQLImport::importMySQL(doc, q, MySQLImport::Palette{});
        if (!o.ok() || doc.DB.size() != 1 || doc.DB[0]->nop() != rows) {
            state.SkipWithError("the import failed");
            return;
        }
        benchmark::DoNotOptimize(doc.DB[0]->Y.data());
    }
    state.counters["rows/s"]
        = benchmark::Counter(double(rows) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MySQLImportTwoColumns)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

} // namespace
