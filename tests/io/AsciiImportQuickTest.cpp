// Plain lines of an import are read by a quick reader, in parts on several
// threads; every other line by the careful line reader. A CR before each line
// feed changes no line's meaning but sends every line to the careful reader,
// so the two readings of a text can be compared point for point.

#include "io/AsciiFastLines.h"
#include "io/AsciiImport.h"

#include "model/DataBuffer.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "platform/ParallelRanges.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;

using Options = ASCIIImport::ImportOptions;

QString writeScratch(const QString& name, const std::string& bytes)
{
    const QString path = TestSupport::scratchDir() + QLatin1Char('/') + name;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes.data(), qint64(bytes.size()));
    return path;
}

std::string readFile(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray all = f.readAll();
    return std::string(all.constData(), size_t(all.size()));
}

// Every bare line feed becomes CR LF, and a last line without one ends in
// a CR.
std::string carefulForm(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    if (!text.empty() && text.back() != '\n' && text.back() != '\r')
        out += '\r';
    return out;
}

struct Imported {
    bool ok = false;
    QString why;
    std::vector<std::vector<double>> columns; // X, Y, EX, EY of every buffer
    // Whether there are x extents, they, and the same for y, of every
    // buffer: as the import left them, and as rescale() finds them after it.
    std::vector<double> extents, rescaled;
    QString gdf;
    int gn = 0;
};

Imported import(const QString& path, const Options& base)
{
    Options o = base;
    o.path = path;
    VexaDocument d;
    Imported r;
    const Outcome outcome = ASCIIImport::importFile(d, o);
    r.ok = outcome.ok();
    r.why = outcome.message();
    for (const auto& b : d.DB)
        for (const SharedColumn* v : {&b->X, &b->Y, &b->EX, &b->EY})
            r.columns.push_back(v->vector());
    for (std::vector<double>* extents : {&r.extents, &r.rescaled}) {
        for (const auto& b : d.DB) {
            extents->insert(
                extents->end(),
                {double(b->havexminmax), b->xmin, b->xmax, double(b->haveyminmax), b->ymin, b->ymax});
            b->rescale();
        }
    }
    r.gdf = d.gdf;
    r.gn = d.gn;
    return r;
}

bool sameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size()
        && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

void expectSameReading(const std::string& text, const Options& options, const std::string& what)
{
    const Imported quick = import(writeScratch(QStringLiteral("quick.txt"), text), options);
    const Imported careful = import(writeScratch(QStringLiteral("careful.txt"), carefulForm(text)), options);
    EXPECT_EQ(quick.ok, careful.ok) << what;
    EXPECT_EQ(quick.why.isEmpty(), careful.why.isEmpty()) << what;
    EXPECT_EQ(quick.gdf, careful.gdf) << what;
    EXPECT_EQ(quick.gn, careful.gn) << what;
    ASSERT_EQ(quick.columns.size(), careful.columns.size()) << what;
    for (size_t i = 0; i < quick.columns.size(); ++i)
        EXPECT_TRUE(sameBits(quick.columns[i], careful.columns[i]))
            << what << ": buffer " << i / 4 << " column " << i % 4 << " has " << quick.columns[i].size()
            << " vs " << careful.columns[i].size() << " values";
}

struct Settings {
    const char* name;
    void (*tweak)(Options&);
};

// clang-format off
const Settings kSettings[] = {
    {"defaults",         [](Options&) {}},
    {"no time",          [](Options& o) { o.noTime = true; }},
    {"all lines",        [](Options& o) { o.noTime = true; o.numericLinesOnly = false; }},
    {"no x column",      [](Options& o) { o.noTime = true; o.noXColumn = true; }},
    {"x column 2",       [](Options& o) { o.noTime = true; o.xColumn = 2; }},
    {"decimal comma",    [](Options& o) { o.noTime = true; o.commaSeparates = false; }},
    {"periods separate", [](Options& o) { o.noTime = true; o.periodSeparates = true; }},
    {"tab separator",    [](Options& o) { o.noTime = true; o.separator = QStringLiteral("\t"); }},
    {"semicolons",       [](Options& o) { o.noTime = true; o.separator = QStringLiteral(";"); }},
    {"commas",           [](Options& o) { o.noTime = true; o.separator = QStringLiteral(","); }},
    {"two-byte separator", [](Options& o) { o.noTime = true; o.separator = QStringLiteral("::"); }},
    {"comments, ignore", [](Options& o) { o.noTime = true; o.commentText = QStringLiteral("#"); o.ignoreText = QStringLiteral("skip"); }},
    {"error mode",       [](Options& o) { o.noTime = true; o.mode = ASCIIImport::ErrorMode; }},
    {"error mode, tabs", [](Options& o) { o.noTime = true; o.mode = ASCIIImport::ErrorMode; o.separator = QStringLiteral("\t"); }},
};
// clang-format on

