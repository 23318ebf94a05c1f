#include "util/TextHelpers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File fileWith(const std::string& bytes)
{
    File f(std::tmpfile());
    EXPECT_TRUE(f);
    std::fwrite(bytes.data(), 1, bytes.size(), f.get());
    std::rewind(f.get());
    return f;
}

std::vector<std::string> allLines(const std::string& bytes, char* (*read)(std::FILE*))
{
    File f = fileWith(bytes);
    std::vector<std::string> lines;
    while (const char* line = read(f.get()))
        lines.emplace_back(line);
    return lines;
}

TEST(ReadLine, LineEndsCarriageReturnsAndNulBytes)
{
    // The whole literal, the NUL inside included, and not a byte past it.
    static constexpr char literal[] = "a\r\nb\0c\rd\n\x01\x7f~\n\nlast";
    const std::string bytes(literal, sizeof literal - 1);
    using Lines = std::vector<std::string>;
    EXPECT_EQ(allLines(bytes, readLine), (Lines{"a", "bcd", "\x01\x7f~", "", "last"}));
    EXPECT_EQ(allLines(bytes, readLineToCr), (Lines{"a", "bc", "d", "\x01\x7f~", "", "last"}));
    EXPECT_EQ(allLines(bytes, readLinePrintable), (Lines{"a", "bcd", "~", "", "last"}));
    EXPECT_EQ(allLines("", readLine), Lines{});
    EXPECT_EQ(readLine(nullptr), nullptr);

    File f = fileWith(bytes);
    size_t length = 0;
    readLineKeepNul(f.get(), &length);
    const char* second = readLineKeepNul(f.get(), &length);
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(std::string(second, length), std::string("b\0cd", 4));
}

TEST(StringHelpers, LessUsedMembers)
{
    SplitParts parts;
    ASSERT_EQ(stringSplitQuoted("a,\"b,c\",,d", parts, ","), 4);
    EXPECT_STREQ(parts[1], "\"b,c\"");
    EXPECT_STREQ(parts[2], "");
    EXPECT_STREQ(parts[3], "d");
    EXPECT_EQ(stringSplitQuoted("\"open,quote", parts, ","), 1);
    EXPECT_EQ(stringSplitQuoted("", parts, ","), 0);

    EXPECT_STREQ(stringTrimSpace("\r\n\t a b\x01 \x7f"), "a b");
    EXPECT_STREQ(stringReplaceChar("a-b-c", '-', '+'), "a+b+c");
    EXPECT_STREQ(stringReplaceAllOnce("aa", "a", "aaaa"), "aa");
    EXPECT_STREQ(stringReplaceAllOnce("a", "aa", "aba"), "aabaa");
    EXPECT_STREQ(stringReplaceAllOnce("", "x", "ab"), "ab");

    EXPECT_STREQ(stringInsert(0, "X", "abc"), "aXbc");
    EXPECT_STREQ(stringInsert(-3, "X", "abc"), "Xabc");
    EXPECT_STREQ(stringInsert(1, "X", "abc"), "abXc");
    EXPECT_STREQ(stringInsert(2, "X", "abc"), "abcX");
    EXPECT_STREQ(stringInsert(99, "X", "abc"), "abcX");
    EXPECT_STREQ(stringInsert(0, "X", ""), "X");

    EXPECT_STREQ(stringKeepNameChars("a b/c_d-e.f$g\xc3\xa9"), "ab/c_d-e.fg");
    EXPECT_STREQ(stringKeepWordChars("a b/c_d-e.f$g"), "a bc_d-e.fg");

    EXPECT_STREQ(timeNowFormatted("%%"), "%");
    EXPECT_STREQ(timeNowFormatted(std::string(100, 'x').c_str()), ""); // does not fit 64 bytes
    EXPECT_EQ(std::strlen(timeNowFormatted("%Y-%m-%d")), 10u);
}

TEST(FormatNumberShort, PlainInsideExponentOutside)
{
    struct Case {
        int decimals;
        double value;
        const char* want;
    } const cases[] = {
        {2, 0, "0.0"},         {2, 1.5, "1.5"},        {2, 2, "2"},
        {3, 0.00125, "0.001"}, // cut to decimals + 3 characters
        {1, 1234.5, "1234"}, // never cut inside the integer digits
        {2, -12.345, "-12.3"}, {2, 12345, "1.23e+04"}, {2, 0.0001, "1.00e-04"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(formatNumberShort(c.decimals, c.value), c.want) << c.value;
}

TEST(StringFuzzyFind, FewestEditsWithinTheLimit)
{
    int edits = 99;
    EXPECT_STREQ(stringFuzzyFind("world", "hello world!", 0, &edits), "world!");
    EXPECT_EQ(edits, 0);
    EXPECT_STREQ(stringFuzzyFind("wrld", "hello world!", 1, &edits), "world!");
    EXPECT_EQ(edits, 1);
    EXPECT_STREQ(stringFuzzyFind("wXrld", "a wYrld, a world", 1, &edits), "wYrld, a world");
    EXPECT_EQ(edits, 1);
    EXPECT_STREQ(stringFuzzyFind("xyz", "hello", 1, &edits), "");
    EXPECT_EQ(edits, -1);
    EXPECT_STREQ(stringFuzzyFind("", "abc", 0, &edits), "abc");
    EXPECT_EQ(edits, 0);
}

} // namespace
