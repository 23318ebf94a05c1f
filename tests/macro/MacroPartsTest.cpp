// The pieces under a run: the command table, argument sets, the format
// filler, the token listing and the tokeniser script, and the archive.

#include "MacroFakes.h"

#include "macro/MacroFormat.h"
#include "macro/MacroTokeniser.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include <sys/resource.h>
#include <unistd.h>

namespace {

using Section = MacroCommandTable::Section;

// --- the command table ---------------------------------------------------------------

TEST(MacroCommandTable, HoldsEveryFormInItsFamilysPlace)
{
    const MacroCommandTable& t = MacroCommandTable::instance();
    const std::pair<Section, int> sizes[] = {
        {Section::Scaling, 4},      {Section::Buffers, 15},          {Section::DataPoints, 7},
        {Section::ControlFlow, 10}, {Section::Interaction, 8},       {Section::DataOperations, 28},
        {Section::Page, 18},        {Section::BufferStyle, 45},      {Section::Axes, 57},
        {Section::Legend, 12},      {Section::TextsAndGraphics, 23}, {Section::Files, 21},
        {Section::Subviews, 4},     {Section::Miscellany, 8},
    };
    for (const auto& [section, size] : sizes)
        EXPECT_EQ(t.sectionSize(section), size) << int(section);
    const auto forms = t.forms();
    ASSERT_EQ(forms.size(), 260u);
    EXPECT_EQ(forms[0]->name, QStringLiteral("range"));
    EXPECT_EQ(forms[26]->name, QStringLiteral("if"));
    EXPECT_EQ(forms[36]->name, QStringLiteral("ask"));
    EXPECT_EQ(forms[192]->name, QStringLiteral("setlegend"));
    EXPECT_EQ(forms[259]->name, QStringLiteral("quitapp"));
    for (const MacroCommandForm* f : forms) {
        EXPECT_LE(f->signature.size(), Macro::SlotCount) << f->name.toStdString();
        EXPECT_LE(f->minimum, f->signature.size()) << f->name.toStdString();
        for (QChar c : f->signature)
            EXPECT_TRUE(QStringLiteral("sudiabr").contains(c)) << f->name.toStdString();
        EXPECT_TRUE(f->body) << f->name.toStdString();
    }
    // Two-form colour words choose by the argument count.
    const auto& bcolor = t.formsNamed(QStringLiteral("BColor"));
    ASSERT_EQ(bcolor.size(), 2u);
    EXPECT_TRUE(bcolor[0]->guard.admits(5));
    EXPECT_FALSE(bcolor[0]->guard.admits(3));
    EXPECT_TRUE(bcolor[1]->guard.admits(2));
    EXPECT_FALSE(bcolor[1]->guard.admits(1));
    EXPECT_TRUE(t.formsNamed(QStringLiteral("nosuchword")).empty());
}

// --- argument sets --------------------------------------------------------------------------

struct SetCase {
    char letter;
    const char* token;
    const char* members; // comma-separated, as stored
};

void PrintTo(const SetCase& c, std::ostream* os)
{
    *os << c.letter << ' ' << c.token;
}

class ArgumentSets : public testing::TestWithParam<SetCase> { };

TEST_P(ArgumentSets, AreBuiltInTheirOrder)
{
    FakeMacroHost host;
    VexaDocument* doc = host.currentDocument({1, 1, 1, 1});
    doc->DB[1]->setShow(false);
    host.manager.selectedRows = {2, 9};
    Macro m;
    m.M = &host;
    m.PD = doc;
    const QString signature(QLatin1Char(GetParam().letter));
    ASSERT_TRUE(
        m.chk(QStringLiteral("x"), signature, 1, {QStringLiteral("x"), QString::fromUtf8(GetParam().token)}));
    QStringList got = GetParam().letter == 'a' ? m.A : m.B;
    if (GetParam().letter == 'r') {
        // A range is made as it is taken; its first values, as the loop
        // takes them.
        got.clear();
        MacroLoopValues values = m.R;
        values.setSixDigits(true);
        for (double v : values.peek(100))
            got << QString::number(v, 'g', 6);
    }
    EXPECT_EQ(got.join(QLatin1Char(',')), QString::fromUtf8(GetParam().members));
    EXPECT_EQ(m.ERR, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Macro, ArgumentSets,
    testing::Values(SetCase{'a', "all", "0,1,2,3"}, SetCase{'a', "x", "0,2"}, SetCase{'a', "Y", "1,3"},
                    SetCase{'a', "Bottom", "0"}, SetCase{'a', "xt", "2"}, SetCase{'a', "left", "1"},
                    SetCase{'a', "y2", "3"}, SetCase{'a', "3", "2"}, SetCase{'a', "5", ""},
                    SetCase{'a', "1+1", "1"}, SetCase{'b', "5..2", "3,2"}, SetCase{'b', "All", "0,1,2,3"},
                    SetCase{'b', "none", ""}, SetCase{'b', "hidden", "1"}, SetCase{'b', "visible", "0,2,3"},
                    SetCase{'b', "selected", "2"}, SetCase{'b', "unselected", "0,1,3"},
                    SetCase{'b', "1,0,9,-1", "1,0"}, SetCase{'b', "2", "2"},
                    SetCase{'b', "-2147483648..2147483647", "0,1,2,3"}, SetCase{'b', "2..-5", "2,1,0"},
                    SetCase{'b', "1,zz,0", "1,0"}, // the bad element is reported, not counted
                    SetCase{'r', "0:1:0.25", "0,0.25,0.5,0.75,1"}, SetCase{'r', "3", "0,1,2"},
                    SetCase{'r', "1,5,2", "1,5,2"}, SetCase{'r', "4..2", "4,3,2"}, SetCase{'r', "abc", ""},
                    SetCase{'r', "1:0:1", ""}, SetCase{'r', "5:1:-1", ""}, SetCase{'r', "1:0:0", ""},
                    SetCase{'r', "-3", ""}));

TEST(MacroArguments, SlotsHoldValuesTruncationsAndGivenFlags)
{
    FakeMacroHost host;
    Macro m;
    m.M = &host;
    m.PD = host.currentDocument();
    ASSERT_TRUE(m.chk(QStringLiteral("cmd"), QStringLiteral("diu"), 1,
                      {QStringLiteral("CMD"), QStringLiteral("2.7"), QStringLiteral("-3.9")}));
    EXPECT_EQ(m.OK, 1);
    EXPECT_DOUBLE_EQ(m.D[0], 2.7);
    EXPECT_EQ(m.I[0], 2);
    EXPECT_EQ(m.I[1], -3);
    EXPECT_EQ(m.O[1], 1);
    EXPECT_EQ(m.O[2], 0);
    EXPECT_EQ(m.S.size(), 2);
    EXPECT_EQ(m.SS, (QStringList{QStringLiteral("2.7"), QStringLiteral("-3.9")}));
    EXPECT_EQ(Macro::truncated(NAN), 0);
    EXPECT_EQ(Macro::truncated(1e300), INT_MAX);

    // Another name leaves the slots alone.
    EXPECT_FALSE(
        m.chk(QStringLiteral("other"), QStringLiteral("d"), 1, {QStringLiteral("cmd"), QStringLiteral("1")}));
    EXPECT_DOUBLE_EQ(m.D[0], 2.7);
}

TEST(MacroArguments, ColoursStayValidInBothModes)
{
    Macro m;
    EXPECT_EQ(m.getColor(1, 0, 0), QColor::fromRgbF(1, 0, 0));
    EXPECT_EQ(m.getColor(2, -1, 0.5, 0.5), QColor::fromRgbF(1, 0, 0.5, 0.5));
    m.colormode = 1;
    const QColor c = m.getColor(0, 1, 1);
    EXPECT_TRUE(c.isValid());
    EXPECT_EQ(c.toRgb(), QColor(255, 0, 0));
    EXPECT_TRUE(m.getColor(3, 2, NAN).isValid());
}

// --- format ------------------------------------------------------------------------------------

struct FormatCase {
    const char* format;
    const char* text; // nullptr: refused
};

class FormatFill : public testing::TestWithParam<FormatCase> { };

TEST_P(FormatFill, AcceptsOnlyFloatingConversions)
{
    const double values[10] = {1, 2, 3.14159, 4, 5, 6, 7, 8, 9, 10};
    const auto got = MacroFormat::fill(QString::fromUtf8(GetParam().format), values, 10);
    if (GetParam().text)
        EXPECT_EQ(got.value_or(QStringLiteral("<refused>")), QString::fromUtf8(GetParam().text));
    else
        EXPECT_FALSE(got.has_value()) << got->toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Macro, FormatFill,
    testing::Values(FormatCase{"%g and %g", "1 and 2"},
                    FormatCase{"%%%+08.3f|%-5g|%e", "%+001.000|2    |3.141590e+00"},
                    FormatCase{"%a", "0x1p+0"}, FormatCase{"%G%G%G%G%G%G%G%G%G%G", "123.1415945678910"},
                    FormatCase{"%g%g%g%g%g%g%g%g%g%g%g", nullptr}, FormatCase{"%d", nullptr},
                    FormatCase{"%s", nullptr}, FormatCase{"%n", nullptr}, FormatCase{"%*g", nullptr},
                    FormatCase{"%.*g", nullptr}, FormatCase{"%lf|%5.1lg", "1.000000|    2"},
                    FormatCase{"%Lg", nullptr}, FormatCase{"%lld", nullptr}, FormatCase{"50%", nullptr},
                    FormatCase{"plain", "plain"}, FormatCase{"", ""}, FormatCase{"100%%", "100%"},
                    FormatCase{"%99999g", nullptr}, FormatCase{"%.2000f", nullptr},
                    FormatCase{"\xc3\xa4 %.1f", "\xc3\xa4 1.0"}));

// --- token listing --------------------------------------------------------------------------------

struct ListingCase {
    const char* output;
    int commands; // -1: refused
};

class Listing : public testing::TestWithParam<ListingCase> { };

TEST_P(Listing, IsCheckedWholeBeforeUse)
{
    TokenListing listing;
    QString reason;
    const bool ok = TokenListing::parse(QByteArray(GetParam().output), QStringLiteral("/tmp/ours.pl"),
                                        listing, &reason);
    if (GetParam().commands < 0) {
        EXPECT_FALSE(ok);
        EXPECT_FALSE(reason.isEmpty());
        EXPECT_TRUE(listing.commands.isEmpty());
    } else {
        ASSERT_TRUE(ok) << reason.toStdString();
        EXPECT_EQ(listing.commands.size(), GetParam().commands);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Macro, Listing,
    testing::Values(ListingCase{"", -1}, ListingCase{"\n", -1}, ListingCase{"\n0\n", 0},
                    ListingCase{"\n2\n1\n", -1}, ListingCase{"\n1\n2\nprint\n", -1},
                    ListingCase{"\n1\n-1\n", -1}, ListingCase{"\n1\nx\n", -1},
                    ListingCase{"\n99999999999\n", -1}, ListingCase{"\n 1\n1\na\n", -1},
                    ListingCase{"/etc/passwd\n0\n", -1}, ListingCase{"/tmp/ours.pl\n0\n", 0},
                    ListingCase{"\n2\n1\n0\nprint\n", 1}, ListingCase{"\n2\n2\n1\nprint\na\nendif\n", 2},
                    ListingCase{"\n2\n2\n1\nprint\na\nendif", -1}, ListingCase{"\n1\n2\nprint\n\n", 1}));

TEST(MacroTokeniser, SplitsLinesIntoTokens)
{
    const QString source
        = QString::fromUtf8("print 'hello world' it's\r\n# comment\n\n   # indented comment\n"
                            "\tloop   3 \nprint '' 'a'b' 'open end\n\xc3\xa4\xc3\xb6 \xc3\xa9t\n");
    MacroTokeniser t;
    const bool ok = t.run(source);
    ASSERT_TRUE(ok) << t.reason().toStdString();
    const QList<QStringList> expected = {
        {QStringLiteral("print"), QStringLiteral("hello world"), QStringLiteral("it's")},
        {QStringLiteral("loop"), QStringLiteral("3")},
        {QStringLiteral("print"), QString(), QStringLiteral("a'b"), QStringLiteral("open end")},
        {QString::fromUtf8("\xc3\xa4\xc3\xb6"), QString::fromUtf8("\xc3\xa9t")},
    };
    EXPECT_EQ(t.listing().commands.toList(), expected);
    EXPECT_TRUE(t.listing().inlinePerl.isEmpty());
}

// Lines end at a line feed, a carriage return or both, as each editor
// writes them; the import of data files reads them alike.
TEST(MacroTokeniser, EveryKindOfLineEndEndsALine)
{
    const QList<QStringList> expected = {{"print", "a"}, {"loop", "3"}, {"print", "b"}, {"endloop"}};
    const QByteArray inlinePerl = "my $x = 1;\nmy $y = 2;\n";
    for (const char* end : {"\n", "\r\n", "\r"}) {
        SCOPED_TRACE(QByteArray(end).toPercentEncoding().toStdString());
        const QString e = QString::fromLatin1(end);
        const QString source = "print a" + e + "# note" + e + "loop 3" + e + "<perl>" + e + "my $x = 1;" + e
            + "my $y = 2;" + e + "</perl>" + e + "print b" + e + e + "endloop";
        MacroTokeniser t;
        ASSERT_TRUE(t.run(source)) << t.reason().toStdString();
        EXPECT_EQ(t.listing().commands.toList(), expected);
        QFile file(t.listing().inlinePerl);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), inlinePerl);
    }
    // Mixed in one file.
    MacroTokeniser t;
    ASSERT_TRUE(t.run(QStringLiteral("print a\rloop 3\r\nprint b\nendloop")));
    EXPECT_EQ(t.listing().commands.toList(), expected);
}

// Tokenising a long macro takes memory within a small multiple of its size
// (it took some fifty times its size, as one text object per token). The
// child process runs with little more address space than it has, and the
// tokeniser it starts inherits the limit.
TEST(MacroTokeniser, ALongMacroTakesMemoryWithinASmallMultipleOfItsSize)
{
    if (TestSupport::addressSanitizer)
        GTEST_SKIP() << "address-space limits do not work under AddressSanitizer";
    const auto tokeniseWithLittleMemory = [] {
        const QByteArray line = "addvalue 1 2\n";
        const QString source = QString::fromLatin1(line.repeated((12 << 20) / line.size()));
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t limit = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + 6 * (rlim_t(12) << 20);
        const rlimit rl{limit, limit};
        setrlimit(RLIMIT_AS, &rl);
        bool ok = false;
        {
            MacroTokeniser t;
            ok = t.run(source) && t.listing().commands.size() == (12 << 20) / line.size()
                && t.listing().commands.at(7) == QStringList{"addvalue", "1", "2"};
        } // its temporary files go with it: _Exit removes nothing
        std::_Exit(ok ? 0 : 1);
    };
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(tokeniseWithLittleMemory(), ::testing::ExitedWithCode(0), "");
}

TEST(MacroTokeniser, WritesInlinePerlToItsOwnFileAndRemovesItAfterwards)
{
    QString path;
    {
        MacroTokeniser t;
        ASSERT_TRUE(t.run(QStringLiteral("print a\n<perl>\nmy $x = 'q';\n</perl>\nprint b\n")));
        EXPECT_EQ(t.listing().commands.size(), 2);
        path = t.listing().inlinePerl;
        ASSERT_EQ(path, t.inlinePerlPath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QByteArray("my $x = 'q';\n"));
        EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadOther | QFile::ReadGroup),
                  QFile::Permissions());
    }
    EXPECT_FALSE(QFileInfo::exists(path));
}