// Lines of every kind: plain ones, and ones the quick reader must leave to
// the careful one (number syntax it does not take, Unicode, other breaks).
std::string mixedText(int lines)
{
    // clang-format off
    static const char* const kinds[] = {
        "1 2 3", "4\t5\t6", "  7   8  ", "-0 +3 .5 5.", "1e5 2E-3 -7.25e+2", "9 10 11 12",
        "1,5 2,5", "1.000.000 2", "1e999 1", "1e-999 2", "nan 3", "inf -inf", "0x10 4", "1-2 3",
        "header text", "# 1 2", "1 2 # three", "skip 1 2", "1;2;3", "1; ;3", ";;", "1,2,3", "1, ,3",
        "", "   ", "\t", "5 \xC3\xA4 6", "7\xA0" "8", "1 2\r3 4", "1\v2", "1 2\f", "1::2::3", "1: :2",
        "2011-03-04 12:00:00 5", "12:00:00 1", "1 2 3 4 5", "1 2 3 4", "-", "+", ".", "1e", "1.5.",
        // Numbers on both sides of the exact short cut of the number reader.
        "0.1 0.7", "9007199254740993 9007199254740992", "1e22 1e23", "1e-22 1e-23", "123456789012345678901 2",
        "0.00000000000000000000000000001234 5", "4.9406564584124654e-324 1.7976931348623157e308",
        "2.2250738585072011e-308 -0.0", "3.14159265358979323846264338327950288 -1e+300", "000001.5000 -00",
        // Digits read a word at a time: runs of seven, eight and nine.
        "1234567 7654321.7654321", "12345678 1.12345678", "123456789.5 -0.0000001", "-.5 +.25 5.e3",
        "9999999.9999999 0000000.0000001", "1234567.12345678 7",
    };
    // clang-format on
    std::string text;
    unsigned state = 12345;
    for (int i = 0; i < lines; ++i) {
        state = state * 1103515245u + 12345u;
        const unsigned pick = (state >> 16) % 4;
        if (pick == 0) {
            text += kinds[(state >> 8) % std::size(kinds)];
        } else {
            // Mostly the plain lines a large file is made of.
            text += std::to_string(i) + '\t' + std::to_string(int(state % 2001) - 1000) + '.'
                + std::to_string(state % 1000);
            if (pick != 2)
                text += "e-" + std::to_string(state % 3);
            if (pick == 3)
                text += ' ' + std::to_string(state % 77);
        }
        text += '\n';
    }
    return text;
}

// The same short run of pseudo-random numbers on every machine.
struct Lcg {
    unsigned state;
    unsigned operator()()
    {
        state = state * 1103515245u + 12345u;
        return state >> 16;
    }
};

// Lines whose bytes are drawn from what numbers and blanks are made of, and
// lines of numbers of up to ten digits before and after the period, of every
// length around the 32 bytes the vector reading takes at once.
std::string numberishText(int lines)
{
    static const char kBytes[] = "0123456789000111.........----++++      \t\t,,eE";
    static const char* const kSigns[] = {"", "", "-", "+"};
    static const char* const kBlanks[] = {" ", "\t", "  ", ", ", "\t "};
    std::string text;
    Lcg next{777};
    for (int i = 0; i < lines; ++i) {
        const unsigned length = next() % 48;
        if (i % 2) {
            for (unsigned k = 0; k < length; ++k)
                text += kBytes[next() % (sizeof kBytes - 1)];
        } else {
            while (text.size() % 4096 < 4000 && length > 0) {
                const size_t start = text.size();
                text += kBlanks[next() % std::size(kBlanks)];
                text += kSigns[next() % std::size(kSigns)];
                for (unsigned k = next() % 11; k > 0; --k)
                    text += char('0' + next() % 10);
                if (next() % 4) {
                    text += '.';
                    for (unsigned k = next() % 11; k > 0; --k)
                        text += char('0' + next() % 10);
                }
                if (text.size() - start > length || next() % 3 == 0)
                    break;
            }
        }
        text += '\n';
    }
    return text;
}

