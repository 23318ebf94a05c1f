#include "platform/CNumber.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

namespace {

struct PrefixCase {
    const char* text;
    double expected;
};

TEST(CNumber, ParsePrefixReadsLikeAtofInTheCLocale)
{
    const PrefixCase cases[] = {
        {"1.5", 1.5},
        {"  -2.25xyz", -2.25},
        {"+3", 3},
        {"+-3", 0},
        {"--3", 0},
        {"3e5", 3e5},
        {"1e-3", 1e-3},
        {"1e", 1},
        {".5", 0.5},
        {"12.", 12},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"1,5", 1},
        {"0x1A", 0},
        {"1e999", std::numeric_limits<double>::infinity()},
        {"-1e999", -std::numeric_limits<double>::infinity()},
        {"1e-999", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CNumber::parsePrefix(c.text), c.expected) << c.text;
    EXPECT_TRUE(std::isinf(CNumber::parsePrefix("Inf")));
    EXPECT_TRUE(std::isnan(CNumber::parsePrefix("NaN")));
}

TEST(CNumber, ParseExactNeedsTheWholeText)
{
    double v = 0;
    EXPECT_TRUE(CNumber::parseExact(" 2.5 ", v));
    EXPECT_EQ(v, 2.5);
    EXPECT_FALSE(CNumber::parseExact("2.5x", v));
    EXPECT_FALSE(CNumber::parseExact("", v));
    EXPECT_FALSE(CNumber::parseExact("++1", v));
}

// Under a German numeric locale the decimal mark stays ".".
TEST(CNumber, IgnoresTheProcessLocale)
{
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE.utf8"))
        GTEST_SKIP() << "no German locale installed";
    EXPECT_EQ(CNumber::parsePrefix("1.5"), 1.5);
    EXPECT_EQ(CNumber::format("%.1f", 1.5), "1.5");
    EXPECT_EQ(CNumber::format("%g", 0.25), "0.25");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(CNumber, FormatGrowsPastItsSmallBuffer)
{
    const std::string s = CNumber::format("%.1f", 1e300);
    EXPECT_EQ(s.size(), 303u);
    EXPECT_EQ(s.substr(s.size() - 2), ".0");
}

} // namespace
