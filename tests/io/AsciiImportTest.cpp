#include "io/AsciiImport.h"

#include "model/DataBuffer.h"
#include "model/DocumentView.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "platform/Calendar.h"
#include "platform/ParallelRanges.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <unicode/gregocal.h>
#include <unicode/smpdtfmt.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Options = ASCIIImport::ImportOptions;

QString fixture(const char* name)
{
    return QStringLiteral(VEXA_FIXTURES "/ascii/") + QString::fromLatin1(name);
}

QString writeScratch(const char* name, const std::string& bytes)
{
    const QString path = TestSupport::scratchDir() + QLatin1Char('/') + QString::fromLatin1(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes.data(), qint64(bytes.size()));
    return path;
}

class Controller : public ManagerServices {
public:
    int pair = 1;
    int updates = 0;
    int axis12() const override { return pair; }
    void update() override { ++updates; }
};

struct Points {
    std::vector<double> x, y, ex = {}, ey = {};
};

class View : public DocumentView {
public:
    int displays = 0;
    void displayNow() override { ++displays; }
    QSizeF boundsSize() const override { return QSizeF(800, 600); }
};

// Dates are read in the user's zone; these tests live in Berlin.
class AsciiImportTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(zone_.ok()); }

    static std::vector<Points> points(const VexaDocument& d)
    {
        std::vector<Points> out;
        for (const auto& b : d.DB)
            out.push_back({b->X, b->Y, b->EX, b->EY});
        return out;
    }

    Controller controller;

private:
    TestSupport::PinnedTimeZone zone_;
};

// 2011-03-04 12:00:00 and 00:00:00 in Berlin (UTC+1), in seconds since 2001.
constexpr double kNoon = 320929200;
constexpr double kMidnight = 320886000;
constexpr double kNextMidnight = 320972400;

struct FileCase {
    const char* name;
    const char* file;
    void (*tweak)(Options&);
    std::vector<Points> buffers;
};

void PrintTo(const FileCase& c, std::ostream* os)
{
    *os << c.name;
}

void defaults(Options&)
{
}

class AsciiImportFiles : public AsciiImportTest, public ::testing::WithParamInterface<FileCase> { };

TEST_P(AsciiImportFiles, GiveTheirBuffers)
{
    const FileCase& c = GetParam();
    Options o;
    o.path = fixture(c.file);
    c.tweak(o);
    VexaDocument d(&controller);
    const Outcome outcome = ASCIIImport::importFile(d, o);
    EXPECT_TRUE(outcome.ok()) << outcome.message().toStdString();
    const std::vector<Points> got = points(d);
    ASSERT_EQ(got.size(), c.buffers.size());
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE("buffer " + std::to_string(i));
        EXPECT_EQ(got[i].x, c.buffers[i].x);
        EXPECT_EQ(got[i].y, c.buffers[i].y);
        EXPECT_EQ(got[i].ex, c.buffers[i].ex);
        EXPECT_EQ(got[i].ey, c.buffers[i].ey);
    }
}