// Lines of every length around the 32 and 64 bytes the vector readings take
// at once, and far beyond, of numbers of every kind the quick readers take
// or refuse, so that numbers stand across the end of every window: blanks
// of every kind before them, lines ending in CR LF, blank lines and lines
// of many numbers among them.
std::string windowEdgesText(int rounds)
{
    // clang-format off
    static const char* const kNumbers[] = {
        "0", "-0", "+0", "-0.0", "7", "+7", "-7", ".5", "5.", "-.25", "+.75", "-5.", "0.1", "-0.1",
        "12345678", "123456789", "-1234567.8", "12345678.12345678", "999999999999999", "-999999999999999",
        "1234567890.12345", "0.00000000000001", "-.000000000000001", "123456789012345.",
        "1234567890123456", "12345678901234567", "1234567890.123456", "9007199254740993",
        "-99999999999999999999", "0.30000000000000004", "000000000000001", "0000000000000001.5",
        "1e5", "2E-3", "-7.25e+2", "1e308", "1e999", "-1e-999", "4.9e-324", "1e22", "1e23",
        "inf", "nan", "-inf", "1.2.3", "--5", "+-5", "-", ".", "+", "5-", "1-2", "..5", "5..", "e5", "1e",
    };
    static const char* const kBlanks[] = {" ", " ", " ", "\t", "  ", " \t", "\t\t"};
    // clang-format on
    std::string text;
    Lcg next{4242};
    for (int round = 0; round < rounds; ++round) {
        for (const size_t length : {1,  2,  3,  5,  8,  15, 16, 17, 20, 22, 23,  30,  31,  32,  33,
                                    34, 47, 48, 62, 63, 64, 65, 66, 95, 96, 127, 128, 129, 200, 700}) {
            // Mostly the numbers the quick readers take.
            const bool plain = next() % 4 != 0;
            std::string line;
            for (;;) {
                const std::string number = plain && next() % 8 != 0
                    ? std::to_string(int(next() % 20001) - 10000)
                        + (next() % 2 ? "." + std::to_string(next() % 1000000) : std::string())
                    : kNumbers[next() % std::size(kNumbers)];
                const std::string blank = kBlanks[next() % std::size(kBlanks)];
                if (line.size() + blank.size() + number.size() > length)
                    break;
                line += (line.empty() ? "" : blank) + number;
            }
            // Blanks before the first number make up the length.
            line.insert(0, length - line.size(), next() % 2 ? ' ' : '\t');
            text += line;
            switch (next() % 16) {
            case 0:
                text += "\r\n";
                break;
            case 1:
                text += "\n\n";
                break;
            case 2:
                text += " \n";
                break;
            default:
                text += '\n';
            }
        }
    }
    return text;
}

TEST(AsciiImportQuick, ReadsTheFixturesAsTheCarefulReaderDoes)
{
    TestSupport::PinnedTimeZone zone;
    ScriptedAlerts alerts;
    const QDir dir(QStringLiteral(VEXA_FIXTURES "/ascii"));
    for (const QString& name : dir.entryList(QDir::Files)) {
        const std::string text = readFile(dir.filePath(name));
        for (const Settings& s : kSettings) {
            Options o;
            s.tweak(o);
            expectSameReading(text, o, name.toStdString() + ", " + s.name);
        }
    }
}