// A token of sixteen megabytes is taken; one byte more and the macro runs
// nothing, with one error that says why.
TEST(MacroTokeniser, ATokenPastTheLimitRunsNothingAndSaysSo)
{
    for (qsizetype extra : {0, 1}) {
        const QByteArray token(TokenListing::maxTokenBytes + extra, 'x');
        TokenListing listing;
        QString reason;
        bool tooLong = false;
        const bool ok
            = TokenListing::parse("\n1\n2\nprint\n" + token + "\n", QString(), listing, &reason, &tooLong);
        EXPECT_EQ(ok, extra == 0) << reason.toStdString();
        EXPECT_EQ(tooLong, extra == 1);
        EXPECT_EQ(listing.commands.size(), extra == 0 ? 1 : 0);
    }

    FakeMacroHost host;
    runMacro(host,
             QStringLiteral("print a\nsetstring s ")
                 + QString(TokenListing::maxTokenBytes + 1, QLatin1Char('x')));
    EXPECT_EQ(host.console,
              QStringLiteral("Token too long: a token of the macro holds more than 16777216 bytes\n"));
    EXPECT_EQ(host.errors.size(), 1);
}

class BrokenTokeniser : public testing::Test {
protected:
    QString script(const char* body)
    {
        const QString path
            = QDir(TestSupport::scratchDir()).filePath(QStringLiteral("broken%1.pl").arg(++count_));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(body);
        return path;
    }
    void TearDown() override { Macro::setTokeniserScript(QString()); }
    int count_ = 0;
};