const FileCase kFileCases[] = {
    {"Tabs", "tabs.txt", defaults, {{{1, 2, 3}, {10, 20, 30}}, {{1, 2, 3}, {100, 200, 300}}}},
    {"NoXColumn",
     "tabs.txt",
     [](Options& o) { o.noXColumn = true; },
     {{{0, 1, 2}, {1, 2, 3}}, {{0, 1, 2}, {10, 20, 30}}, {{0, 1, 2}, {100, 200, 300}}}},
    {"XColumnTwo",
     "tabs.txt",
     [](Options& o) { o.xColumn = 2; },
     {{{10, 20, 30}, {1, 2, 3}}, {{10, 20, 30}, {100, 200, 300}}}},
    {"XColumnZeroIsNone",
     "tabs.txt",
     [](Options& o) { o.xColumn = 0; },
     {{{0, 1, 2}, {1, 2, 3}}, {{0, 1, 2}, {10, 20, 30}}, {{0, 1, 2}, {100, 200, 300}}}},
    {"OneColumnCountsRows", "one_column.txt", defaults, {{{0, 1, 2}, {5, 6, 7}}}},
    {"CommasSeparateByDefault", "commas.csv", defaults, {{{1, 3}, {2, 4}}}},
    {"DecimalComma",
     "decimal_comma.txt",
     [](Options& o) { o.commaSeparates = false; },
     {{{1.5, 3}, {2.25, 4.5}}}},
    {"SemicolonsKeepColumns",
     "semicolons.csv",
     [](Options& o) { o.separator = QStringLiteral(";"); },
     {{{1, 3}, {2.5, 1.5}}, {{1, 2}, {3, 4}}}},
    {"BlanksAfterSeparator",
     "comma_blank.csv",
     [](Options& o) { o.separator = QStringLiteral(","); },
     {{{1, 4}, {2, 5}}, {{1, 4}, {3, 6}}}},
    {"CommentText",
     "comments.txt",
     [](Options& o) { o.commentText = QStringLiteral("#"); },
     {{{1, 3}, {2, 4}}}},
    {"HeaderAndIgnoredLines",
     "header.txt",
     [](Options& o) { o.ignoreText = QStringLiteral("skip"); },
     {{{1, 7}, {2, 8}}}},
    {"BlankLines", "blank_lines.txt", [](Options& o) { o.numericLinesOnly = false; }, {{{1, 3}, {2, 4}}}},
    {"RaggedRows", "ragged.txt", defaults, {{{1, 4, 6}, {2, 5, 7}}, {{1, 6}, {3, 8}}, {{6}, {9}}}},
    {"CrLf", "crlf.txt", defaults, {{{1, 3}, {2, 4}}}},
    {"ByteOrderMark", "bom.txt", [](Options& o) { o.numericLinesOnly = false; }, {{{1, 3}, {2, 4}}}},
    {"Latin1", "latin1.txt", [](Options& o) { o.numericLinesOnly = false; }, {{{1, 3}, {2, 4}}}},
    {"UnicodeLineBreaks", "unicode_breaks.txt", defaults, {{{1, 3, 5}, {2, 4, 6}}}},
    {"ErrorMode",
     "errors.txt",
     [](Options& o) { o.mode = ASCIIImport::ErrorMode; },
     {{{1, 2, 4}, {2, 3, 5}, {0, 0.2, 0}, {0.1, 0.3, 0}}}},
    {"DateTime", "datetime.txt", defaults, {{{kNoon, kNoon + 30}, {5, 6}}}},
    // The date stands between Unicode blanks, the line is no ASCII until the
    // date has been written as seconds.
    {"Latin1DateWithNoBreakSpace", "latin1_nbsp_date.txt", defaults, {{{kNoon}, {5}}}},
    {"FractionOfSecond", "fraction.txt", defaults, {{{kNoon + 0.5}, {1}}}},
    {"DatesKeepEmptyFields",
     "date_semicolon.csv",
     [](Options& o) { o.separator = QStringLiteral(";"); },
     {{{kMidnight, kNextMidnight}, {1, 2}}, {{kNextMidnight}, {5}}, {{kMidnight, kNextMidnight}, {3, 6}}}},
    {"FirstDateFormatStays", "remembered.txt", defaults, {{{kMidnight, 2011}, {1, 2}}}},
    {"NoTime",
     "datetime.txt",
     [](Options& o) { o.noTime = true; },
     {{{2011, 2011}, {12, 12}}, {{2011, 2011}, {0, 0}}, {{2011, 2011}, {0, 30}}, {{2011, 2011}, {5, 6}}}},
    {"UserPattern",
     "user_format.txt",
     [](Options& o) {
         o.timeFormat = QStringLiteral("dd/MM/yyyy  HH:mm");
         o.useTimeFormat = true;
     },
     {{{kNoon}, {5}}}},
    {"BuiltInMonthFirst", "user_format.txt", defaults, {{{kNoon + 30 * 86400 - 3600}, {5}}}},
};

