// Stored macros as list archives: the records, list files on disk, and
// archives that are no macro list.

#include "macro/MacroListFile.h"

#include "io/QueryListFile.h"
#include "io/StoredListFile.h"
#include "support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

struct Fields {
    QString name, src;
    int shortcut, type;
    friend bool operator==(const Fields&, const Fields&) = default;
};

std::vector<Fields> fieldsOf(const std::vector<std::shared_ptr<Macro>>& list)
{
    std::vector<Fields> out;
    for (const auto& m : list)
        out.push_back({m->name, m->src, m->shortcut, m->type});
    return out;
}

const std::vector<Fields> sample = {
    {QStringLiteral("Fit"), QStringLiteral("reg 0 100\nprint \"a = $rega\"\n"), 'g', MacroTypeLanguage},
    {QStringLiteral("Double y"), QStringLiteral("for (@B) { $_->{y} = [map { 2 * $_ } @{$_->{y}}] }"), 0,
     MacroTypePerlFilter},
    {QStringLiteral("Caf\u00e9 & co"), QString(), 'G', MacroTypePerlImport},
};

std::vector<std::unique_ptr<Macro>> macrosOf(const std::vector<Fields>& fields)
{
    std::vector<std::unique_ptr<Macro>> out;
    for (const Fields& f : fields)
        out.push_back(std::make_unique<Macro>(f.name, f.src, f.shortcut, f.type));
    return out;
}

std::vector<const Macro*> pointers(const std::vector<std::unique_ptr<Macro>>& list)
{
    std::vector<const Macro*> out;
    for (const auto& m : list)
        out.push_back(m.get());
    return out;
}

TEST(MacroListFile, FilesKeepEveryFieldAndOrderAndAreOwnerOnly)
{
    const auto macros = macrosOf(sample);
    const QString path = TestSupport::scratchDir() + QStringLiteral("/list.mavexa");
    QString error;
    const Outcome written = MacroListFile::write(path, pointers(macros));
    ASSERT_TRUE(written.ok()) << written.message().toStdString();
    struct stat st { };
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, mode_t(0600));

    const auto back = MacroListFile::read(path, &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(fieldsOf(*back), sample);
    QFile::remove(path);
}

TEST(MacroListFile, AMacroListedTwiceBecomesTwoObjects)
{
    const Macro one(QStringLiteral("a"), QStringLiteral("print 1"), 'a', 0);
    const auto bytes = StoredListFile::archive({&one, &one});
    ASSERT_TRUE(bytes);
    const auto back = MacroListFile::unarchive(*bytes);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 2u);
    EXPECT_NE((*back)[0], (*back)[1]);
    EXPECT_EQ(fieldsOf(*back)[1], (Fields{QStringLiteral("a"), QStringLiteral("print 1"), 'a', 0}));
}

TEST(MacroListFile, ListsOfOtherThingsAreRefusedWithAReason)
{
    const auto queries = QueryListFile::archive({MySQLQuery::defaultQuery()});
    ASSERT_TRUE(queries);
    for (const QByteArray& bytes : {*queries, QByteArray("print 1\n"), QByteArray()}) {
        QString error;
        EXPECT_FALSE(MacroListFile::unarchive(bytes, &error));
        EXPECT_FALSE(error.isEmpty());
    }
}

} // namespace