TEST_F(BrokenTokeniser, AMalformedListingRunsNothing)
{
    for (const char* body : {"print \"\\n3\\n1\\n\";", "print \"\\n1\\n1\\nprint\\n\"; exit 2;", "exit 0;"}) {
        FakeMacroHost host;
        Macro::setTokeniserScript(script(body));
        runMacro(host, QStringLiteral("print a"));
        EXPECT_TRUE(host.console.startsWith(QStringLiteral("Malformed token listing: ")))
            << host.console.toStdString();
        EXPECT_EQ(host.errors.size(), 1);
        EXPECT_EQ(host.newDocuments, 0);
    }
}

TEST_F(BrokenTokeniser, TheRunRemovesOnlyItsOwnFiles)
{
    const QString victim = QDir(TestSupport::scratchDir()).filePath(QStringLiteral("keep.txt"));
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    FakeMacroHost host;
    host.currentDocument();
    Macro::setTokeniserScript(
        script(QStringLiteral("print \"%1\\n1\\n2\\nprint\\nx\\n\";").arg(victim).toUtf8()));
    Macro m(QStringLiteral("t"), QStringLiteral("print x"), 0, 0);
    m.run(host);
    EXPECT_TRUE(QFileInfo::exists(victim));
    EXPECT_TRUE(host.console.startsWith(QStringLiteral("Malformed token listing: ")));
}

