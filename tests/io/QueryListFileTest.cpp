// Stored MySQL queries as list archives: records, list files on disk, and
// the merge of an opened list.

#include "io/QueryListFile.h"
#include "io/StoredListFile.h"

#include "IoFakes.h"
#include "platform/KeyedArchiver.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using IoTest::readAll;
using IoTest::scratchPath;
using IoTest::writeScratch;

std::vector<MySQLQuery> sampleList()
{
    return {
        MySQLQuery(QStringLiteral("Run"), QStringLiteral("db.example"), QStringLiteral("lab"), 3307,
                   QStringLiteral("ana"), QStringLiteral("s3cr\u00e9t"),
                   QStringLiteral("SELECT t, v FROM runs")),
        MySQLQuery(QStringLiteral("Empty"), QString(), QString(), 3306, QString(), QString(), QString()),
        MySQLQuery(QStringLiteral("Run"), QStringLiteral("h2"), QStringLiteral("d2"), 1, QStringLiteral("u"),
                   QString(), QStringLiteral("SELECT 1;\nSELECT 2")),
    };
}

mode_t modeOf(const QString& path)
{
    struct stat st { };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

// An archive of plain values with the same root key, but no queries.
QByteArray archiveOfRoot(const std::function<void(KeyedArchiver&)>& fill)
{
    KeyedArchiver coder;
    fill(coder);
    return coder.encodedData();
}

TEST(QueryListFile, ArchiveRoundTripKeepsEveryFieldAndOrder)
{
    const std::vector<MySQLQuery> list = sampleList();
    const auto bytes = QueryListFile::archive(list);
    ASSERT_TRUE(bytes);
    QString error;
    const auto back = QueryListFile::unarchive(*bytes, &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(*back, list);
}

TEST(QueryListFile, RecordWithoutKeysReadsAsEmptyQueryOnTheDefaultPort)
{
    // A record written by an older or foreign writer that lacks keys.
    class Bare : public ArchivableObject {
    public:
        QString className() const override { return MySQLQuery::archiveClassName(); }
        void encodeWithCoder(KeyedArchiver& coder) const override
        {
            coder.encodeString(QStringLiteral("name"), QStringLiteral("n"));
        }
    };
    const Bare bare;
    const auto bytes = StoredListFile::archive({&bare});
    ASSERT_TRUE(bytes);
    const auto back = QueryListFile::unarchive(*bytes);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 1u);
    EXPECT_EQ(back->front(), MySQLQuery(QStringLiteral("n"), {}, {}, 3306, {}, {}, {}));
}

TEST(QueryListFile, WritesOwnerOnlyAndReplacesAtomically)
{
    const QString path = scratchPath(QStringLiteral("list.myvexa"));
    // An older, world-readable file in the way keeps none of its mode.
    ASSERT_FALSE(writeScratch(QStringLiteral("list.myvexa"), "old").isEmpty());
    ASSERT_TRUE(QFile::setPermissions(path,
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                          | QFileDevice::ReadOther | QFileDevice::ReadGroup));
    QString error;
    const Outcome written = QueryListFile::write(path, sampleList());
    ASSERT_TRUE(written.ok()) << written.message().toStdString();
    EXPECT_EQ(modeOf(path), mode_t(0600));
    const auto back = QueryListFile::read(path, &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(*back, sampleList());

    // A target that cannot be written: reported, nothing left beside it.
    const QString blocked = scratchPath(QStringLiteral("no-such-dir/list.myvexa"));
    const Outcome refused = QueryListFile::write(blocked, sampleList());
    EXPECT_EQ(refused.kind(), Outcome::Kind::Failed);
    EXPECT_EQ(refused.title(), QStringLiteral("File Save Error"));
    EXPECT_TRUE(refused.message().contains(blocked)) << refused.message().toStdString();
}

TEST(QueryListFile, RefusesMalformedFilesWithAReason)
{
    const MySQLQuery one = sampleList().front();
    class Other : public ArchivableObject {
    public:
        QString className() const override { return QStringLiteral("Macro"); }
        void encodeWithCoder(KeyedArchiver& coder) const override
        {
            coder.encodeString(QStringLiteral("name"), QStringLiteral("m"));
        }
    };
    const Other other;
    const auto good = QueryListFile::archive({one});
    ASSERT_TRUE(good);

    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"empty file", QByteArray()},
        {"not a property list", "SELECT * FROM t"},
        {"truncated archive", good->left(good->size() / 2)},
        {"no root", archiveOfRoot([](KeyedArchiver& c) { c.encodeInt(QStringLiteral("verno"), 31); })},
        {"root of plain values", archiveOfRoot([](KeyedArchiver& c) {
             c.encodeArray(StoredListFile::rootKey(), {QStringLiteral("a"), 1});
         })},
        {"empty list", *StoredListFile::archive({})},
        {"another class", *StoredListFile::archive({&other})},
        {"queries mixed with another class", *StoredListFile::archive({&one, &other})},
    };
    for (const Case& c : cases) {
        QString error;
        EXPECT_FALSE(QueryListFile::unarchive(c.bytes, &error)) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
    }

    QString error;
    EXPECT_FALSE(QueryListFile::read(scratchPath(QStringLiteral("missing.myvexa")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("missing.myvexa")));
}

TEST(QueryListFile, AQueryListedTwiceBecomesTwoIndependentQueries)
{
    const MySQLQuery one = sampleList().front();
    const auto bytes = StoredListFile::archive({&one, &one});
    ASSERT_TRUE(bytes);
    auto back = QueryListFile::unarchive(*bytes);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 2u);
    (*back)[0].name = QStringLiteral("renamed");
    EXPECT_EQ((*back)[1].name, QStringLiteral("Run"));
}

TEST(StoredListFile, MergeByNameReplacesNamesakesAndAppendsInOrder)
{
    auto q = [](const char* name, const char* sql) {
        return MySQLQuery(QLatin1String(name), {}, {}, 3306, {}, {}, QLatin1String(sql));
    };
    struct Case {
        const char* name;
        std::vector<MySQLQuery> list, loaded, expected;
    };
    const Case cases[] = {
        {"namesake replaced and moved to the end",
         {q("a", "1"), q("b", "2"), q("c", "3")},
         {q("b", "new")},
         {q("a", "1"), q("c", "3"), q("b", "new")}},
        {"names compare exactly",
         {q("Run", "1")},
         {q("run", "2"), q("Run ", "3")},
         {q("Run", "1"), q("run", "2"), q("Run ", "3")}},
        {"every namesake goes",
         {q("a", "1"), q("a", "2"), q("b", "3")},
         {q("a", "x")},
         {q("b", "3"), q("a", "x")}},
        {"loaded namesakes all stay", {q("a", "1")}, {q("a", "x"), q("a", "y")}, {q("a", "x"), q("a", "y")}},
        {"into an empty list", {}, {q("a", "1")}, {q("a", "1")}},
    };
    for (const Case& c : cases) {
        std::vector<MySQLQuery> list = c.list;
        std::vector<MySQLQuery> loaded = c.loaded;
        StoredListFile::mergeByName(list, std::move(loaded));
        EXPECT_EQ(list, c.expected) << c.name;
    }
}

} // namespace