TEST(AsciiImportQuick, ReadsLargeMixedTextsAsTheCarefulReaderDoes)
{
    TestSupport::PinnedTimeZone zone;
    ScriptedAlerts alerts;
    // Well beyond the part a thread reads, so that several threads share it,
    // and beyond the lines that date recognition looks at.
    const std::string text = mixedText(60000);
    for (const Settings& s : kSettings) {
        Options o;
        s.tweak(o);
        expectSameReading(text, o, s.name);
    }
    // A last line without a line feed ends the text with a number.
    Options plain;
    plain.noTime = true;
    expectSameReading(mixedText(300) + "12 3.5", plain, "no line feed at the end");
    // Several pieces of the file, each read in several rounds: while some
    // threads read a round, one applies the round before.
    const std::string large = mixedText(600000);
    expectSameReading(large, plain, "several rounds");
    Options tabs = plain;
    tabs.separator = QStringLiteral("\t");
    expectSameReading(large, tabs, "several rounds, tab separator");
    // Lines of about the most fields a line may have, among plain ones: the
    // room for values is checked per line, the count of fields per value.
    std::string wide;
    for (int i = 0; i < 40; ++i) {
        for (const int fields : {2047, 2048, 2049, 3000, 1}) {
            for (int f = 0; f < fields; ++f)
                wide += std::to_string((i * 7 + f) % 1000) + (f + 1 < fields ? "\t" : "\n");
            wide += mixedText(200 + i);
        }
    }
    expectSameReading(wide, plain, "wide lines");
    expectSameReading(numberishText(20000), plain, "bytes of numbers");
    const std::string edges = windowEdgesText(300);
    expectSameReading(edges, plain, "window edges");
    expectSameReading(edges, tabs, "window edges, tab separator");
    Options commas = plain;
    commas.commaSeparates = false;
    expectSameReading(edges, commas, "window edges, decimal comma");
    expectSameReading(wide, tabs, "wide lines, tab separator");
    // Without any line feed a lone CR ends the lines.
    std::string crOnly = mixedText(3000);
    for (char& c : crOnly)
        if (c == '\n')
            c = '\r';
    Options o;
    o.noTime = true;
    const Imported quick = import(writeScratch(QStringLiteral("cr.txt"), crOnly), o);
    const Imported lf = import(writeScratch(QStringLiteral("lf.txt"), mixedText(3000)), o);
    EXPECT_TRUE(quick.ok);
    ASSERT_EQ(quick.columns.size(), lf.columns.size());
    for (size_t i = 0; i < quick.columns.size(); ++i)
        EXPECT_TRUE(sameBits(quick.columns[i], lf.columns[i])) << i;
}

// The quick reader gives the same result, bit for bit, whether it uses the
// processor's vector instructions, its widest ones, or none.
TEST(AsciiImportQuick, ReadsTheSameWithAndWithoutVectorInstructions)
{
    std::string separated = windowEdgesText(40);
    for (char& c : separated)
        if (c == '\t')
            c = ';';
    // Lines of far more values than a line may hold, blank and tab
    // separated: refused, not read again and again.
    std::string blankLong, tabLong;
    for (int i = 0; i < 7000; ++i) {
        blankLong += "1 ";
        tabLong += i ? "\t1" : "1";
    }
    const std::string longLines = "1 2\n" + blankLong + "\n" + tabLong + "\n3 4\n" + windowEdgesText(2);
    const std::string texts[]
        = {mixedText(20000), numberishText(50000), windowEdgesText(200), separated, longLines};
    // clang-format off
    const std::pair<const char*, void (*)(AsciiFastLines::Syntax&)> syntaxes[] = {
        {"blanks",            [](AsciiFastLines::Syntax&) {}},
        {"commas blank",      [](AsciiFastLines::Syntax& s) { s.commaBlank = true; }},
        {"periods blank",     [](AsciiFastLines::Syntax& s) { s.periodBlank = true; }},
        {"four fields",       [](AsciiFastLines::Syntax& s) { s.maxFields = 4; }},
        {"forty fields",      [](AsciiFastLines::Syntax& s) { s.maxFields = 40; }},
        {"tab separator",     [](AsciiFastLines::Syntax& s) { s.whitespace = false; }},
        {"semicolons",        [](AsciiFastLines::Syntax& s) { s.whitespace = false; s.separator = ';'; }},
        {"space separator",   [](AsciiFastLines::Syntax& s) { s.whitespace = false; s.separator = ' '; }},
        {"period separator",  [](AsciiFastLines::Syntax& s) { s.whitespace = false; s.separator = '.'; }},
        {"three fields, tabs", [](AsciiFastLines::Syntax& s) { s.whitespace = false; s.maxFields = 3; }},
    };
    // The readings: none, the narrower vectors, the widest.
    const std::pair<bool, bool> vectors[] = {{false, false}, {true, false}, {true, true}};
    // clang-format on
    const auto same = [](const auto& a, const auto& b) {
        return a.size() == b.size()
            && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0);
    };
    for (size_t t = 0; t < std::size(texts); ++t) {
        const std::string& text = texts[t];
        for (const auto& [name, tweak] : syntaxes) {
            AsciiFastLines::Result results[std::size(vectors)];
            for (size_t i = 0; i < std::size(vectors); ++i) {
                AsciiFastLines::Syntax syntax;
                tweak(syntax);
                syntax.vectors = vectors[i].first;
                syntax.wideVectors = vectors[i].second;
                AsciiFastLines(syntax).read(text.data(), text.size(), 0, results[i]);
            }
            const AsciiFastLines::Result& plain = results[0];
            for (size_t i = 1; i < std::size(vectors); ++i) {
                const AsciiFastLines::Result& vector = results[i];
                const std::string what
                    = "text " + std::to_string(t) + ", " + name + ", reading " + std::to_string(i);
                EXPECT_TRUE(same(plain.lines, vector.lines)) << what;
                EXPECT_TRUE(same(plain.values, vector.values)) << what;
                EXPECT_TRUE(same(plain.empty, vector.empty)) << what;
                EXPECT_TRUE(same(plain.careful, vector.careful)) << what;
            }
        }
    }
}

