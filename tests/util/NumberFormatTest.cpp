#include "util/NumberFormat.h"

#include <QDate>
#include <QStringList>

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct FormatCase {
    double value;
    const char* expected;
};

TEST(FormatNumber, AutoPicksPlainOrExponentFormByMagnitude)
{
    const FormatCase cases[] = {
        {1234.5, "1234.5"},
        {0.1, "0.1"},
        {2.5e-10, "0.00000000025"},
        {123456789012.0, "123456789012"},
        {1.5e12, "1.5e12"},
        {-1.5e12, "-1.5e12"},
        {1e-13, "1e-13"},
        {-2, "-2"},
        {0, "0"},
        {9.9999999999e12, "10e12"}, // the mantissa rounds up to 10
        {1e300, "1e300"},
        {5e-324, "4.94065646e-324"}, // subnormal: 10^e itself would underflow
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatNumberAuto(c.value).toStdString(), c.expected) << c.value;
}

TEST(FormatNumber, FixedAndIntegerStripOnlyAfterADecimalPoint)
{
    EXPECT_EQ(formatNumberFixed(3, 2).toStdString(), "2");
    EXPECT_EQ(formatNumberFixed(1, 0.06).toStdString(), "0.1");
    EXPECT_EQ(formatNumberFixed(2, 2e12).toStdString(), "2e12");
    EXPECT_EQ(formatNumberInteger(2.7).toStdString(), "3");
    EXPECT_EQ(formatNumberInteger(1000).toStdString(), "1000");
    EXPECT_EQ(formatNumber(-1, 0, 1000).toStdString(), "1000");
    EXPECT_EQ(formatNumber(3, 2, 12345).toStdString(), "1.2345e4");
}

TEST(FormatNumber, NonFiniteValuesHaveFixedNames)
{
    for (double v : {kInf, -kInf, kNaN}) {
        const std::string expected = std::isnan(v) ? "nan" : v > 0 ? "inf" : "-inf";
        EXPECT_EQ(formatNumberAuto(v).toStdString(), expected);
        EXPECT_EQ(formatNumberFixed(2, v).toStdString(), expected);
        EXPECT_EQ(formatNumberInteger(v).toStdString(), expected);
        EXPECT_EQ(formatNumber(-1, -1, v).toStdString(), expected);
        EXPECT_EQ(formatNumber(1, 3, v).toStdString(), expected);
    }
    EXPECT_EQ(formatNumber(-1, -1, -kNaN).toStdString(), "nan");
}

// Decimals and limits come from text users type; nonsense must neither crash
// nor cut a number short.
TEST(FormatNumber, ClampsUserLimitsAndNeverTruncates)
{
    EXPECT_EQ(formatNumber(-1, INT_MAX, 1.5).toStdString(), "1.5");
    EXPECT_EQ(formatNumber(-1, -50, 1.5).toStdString(), "1.5");
    EXPECT_EQ(formatNumberFixed(INT_MIN, 0.25).toStdString(), "0.25");
    EXPECT_EQ(formatNumber(INT_MIN, 2, 1.5).toStdString(), "1.5e0");

    const std::string huge = formatNumber(INT_MAX, 2, 1e300).toStdString();
    EXPECT_EQ(huge.size(), 301u);
    EXPECT_EQ(huge.front(), '1');
    EXPECT_EQ(formatNumber(-1, 64, -1e300).toStdString().size(), 302u);
}

TEST(DoubleValueOf, ReadsNumbersAndTypedText)
{
    EXPECT_EQ(doubleValueOf(2.5), 2.5);
    EXPECT_EQ(doubleValueOf("7,5"), 7.5);
    EXPECT_EQ(doubleValueOf(QStringLiteral("2,5")), 2.5);
    EXPECT_EQ(doubleValueOf(QStringLiteral("1.234,5 mm")), 1234.5);
    EXPECT_EQ(doubleValueOf(QStringLiteral("2,5\u00b5")), 0); // non-ASCII text
    EXPECT_EQ(doubleValueOf(QStringLiteral("1+2")), 1); // no expressions
    EXPECT_EQ(doubleValueOf(QString()), 0);

    EXPECT_EQ(doubleValueOf(QVariant(3)), 3);
    EXPECT_EQ(doubleValueOf(QVariant(2.25)), 2.25);
    EXPECT_EQ(doubleValueOf(QVariant(true)), 1);
    EXPECT_EQ(doubleValueOf(QVariant(QStringLiteral("0,5"))), 0.5);
    EXPECT_EQ(doubleValueOf(QVariant(QDate(2020, 1, 1))), 0);
    EXPECT_EQ(doubleValueOf(QVariant(QStringList{QStringLiteral("4")})), 0);
    EXPECT_EQ(doubleValueOf(QVariant()), 0);
}

TEST(FormatNumber, IgnoresAGermanLocale)
{
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no German locale installed";
    const std::string plain = formatNumberAuto(1.5).toStdString();
    const std::string exponent = formatNumberAuto(1.5e20).toStdString();
    const double read = doubleValueOf(QStringLiteral("1.5"));
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(plain, "1.5");
    EXPECT_EQ(exponent, "1.5e20");
    EXPECT_EQ(read, 1.5);
}

} // namespace

TEST(IntegerValueOf, ReadsTheLeadingIntegerOfAField)
{
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {"12", 12},
        {"12.7", 12},
        {" -8px", -8},
        {"+3", 3},
        {"1e3", 1},
        {"", 0},
        {"abc", 0},
        {"-", 0},
        {"99999999999", INT_MAX},
        {"-99999999999999999999", INT_MIN},
        {"0x10", 0},
        {"\t42", 42},
    };
    for (const auto& c : cases)
        EXPECT_EQ(integerValueOf(QString::fromLatin1(c.text)), c.value) << c.text;
}
