#include "util/TextHelpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <cstring>
#include <latch>
#include <limits>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct NumberCase {
    const char* text;
    double expected;
};

TEST(ParseNumber, ReadsCommasPeriodsAndWordsLikeUsersTypeThem)
{
    const std::string longRun = "1" + [] {
        std::string s;
        for (int i = 0; i < 100; ++i)
            s += ".000";
        return s;
    }() + ",5"; // longer than any stack buffer: 1e300 with thousands separators
    const NumberCase cases[] = {
        {"1,5", 1.5},
        {"1.234.567,89", 1234567.89},
        {"1,234.56", 1234.56},
        {"1,234", 1.234},
        {"1.234", 1.234},
        {"12.", 12},
        {"1.2.", 1.2}, // the trailing period goes before the thousands rule
        {"3e5", 3e5},
        {"1e-3", 1e-3},
        {"-2,5 V", -2.5},
        {"Inf", kInf},
        {"-Inf", -kInf},
        {"inf", 0}, // lower-case i ends the run before it starts
        {"-inf", 0},
        {"x5", 0},
        {"", 0},
        {".", 0},
        {longRun.c_str(), 1e300},
    };
    SplitParts scratch;
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(parseNumber(c.text, scratch), c.expected) << c.text;
        EXPECT_DOUBLE_EQ(parseNumber(c.text), c.expected) << c.text;
    }
    EXPECT_TRUE(std::isnan(parseNumber("NaN")));
    EXPECT_EQ(parseNumber(nullptr), 0);
}

struct LineCase {
    const char* line;
    std::vector<double> expected;
};

TEST(ParseNumbersInLine, FindsEveryNumberOfALine)
{
    const LineCase cases[] = {
        {"x=1.5, y=2", {1.5, 2}},
        {"and 5", {0, 5}},
        {"", {}},
        {"1;2;3", {1, 2, 3}},
        {"-1e-3\t2,5", {-1e-3, 2.5}},
        {"1 2,3 4", {1, 2.3, 4}},
        {"Inf 7", {kInf, 7}},
        {"1i2", {1, 2}}, // the "i" that ends a number starts nothing
    };
    for (const auto& c : cases) {
        double values[8] = {};
        const int n = parseNumbersInLine(c.line, values, 8);
        ASSERT_EQ(n, static_cast<int>(c.expected.size())) << c.line;
        for (int i = 0; i < n; ++i)
            EXPECT_DOUBLE_EQ(values[i], c.expected[i]) << c.line << " #" << i;
    }
}

TEST(ParseNumbersInLine, StopsAtTheCallersCapacity)
{
    std::string line;
    for (int i = 1; i <= 5000; ++i)
        line += std::to_string(i) + ' ';
    std::vector<double> values(4097, -1.0); // one guard value past the table
    SplitParts scratch;
    EXPECT_EQ(parseNumbersInLine(line.c_str(), values.data(), 4096, scratch), 4096);
    EXPECT_EQ(values[4095], 4096);
    EXPECT_EQ(values[4096], -1.0);
    EXPECT_EQ(parseNumbersInLine(line.c_str(), values.data(), 0), 0);
}

TEST(StringSplit, KeepsEmptyPartsAndCapsThePartCount)
{
    SplitParts parts;
    ASSERT_EQ(stringSplit("a,,b", parts, ","), 3);
    EXPECT_STREQ(parts[0], "a");
    EXPECT_STREQ(parts[1], "");
    EXPECT_STREQ(parts[2], "b");

    // Reuse with fewer, multi-character separated parts.
    ASSERT_EQ(stringSplit("x::y:", parts, "::"), 2);
    EXPECT_STREQ(parts[0], "x");
    EXPECT_STREQ(parts[1], "y:");
    EXPECT_EQ(stringSplit("", parts, ","), 0);
    EXPECT_EQ(stringSplit("abc", parts, ""), 1);
    EXPECT_STREQ(parts[0], "abc");

    std::string wide;
    for (int i = 0; i < 3000; ++i)
        wide += std::to_string(i) + ',';
    ASSERT_EQ(stringSplit(wide.c_str(), parts, ","), SplitParts::capacity);
    EXPECT_STREQ(parts[2047], "2047");
    splitPartsFree(parts);
    EXPECT_EQ(parts[0], nullptr);
}