// Awkward numbers are read exactly as numpy reads them (the values below are
// numpy's, written exactly): many digits, exponents, halfway cases, the
// edges of the double range and beyond, by the quick and the careful reader
// alike; with the decimal comma after the import's own rules (a comma is a
// period, the last period is the decimal mark, a trailing one goes).
TEST(AsciiImportQuick, ReadsAwkwardNumbersAsNumpyDoes)
{
    ScriptedAlerts alerts;
    constexpr double kInf = std::numeric_limits<double>::infinity();
    struct Number {
        const char* text;
        double value;
    };
    // clang-format off
    const Number plain[] = {
        {"0.1", 0x1.999999999999ap-4},
        {"-0.1", -0x1.999999999999ap-4},
        {"+0.1", 0x1.999999999999ap-4},
        {".5", 0x1.0000000000000p-1},
        {"5.", 0x1.4000000000000p+2},
        {"-0", -0x0.0p+0},
        {"+0.0e+0", 0x0.0p+0},
        {"000000123.4500000", 0x1.edccccccccccdp+6},
        {"1E5", 0x1.86a0000000000p+16},
        {"1e+05", 0x1.86a0000000000p+16},
        {"-2.5E-3", -0x1.47ae147ae147bp-9},
        {"0.30000000000000004", 0x1.3333333333334p-2},
        {"3.14159265358979323846264338327950288419716939937510", 0x1.921fb54442d18p+1},
        {"123456789012345678901234567890", 0x1.8ee90ff6c373ep+96},
        {"9007199254740993", 0x1.0000000000000p+53},
        {"9007199254740995", 0x1.0000000000002p+53},
        {"1.00000000000000011102230246251565404236316680908203125", 0x1.0000000000000p+0},
        {"1.00000000000000011102230246251565404236316680908203126", 0x1.0000000000001p+0},
        {"12345678.12345678", 0x1.78c29c3f35ba2p+23},
        {"1234567.1234567", 0x1.2d6871f9adbb9p+20},
        {"-99999999.99999999", -0x1.7d783ffffffffp+26},
        {"1e22", 0x1.0f0cf064dd592p+73},
        {"1e23", 0x1.52d02c7e14af6p+76},
        {"-7.2057594037927933e16", -0x1.0000000000000p+56},
        {"1.7976931348623157e308", 0x1.fffffffffffffp+1023},
        {"1.7976931348623158e308", 0x1.fffffffffffffp+1023},
        {"1.8e308", kInf},
        {"-1e999", -kInf},
        {"1e99999999999", kInf},
        {"2.2250738585072011e-308", 0x0.fffffffffffffp-1022},
        {"2.2250738585072012e-308", 0x1.0000000000000p-1022},
        {"4.9406564584124654e-324", 0x0.0000000000001p-1022},
        {"2.4703282292062328e-324", 0x0.0000000000001p-1022},
        {"2.4703282292062327e-324", 0x0.0p+0},
        {"-1e-400", -0x0.0p+0},
        {"1e-99999999999", 0x0.0p+0},
        {"0.000001", 0x1.0c6f7a0b5ed8dp-20},
        {"-0.0000000000000000000000000000000000001", -0x1.1039d428a8b8fp-123},
        // Fifteen digits and around: the most the vector readings take.
        {"-0.0", -0x0.0p+0},
        {"+.5", 0x1.0000000000000p-1},
        {"999999999999999", 0x1.c6bf52633fff8p+49},
        {"-999999999999999", -0x1.c6bf52633fff8p+49},
        {"1234567890.12345", 0x1.26580b487e69bp+30},
        {"0.00000000000001", 0x1.6849b86a12b9bp-47},
        {"123456789012345.", 0x1.c12218377de40p+46},
        {"-.000000000000001", -0x1.203af9ee75616p-50},
        {"1234567890.123456", 0x1.26580b487e6b4p+30},
        {"12345678901234.5", 0x1.674e79c5fe500p+43},
        {"0000000000000001.5", 0x1.8000000000000p+0},
    };
    const Number comma[] = {
        {"1,5", 0x1.8000000000000p+0},
        {"-0,000001", -0x1.0c6f7a0b5ed8dp-20},
        {"1.234.567,89", 0x1.2d687e3d70a3dp+20},
        {"1,234,567.89", 0x1.2d687e3d70a3dp+20},
        {"5,", 0x1.4000000000000p+2},
        {"1.000", 0x1.0000000000000p+0},
        {",25", 0x1.0000000000000p-2},
        {"2,5e3", 0x1.3880000000000p+11},
    };
    // clang-format on
    const auto check = [](const std::vector<Number>& numbers, const Options& o, const char* separator,
                          const std::string& what) {
        // Short lines and long ones, so the numbers stand both far from the
        // end of the text and right at it.
        std::string text;
        for (size_t i = 0; i < numbers.size(); ++i)
            text += std::to_string(i) + separator + numbers[i].text + '\n';
        for (const std::string& form : {text, carefulForm(text), text.substr(0, text.size() - 1)}) {
            const Imported got = import(writeScratch(QStringLiteral("awkward.txt"), form), o);
            ASSERT_TRUE(got.ok) << what;
            ASSERT_EQ(got.columns.size(), 4u) << what;
            const std::vector<double>& y = got.columns[1];
            ASSERT_EQ(y.size(), numbers.size()) << what;
            for (size_t i = 0; i < numbers.size(); ++i)
                EXPECT_TRUE(sameBits({y[i]}, {numbers[i].value}))
                    << what << ": " << numbers[i].text << " read as " << y[i];
        }
    };
    Options o;
    o.noTime = true;
    check({std::begin(plain), std::end(plain)}, o, " ", "blanks");
    o.separator = QStringLiteral("\t");
    check({std::begin(plain), std::end(plain)}, o, "\t", "tabs");
    o.separator = QStringLiteral(";");
    check({std::begin(comma), std::end(comma)}, o, ";", "semicolons");
    o.separator.clear();
    o.commaSeparates = false;
    check({std::begin(comma), std::end(comma)}, o, " ", "decimal comma");
}