TEST_F(BrokenTokeniser, AMissingScriptIsReportedAsAnException)
{
    FakeMacroHost host;
    host.currentDocument();
    Macro::setTokeniserScript(QStringLiteral("/nonexistent/parsemacro.pl"));
    runMacro(host, QStringLiteral("print a"));
    // Perl starts and fails on the script: a listing failure, nothing runs.
    EXPECT_EQ(host.errors.size(), 1);
    EXPECT_FALSE(host.console.contains(QStringLiteral("a ")));
}

// --- archive ------------------------------------------------------------------------------------------

TEST(MacroArchive, KeepsNameSourceShortcutAndType)
{
    Macro a(QStringLiteral("Fit"), QStringLiteral("print 1\n"), 'g', MacroTypePerlFilter);
    Macro b(QString::fromUtf8("\xc3\xbc"), QString(), 0, MacroTypeLanguage);
    b.colormode = 1;
    KeyedArchiver coder;
    coder.encodeArrayOfObjects(QStringLiteral("root"), std::vector<const ArchivableObject*>{&a, &b});
    KeyedUnarchiver decoder(coder.encodedData());
    Macro::registerArchiveClass(decoder);
    const auto list = decoder.decodeArrayOfObjects<Macro>(QStringLiteral("root"));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]->name, a.name);
    EXPECT_EQ(list[0]->src, a.src);
    EXPECT_EQ(list[0]->shortcut, 'g');
    EXPECT_EQ(list[0]->type, MacroTypePerlFilter);
    EXPECT_EQ(list[1]->name, b.name);
    EXPECT_EQ(list[1]->colormode, 0);
}

} // namespace