INSTANTIATE_TEST_SUITE_P(Fixtures, AsciiImportFiles, ::testing::ValuesIn(kFileCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

// Whatever goes wrong, the document is as it was and the caller learns why.
struct FailCase {
    const char* name;
    QString (*path)();
    int mode;
    int alerts;
};

void PrintTo(const FailCase& c, std::ostream* os)
{
    *os << c.name;
}

class AsciiImportNothingRead : public AsciiImportTest, public ::testing::WithParamInterface<FailCase> { };

TEST_P(AsciiImportNothingRead, LeavesTheDocumentAlone)
{
    const FailCase& c = GetParam();
    VexaDocument d(&controller);
    d.DB.push_back(std::make_unique<DataBuffer>());
    d.scale(1, -5, 5, -7, 7, false, false);
    ScriptedAlerts alerts;
    Options o;
    o.path = c.path();
    o.mode = c.mode;
    o.numericLinesOnly = false;
    const Outcome outcome = ASCIIImport::importFile(d, o);
    EXPECT_FALSE(outcome.ok());
    EXPECT_FALSE(outcome.message().isEmpty());
    EXPECT_EQ(d.DB.size(), 1u);
    EXPECT_EQ(d.xmin1, -5);
    EXPECT_EQ(d.ymax1, 7);
    EXPECT_EQ(d.axes[AxisX1].axismode, AxisLinear);
    EXPECT_EQ(controller.updates, 0);
    // The import shows nothing; its caller shows the failures it alerts.
    EXPECT_TRUE(alerts.requests().empty());
    EXPECT_EQ(outcome.kind(), c.alerts ? Outcome::Kind::Failed : Outcome::Kind::Empty);
    Alert::show(outcome);
    ASSERT_EQ(int(alerts.requests().size()), c.alerts);
    if (c.alerts) {
        EXPECT_EQ(alerts.requests()[0].title, QStringLiteral("ASCII Import Error"));
    }
}

QString fifo()
{
    const QString path = TestSupport::scratchDir() + QStringLiteral("/pipe");
    mkfifo(QFile::encodeName(path).constData(), 0600);
    return path;
}

const FailCase kFailCases[] = {
    {"Empty", [] { return fixture("empty.txt"); }, 0, 0},
    {"EmptyErrorMode", [] { return fixture("empty.txt"); }, 1, 0},
    {"NoNumbers", [] { return fixture("no_numbers.txt"); }, 0, 0},
    {"Missing", [] { return fixture("no_such_file.txt"); }, 0, 0},
    {"Directory", [] { return QStringLiteral(VEXA_FIXTURES); }, 0, 0},
    {"Binary", [] { return fixture("binary.bin"); }, 0, 1},
    {"Unreadable", fifo, 0, 1},
    {"UnknownMode", [] { return fixture("tabs.txt"); }, 2, 0},
};

INSTANTIATE_TEST_SUITE_P(Files, AsciiImportNothingRead, ::testing::ValuesIn(kFailCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(AsciiImportTest, AppendsNamedBuffersRescalesTheChosenPairAndReplots)
{
    VexaDocument d(&controller);
    View view;
    d.PV = &view;
    d.DB.push_back(std::make_unique<DataBuffer>());
    controller.pair = 2;
    Options o;
    o.path = fixture("datetime.txt");
    ASSERT_TRUE(ASCIIImport::importFile(d, o).ok());
    ASSERT_EQ(d.DB.size(), 2u);
    EXPECT_EQ(d.DB[1]->source, o.path);
    EXPECT_EQ(d.DB[1]->comment, QStringLiteral("Import"));
    EXPECT_EQ(d.DB[1]->xmin, kNoon);
    EXPECT_EQ(d.DB[1]->ymax, 6);
    EXPECT_EQ(d.axes[AxisX1].axismode, AxisTime);
    EXPECT_GT(controller.updates, 0);
    EXPECT_GT(view.displays, 0);
    EXPECT_EQ(d.xmax1, 1); // pair 1 was not asked for

    controller.pair = 1;
    o.path = fixture("tabs.txt");
    o.source = QStringLiteral("Pasteboard");
    o.comment = QStringLiteral("run 7");
    ASSERT_TRUE(ASCIIImport::importFile(d, o).ok());
    ASSERT_EQ(d.DB.size(), 4u);
    EXPECT_EQ(d.DB[3]->source, QStringLiteral("Pasteboard"));
    EXPECT_EQ(d.DB[3]->comment, QStringLiteral("run 7"));
    EXPECT_LT(d.ymin1, 5);
    EXPECT_GT(d.ymax1, 300);
}

// Blank lines (and the empty line a CR LF pair used to leave) are no failed
// dates; only lines that hold something and no date count towards the limit.
TEST_F(AsciiImportTest, DateRecognitionStopsAfterTheLimitOfFailedLines)
{
    struct Case {
        int failing;
        double lastX;
    };
    for (const Case c : {Case{1000, kNoon}, Case{1001, 2011}}) {
        std::string text;
        for (int i = 0; i < c.failing; ++i)
            text += "1 2\r\n\r\n \n";
        text += "2011-03-04 12:00:00 5\r\n";
        VexaDocument d(&controller);
        Options o;
        o.path = writeScratch("limit.txt", text);
        ASSERT_TRUE(ASCIIImport::importFile(d, o).ok());
        EXPECT_EQ(d.DB[0]->X.back(), c.lastX) << c.failing;
    }

    std::string dates;
    for (int i = 0; i < 1500; ++i)
        dates += "2011-03-04 12:00:00 " + std::to_string(i) + "\r\n\r\n";
    VexaDocument d(&controller);
    Options o;
    o.path = writeScratch("dates.txt", dates);
    ASSERT_TRUE(ASCIIImport::importFile(d, o).ok());
    ASSERT_EQ(d.DB.size(), 1u);
    EXPECT_EQ(d.DB[0]->X, std::vector<double>(1500, kNoon));
}

// Long runs of digits must not make the import slower than linear: the date
// parser alone took minutes over one line of a million digits. A hang is the
// fault here; the test's time-out catches it.
TEST_F(AsciiImportTest, LongTokensKeepTheImportLinear)
{
    const std::string digits(4'000'000, '7');
    const struct {
        const char* what;
        std::string line;
        const char* separator;
        const char* userFormat;
    } cases[] = {
        {"a run of digits", digits, "", nullptr},
        {"after a date", "2011-03-04 " + digits, "", nullptr},
        {"glued to a date", "2011-03-04" + digits, "", nullptr},
        {"an exponent of many digits", "1e" + digits, "", nullptr},
        {"many digits after the point", "0." + digits + "e-5 3", "", nullptr},
        {"in a separated field", digits + ";2", ";", nullptr},
        {"with a user format", digits + " 2", "", "yyyy-MM-dd"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        VexaDocument d(&controller);
        Options o;
        o.path = writeScratch("long-token.txt", c.line + "\n4" + (*c.separator ? c.separator : " ") + "5\n");
        o.separator = QLatin1String(c.separator);
        if (c.userFormat) {
            o.timeFormat = QLatin1String(c.userFormat);
            o.useTimeFormat = true;
        }
        ASSERT_TRUE(ASCIIImport::importFile(d, o).ok());
        ASSERT_FALSE(d.DB.empty());
        // The line after it is read as ever.
        ASSERT_FALSE(d.DB[0]->Y.empty());
        EXPECT_EQ(d.DB[0]->Y.back(), 5);
    }
}

// The buffers of one import hold their x values once between them for as
// long as every one of them gets a point in every row; a column that misses
// one keeps x values of its own from there on. Either way each buffer holds
// the points it always did.
TEST_F(AsciiImportTest, ColumnsInStepShareTheirXValues)
{
    const struct {
        const char* what;
        const char* text;
        const char* separator;
        bool noX;
        std::vector<Points> buffers;
        std::vector<int> sharing; // per buffer: the first buffer it shares its x values with, or -1
    } cases[] = {
        {"dense",
         "1 10 100\n2 20 200\n3 30 300\n",
         "",
         false,
         {{{1, 2, 3}, {10, 20, 30}}, {{1, 2, 3}, {100, 200, 300}}},
         {0, 0}},
        {"an empty field",
         "1;10;100\n2;;200\n3;30;300\n",
         ";",
         false,
         {{{1, 3}, {10, 30}}, {{1, 2, 3}, {100, 200, 300}}},
         {-1, 1}},
        {"a short row",
         "1 10 100\n2 20\n3 30 300\n",
         "",
         false,
         {{{1, 2, 3}, {10, 20, 30}}, {{1, 3}, {100, 300}}},
         {0, -1}},
        {"a column that starts late",
         "1 10\n2 20 200\n3 30 300\n",
         "",
         false,
         {{{1, 2, 3}, {10, 20, 30}}, {{2, 3}, {200, 300}}},
         {0, -1}},
        {"no x column", "10 100\n20 200\n", "", true, {{{0, 1}, {10, 20}}, {{0, 1}, {100, 200}}}, {0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        VexaDocument d(&controller);
        Options o;
        o.path = writeScratch("in-step.txt", c.text);
        o.separator = QLatin1String(c.separator);
        o.noXColumn = c.noX;
        ASSERT_TRUE(ASCIIImport::importFile(d, o).ok());
        const auto got = points(d);
        ASSERT_EQ(got.size(), c.buffers.size());
        for (std::size_t k = 0; k < got.size(); ++k) {
            EXPECT_EQ(got[k].x, c.buffers[k].x) << k;
            EXPECT_EQ(got[k].y, c.buffers[k].y) << k;
        }
        for (std::size_t k = 0; k < got.size(); ++k)
            for (std::size_t j = k + 1; j < got.size(); ++j)
                EXPECT_EQ(d.DB[j]->X.sharesWith(d.DB[k]->X), c.sharing[j] == int(k) && c.sharing[k] == int(k))
                    << k << " " << j;
    }

    // A change to one buffer's x values leaves the others' as they were.
    VexaDocument d(&controller);
    Options o;
    o.path = writeScratch("in-step.txt", "1 10 100\n2 20 200\n");
    ASSERT_TRUE(ASCIIImport::importFile(d, o).ok());
    d.DB[0]->setXDoubleValueAt(0, 5);
    EXPECT_EQ(d.DB[0]->X, (std::vector<double>{5, 2}));
    EXPECT_EQ(d.DB[1]->X, (std::vector<double>{1, 2}));
}

long statusKilobytes(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::atol(line.c_str() + std::strlen(key));
    return -1L;
}

// Resets the high-water mark of resident memory to what is resident now,
// and returns that.
long resetPeakKilobytes()
{
    std::ofstream("/proc/self/clear_refs") << "5";
    return statusKilobytes("VmRSS:");
}

// Eight dense columns took more than twice the memory of their numbers (each
// buffer held a copy of the x column); now the peak stays within one and a
// half times the numbers read.
TEST_F(AsciiImportTest, DenseColumnsTakeLittleMoreMemoryThanTheirNumbers)
{
    if (TestSupport::addressSanitizer)
        GTEST_SKIP() << "resident memory means something else under AddressSanitizer";
    constexpr int rows = 2'000'000;
    std::string text;
    text.reserve(std::size_t(rows) * 26);
    for (int i = 0; i < rows; ++i)
        text += std::to_string(i) + " 1 2 3 4 5 6 7 8\n";
    Options o;
    o.path = writeScratch("dense.txt", text);
    text = std::string();

    const long base = resetPeakKilobytes();
    VexaDocument d(&controller);
    ASSERT_TRUE(ASCIIImport::importFile(d, o).ok());
    const long peak = statusKilobytes("VmHWM:");
    ASSERT_EQ(d.DB.size(), 8u);
    const double numbers = 9.0 * rows * sizeof(double) / 1024; // x and eight y per row, in kilobytes
    EXPECT_LT(double(peak - base), 1.5 * numbers) << "peak " << peak - base << " kB";
}

// Fields past the limit are dropped, in both ways of cutting a line.
TEST_F(AsciiImportTest, ReadsAtMostTheLimitOfFieldsPerLine)
{
    for (const char* separator : {" ", ";"}) {
        std::string line;
        for (int i = 1; i <= 3000; ++i)
            line += std::to_string(i) + separator;
        VexaDocument d(&controller);
        Options o;
        o.path = writeScratch("wide.txt", line + "\n");
        o.separator = QString::fromLatin1(separator).trimmed();
        ASSERT_TRUE(ASCIIImport::importFile(d, o).ok());
        ASSERT_EQ(int(d.DB.size()), ASCIIImport::maxFields - 1) << separator;
        EXPECT_EQ(d.DB.back()->Y, std::vector<double>{2048});
    }
}

// Dates are read as the platform's strict date parser reads them, around
// the changes of summer time and the calendar reform, for impossible dates
// and for fields of unusual widths alike.
TEST_F(AsciiImportTest, DatesAreReadLikeTheStrictDateParser)
{
    const auto strictParse = [](const char* pattern, const char* text, double& seconds) {
        UErrorCode status = U_ZERO_ERROR;
        icu::SimpleDateFormat f(icu::UnicodeString::fromUTF8(pattern), icu::Locale::getDefault(), status);
        f.adoptCalendar(new icu::GregorianCalendar(icu::TimeZone::createDefault(), status));
        f.setLenient(false);
        f.setBooleanAttribute(UDAT_PARSE_PARTIAL_LITERAL_MATCH, false, status);
        const icu::UnicodeString u = icu::UnicodeString::fromUTF8(text);
        icu::ParsePosition pos(0);
        const UDate d = f.parse(u, pos);
        seconds = Calendar::fromUnixTime(d / 1000);
        return U_SUCCESS(status) && pos.getErrorIndex() < 0 && pos.getIndex() == u.length();
    };
    // The order in which a separated first field is tried.
    const char* const formats[] = {
        "yyyy-MM-dd",
        "MM/dd/yyyy",
        "dd.MM.yyyy",
        "HH:mm:ss",
        "HH:mm:ss.S",
        "HH:mm",
        "yyyy-MM-dd HH:mm:ss",
        "yyyy-MM-dd HH:mm:ss.S",
        "yyyy-MM-dd HH:mm",
        "MM/dd/yyyy HH:mm:ss",
        "MM/dd/yyyy HH:mm:ss.S",
        "MM/dd/yyyy HH:mm",
        "dd.MM.yyyy HH:mm:ss",
        "dd.MM.yyyy HH:mm:ss.S",
        "dd.MM.yyyy HH:mm",
    };
    // clang-format off
    const char* const texts[] = {
        "2011-03-27 02:30:00", "2011-10-30 02:30:00", "2011-02-29", "2012-02-29", "2011-03-04 24:00",
        "2011-13-01", "1582-10-10", "1582-10-15 00:00:00", "0000-01-01", "31.04.2011", "12:00:00.55",
        "2011-3-4", "02/30/2011 10:00", "29.02.2000 23:59:59.999",
        // A separator of another format in place of the pattern's own.
        "2011.03.04", "2011/03/04 10:00:00", "03-04-2011 10:00", "04/03/2011 10.30", "10.30.00", "0.001",
        // Fewer of a separator than the pattern has, or just as many.
        "12.345", "12.03", "12.03.", ".12.03", "1.2.3", "-5.03.2011", "2011-03", "2011--03", "-2011-03-04",
        "2011-03-04-", "10:30", "10:30:", "1:10:30", "01/02", "1/2/3", "01/02/", "31.12.2011 10:30", "31.12.2011 10",
        "2011-03-04 10", "2011-03-04 10:", "03/04/2011 10:00:00.", "12:00:00.5.", "-1:00", "1e5",
    };
    // clang-format on
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        double expected = 0;
        bool isDate = false;
        for (const char* f : formats)
            if ((isDate = strictParse(f, text, expected)))
                break;
        VexaDocument d(&controller);
        Options o;
        o.path = writeScratch("date.csv", std::string(text) + ";7\n");
        o.separator = QStringLiteral(";");
        ASSERT_TRUE(ASCIIImport::importFile(d, o).ok());
        EXPECT_EQ(d.axes[AxisX1].axismode == AxisTime, isDate);
        if (isDate) {
            EXPECT_NEAR(d.DB[0]->X[0], expected, 1e-6); // written with six decimals on the way
        }
    }
}

// Lets the process map what it maps now and `extra` bytes more.
void limitAddressSpace(rlim_t extra)
{
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t limit = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + extra;
    const rlimit rl{limit, limit};
    setrlimit(RLIMIT_AS, &rl);
}

// One wide line early in a long file must not make every one of its columns
// take room for all the lines after it: the import of a small file would run
// out of memory.
TEST_F(AsciiImportTest, OneWideLineDoesNotExhaustMemory)
{
    if (TestSupport::addressSanitizer)
        GTEST_SKIP() << "address-space limits do not work under AddressSanitizer";
    std::string text;
    for (int i = 1; i <= ASCIIImport::maxFields; ++i)
        text += std::to_string(i) + ' ';
    text += '\n';
    for (int i = 0; i < 300000; ++i)
        text += "1 2\n";
    const QString path = writeScratch("wide_then_long.txt", text);

    const auto importWithLittleMemory = [this, &path] {
        limitAddressSpace(rlim_t(1) << 30);
        VexaDocument d(&controller);
        Options o;
        o.path = path;
        const bool ok = ASCIIImport::importFile(d, o).ok()
            && d.DB.size() == size_t(ASCIIImport::maxFields - 1) && d.DB[0]->Y.size() == 300001;
        std::_Exit(ok ? 0 : 1);
    };
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(importWithLittleMemory(), ::testing::ExitedWithCode(0), "");
}

// Columns that do not fit in memory are refused with a message, whichever
// thread of the import runs out of memory first: on a helper thread that
// ended the program.
TEST_F(AsciiImportTest, ColumnsThatDoNotFitInMemoryAreRefusedOnAnyThread)
{
    if (TestSupport::addressSanitizer)
        GTEST_SKIP() << "address-space limits do not work under AddressSanitizer";
    std::string text;
    text.reserve(24'000'000);
    for (int i = 0; i < 6'000'000; ++i)
        text += "1 2\n";
    const QString path = writeScratch("too-large.txt", text);
    text = std::string();

    const auto importWithLittleMemory = [this, &path] {
        ParallelRanges::run(64, 1, [](size_t, size_t) {}); // the helper threads are there
        limitAddressSpace(rlim_t(40) << 20); // room to read the file, not for its columns
        ScriptedAlerts alerts;
        VexaDocument d(&controller);
        Options o;
        o.path = path;
        o.noTime = true;
        const Outcome outcome = ASCIIImport::importFile(d, o);
        const bool refused = outcome.kind() == Outcome::Kind::Failed && d.DB.empty()
            && outcome.title() == ASCIIImport::alertTitle()
            && outcome.message().contains(QStringLiteral("too large")) && alerts.requests().empty();
        std::_Exit(refused ? 0 : 1);
    };
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(importWithLittleMemory(), ::testing::ExitedWithCode(0), "");
}

// A line of millions of words keeps at most the limit of fields, and the
// import takes room for the line itself and a copy or two, not an entry per
// word: a line of 26 MB with one character outside ASCII took 1.5 GB. Lines
// that are plain, that are not, with a date that makes them anew, in UTF-8
// and in Latin-1.
TEST_F(AsciiImportTest, LongLinesTakeRoomForTheLineNotForEveryWord)
{
    if (TestSupport::addressSanitizer)
        GTEST_SKIP() << "resident memory means something else under AddressSanitizer";
    std::string words;
    for (int i = 0; words.size() < 12'000'000; ++i)
        words += std::to_string(i % 10) + ' ';
    const struct {
        const char* what;
        std::string head; // before the words
        double x; // of the first row, or NaN when the long line gives nothing
    } cases[] = {
        {"plain", "", 0},
        {"a degree sign", "\xC2\xB0 1 ", std::nan("")},
        {"a date and a no-break space",
         "2011-03-04\xC2\xA0"
         "12:00:00 ",
         kNoon},
        {"a date in a Latin-1 file", "2011-03-04 12:00:00\xA0", kNoon},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string line = c.head + words + '\n';
        Options o;
        o.path = writeScratch("long-line.txt", line + "4 5\n");
        const long base = resetPeakKilobytes();
        {
            VexaDocument d(&controller);
            ASSERT_TRUE(ASCIIImport::importFile(d, o).ok());
            const long peak = statusKilobytes("VmHWM:") - base;
            EXPECT_LT(double(peak), 4.0 * double(line.size()) / 1024) << "peak " << peak << " kB";
            if (std::isnan(c.x)) {
                // The line is skipped whole; the next one is read.
                ASSERT_EQ(d.DB.size(), 1u);
                EXPECT_EQ(d.DB[0]->X, std::vector<double>{4});
                EXPECT_EQ(d.DB[0]->Y, std::vector<double>{5});
                continue;
            }
            // The first field is x, the next 2047 make a column each; the
            // next line adds to the first.
            ASSERT_EQ(int(d.DB.size()), ASCIIImport::maxFields - 1);
            EXPECT_EQ(d.DB[0]->X, (std::vector<double>{c.x, 4}));
            EXPECT_EQ(d.DB[0]->Y, (std::vector<double>{c.x == 0 ? 1.0 : 0.0, 5}));
            EXPECT_EQ(d.DB.back()->Y, std::vector<double>{c.x == 0 ? 7.0 : 6.0});
        }
    }
}

} // namespace