TEST(StringHelpers, SearchAndCut)
{
    EXPECT_EQ(stringIndexOf(0, "b", "abcb"), 1);
    EXPECT_EQ(stringIndexOf(2, "b", "abcb"), 3);
    EXPECT_EQ(stringIndexOf(-5, "b", "abc"), 1);
    EXPECT_EQ(stringIndexOf(10, "b", "abc"), -1); // start past the end reads nothing
    EXPECT_EQ(stringIndexOf(0, "", "abc"), -1);
    EXPECT_EQ(stringIndexOfChar("abc", 'c'), 2);
    EXPECT_EQ(stringIndexOfChar("", 'a'), -1);
    EXPECT_EQ(stringCount("aa", "aaaaa"), 2);

    struct {
        int n;
        const char* text;
        const char* left;
        const char* right;
    } cuts[] = {
        {-2, "abcd", "ab", "cd"}, {10, "abc", "abc", "abc"}, {-10, "abc", "abc", ""},
        {2, "abc", "ab", "bc"},   {0, "abc", "", ""},        {INT_MIN, "abc", "abc", ""},
    };
    for (const auto& c : cuts) {
        EXPECT_STREQ(stringLeft(c.n, c.text), c.left) << c.n << " " << c.text;
        EXPECT_STREQ(stringRight(c.n, c.text), c.right) << c.n << " " << c.text;
    }
    EXPECT_STREQ(stringTrimBlanks(" \t a b \t"), "a b");
    EXPECT_STREQ(stringTrimBlanks(" \t "), "");
    EXPECT_STREQ(stringUpper("aB1z"), "AB1Z");
    EXPECT_STREQ(stringLower("aB1Z"), "ab1z");
}

TEST(StringHelpers, PathPieces)
{
    EXPECT_STREQ(pathFileName("/a/b.tar.gz"), "b.tar.gz");
    EXPECT_STREQ(pathDirectory("/a/b.tar.gz"), "/a");
    EXPECT_STREQ(pathExtension("/a/b.tar.gz"), "gz");
    EXPECT_STREQ(pathBaseName("/a/b.tar.gz"), "b.tar");
    EXPECT_STREQ(pathExtension("/a.d/b"), ""); // a dot in a directory is no extension
    EXPECT_STREQ(pathDirectory("name"), "");
    EXPECT_STREQ(formatDuration(59.5), "00:59.5");
    EXPECT_STREQ(formatDuration(3661.5), "01:01:01.5");
    EXPECT_STREQ(formatDuration(90061.5), "01:01:01:01.5");
}

TEST(StringReplaceAll, RescansUntilNoOccurrenceIsLeft)
{
    struct {
        const char* needle;
        const char* repl;
        const char* text;
        const char* expected;
    } cases[] = {
        {"aa", "a", "aaaa", "a"},     {"ab", "", "aabb", ""}, // removing one match makes the next
        {",", ".", "1,2,3", "1.2.3"}, {"a", "ab", "aaa", "aaa"}, // needle inside the replacement: unchanged
        {"a", "a", "aaa", "aaa"},     {"", "x", "abc", "abc"},   {"x", "y", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(stringReplaceAll(c.needle, c.repl, c.text), c.expected)
            << c.needle << " -> " << c.repl << " in " << c.text;

    // ab -> bba doubles the text at every rescan; the rewrite must still end.
    const std::string chain = std::string(40, 'a') + "b";
    EXPECT_GT(std::strlen(stringReplaceAll("ab", "bba", chain.c_str())), chain.size());
}

TEST(RandomTempName, TwelveCharactersFromTheAlphabet)
{
    const std::string alphabet = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::set<std::string> seen;
    std::set<char> used;
    for (int i = 0; i < 20000; ++i) {
        const std::string name = randomTempName();
        ASSERT_EQ(name.size(), 12u);
        for (char c : name) {
            ASSERT_NE(alphabet.find(c), std::string::npos) << name;
            used.insert(c);
        }
        seen.insert(name);
    }
    EXPECT_EQ(seen.size(), 20000u);
    EXPECT_EQ(used.size(), alphabet.size()); // the last letter is reachable too
}

TEST(TempStringRing, AResultOutlives511FurtherResults)
{
    char* kept = tempStringCopy("keep me");
    for (int i = 0; i < TempStringRing::size - 1; ++i)
        tempStringCopy("something else entirely");
    EXPECT_STREQ(kept, "keep me");
    char* fresh = tempStringAlloc(20);
    EXPECT_STREQ(fresh, "");
}

// Each thread has its own ring: allocations on one thread never recycle a
// string that another thread still holds.
TEST(TempStringRing, WorkerThreadAndMainThreadDoNotShareSlots)
{
    std::latch start(2);
    auto work = [&start](const char* tag, bool& ok) {
        start.arrive_and_wait();
        ok = true;
        for (int round = 0; round < 200 && ok; ++round) {
            char* kept = tempStringCopy(tag);
            for (int i = 0; i < 400; ++i) {
                const char* name = randomTempName();
                if (std::strlen(name) != 12)
                    ok = false;
                if (parseNumber("2,5") != 2.5)
                    ok = false;
            }
            ok = ok && std::strcmp(kept, tag) == 0;
        }
    };
    bool workerOk = false, mainOk = false;
    std::thread worker(work, "worker", std::ref(workerOk));
    work("main", mainOk);
    worker.join();
    EXPECT_TRUE(workerOk);
    EXPECT_TRUE(mainOk);
}

TEST(ParseNumber, IgnoresAGermanLocale)
{
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no German locale installed";
    const double inLine = [] {
        double v[2] = {};
        return parseNumbersInLine("a 1.5", v, 2) == 2 ? v[1] : -1.0;
    }();
    const double single = parseNumber("1.5");
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(single, 1.5);
    EXPECT_EQ(inLine, 1.5);
}

} // namespace