// Lines of an x and a y value like those of a logger's file, `bytes` of
// them; at the given fractions of the lines, others go in between them, and
// the last line has no line feed.
std::string largeText(size_t bytes, const std::vector<std::pair<double, std::string>>& between,
                      const std::string& last)
{
    std::vector<std::string> lines;
    unsigned state = 99;
    for (size_t size = 0; size < bytes;) {
        state = state * 1103515245u + 12345u;
        const long i = long(lines.size());
        lines.push_back(std::to_string(i / 10) + '.' + std::to_string(100 + i % 900) + '\t'
                        + std::to_string(int(state % 20000) - 10000) + '.'
                        + std::to_string(100000 + (state >> 8) % 900000));
        size += lines.back().size() + 1;
    }
    for (auto it = between.rbegin(); it != between.rend(); ++it)
        lines.insert(lines.begin() + std::ptrdiff_t(it->first * double(lines.size())), it->second);
    std::string text;
    text.reserve(bytes + bytes / 16);
    for (const std::string& line : lines)
        text += line + '\n';
    return text + last;
}

// A file of several pieces, each read in rounds on all threads, gives what
// it gives on one thread, bit for bit: rounds of plain rows go to their
// columns in parallel, and those with any other line among them line by
// line, in order, whatever comes before and after them.
TEST(AsciiImportQuick, ReadsALargeFileOnAllThreadsAsOnOne)
{
    TestSupport::PinnedTimeZone zone;
    ScriptedAlerts alerts;
    struct Case {
        const char* name;
        void (*tweak)(Options&);
        std::vector<std::pair<double, std::string>> between; // (fraction of the lines, line), in order
        std::string last; // without a line feed
    };
    // clang-format off
    const Case cases[] = {
        {"plain rows, a comment, blank lines", [](Options&) {},
         {{0.3, ""}, {0.5, "# a comment"}, {0.55, "   "}, {0.7, "text"}}, "7 8"},
        {"a ragged row",                       [](Options&) {},        {{0.4, "1 2 3"}}, "7 8"},
        {"rows of an x alone",                 [](Options&) {},        {{0.2, "5"}, {0.6, "6"}}, "9"},
        {"lines for the careful reader",       [](Options&) {},
         {{0.2, "1,5 2,5"}, {0.45, "1 2\r3 4"}, {0.6, "nan 3"}, {0.8, "12.5 \xC3\xA4 6"}}, "1e999 2"},
        {"a NUL byte far in",                  [](Options&) {},        {{0.9, "1\0 2"s}}, "7 8"},
        {"blank lines among the first",       [](Options&) {},        std::vector(40, std::pair(0.0001, ""s)), "7 8"},
        {"a NUL byte among the first lines",  [](Options&) {},        {{0.001, "1\0 2"s}}, "7 8"},
        {"a line longer than a piece",         [](Options&) {},        {{0.5, "words " + std::string(5'000'000, 'w')}}, ""},
        {"no time, a comment cut off",
         [](Options& o) { o.noTime = true; o.commentText = QStringLiteral("#"); },
         {{0.5, "1 2 # three"}, {0.51, "# 4 5"}}, "7 8 # nine"},
        {"tabs, y missing, x missing",
         [](Options& o) { o.separator = QStringLiteral("\t"); },  {{0.5, "5\t"}, {0.55, "\t7"}}, "8\t9"},
        {"no x column",                        [](Options& o) { o.noXColumn = true; }, {{0.5, ""}}, "7 8"},
        {"the least x a zero, -0 first",       [](Options&) {},        {{0.3, "-0 5"}, {0.6, "0 -0"}, {0.65, "-0 0"}}, "1e12 -1e12"},
        {"the least x a zero, 0 first",        [](Options&) {},        {{0.3, "0 5"}, {0.6, "-0 1e999"}}, "1e999 -1e999"},
        {"x in the second column",             [](Options& o) { o.xColumn = 2; },      {{0.5, "1"}}, "7 8"},
        {"error mode",
         [](Options& o) { o.mode = ASCIIImport::ErrorMode; },       {{0.5, "1 2 3 4"}, {0.6, "1 2 3"}}, "7 8 9"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Options o;
        c.tweak(o);
        const QString path
            = writeScratch(QStringLiteral("large.txt"), largeText(9'000'000, c.between, c.last));
        const Imported all = import(path, o);
        Imported one;
        {
            ParallelRanges::ThreadLimit limit(1);
            one = import(path, o);
        }
        EXPECT_EQ(all.ok, one.ok);
        EXPECT_EQ(all.why, one.why);
        EXPECT_EQ(all.gdf, one.gdf);
        EXPECT_EQ(all.gn, one.gn);
        ASSERT_EQ(all.columns.size(), one.columns.size());
        for (size_t i = 0; i < all.columns.size(); ++i)
            EXPECT_TRUE(sameBits(all.columns[i], one.columns[i]))
                << "buffer " << i / 4 << " column " << i % 4 << " has " << all.columns[i].size() << " vs "
                << one.columns[i].size() << " values";
        // The extents the import gives are rescale()'s, bit for bit.
        EXPECT_TRUE(sameBits(all.extents, one.extents));
        EXPECT_TRUE(sameBits(all.extents, all.rescaled));
        EXPECT_TRUE(sameBits(one.extents, one.rescaled));
    }
}

TEST(AsciiImportQuick, ANulByteFarIntoTheFileMakesItNoText)
{
    ScriptedAlerts alerts;
    std::string text = mixedText(60000);
    text[text.size() - 1000] = '\0';
    Options o;
    o.noTime = true;
    VexaDocument d;
    o.path = writeScratch(QStringLiteral("nul.txt"), text);
    const Outcome refused = ASCIIImport::importFile(d, o);
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(d.DB.empty());
    EXPECT_TRUE(refused.message().contains(QStringLiteral("is not a text file")))
        << refused.message().toStdString();
    // A run of NULs at the end is no reason to refuse it.
    text[text.size() - 1000] = '1';
    text.append(5000, '\0');
    o.path = writeScratch(QStringLiteral("nul.txt"), text);
    const Outcome read = ASCIIImport::importFile(d, o);
    EXPECT_TRUE(read.ok()) << read.message().toStdString();
}

} // namespace
