#include "util/NumberFormat.h"
#include "util/TextHelpers.h"

#include <QtGlobal>

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

// The C library's numeric locale of the test, put back when it ends.
class NumericLocale {
public:
    explicit NumericLocale(const char* name)
    {
        const char* now = std::setlocale(LC_NUMERIC, nullptr);
        previous_ = now ? now : "C";
        std::setlocale(LC_NUMERIC, name);
    }
    ~NumericLocale() { std::setlocale(LC_NUMERIC, previous_.c_str()); }
    NumericLocale(const NumericLocale&) = delete;
    NumericLocale& operator=(const NumericLocale&) = delete;

private:
    std::string previous_;
};

// With a German numeric locale the C library's decimal point really is a
// comma, and numbers still read and print with a period. The locale run has
// it for the whole process; every other run sets it for this test.
TEST(LocaleRun, NumbersIgnoreAGermanNumericLocale)
{
    const NumericLocale german(qEnvironmentVariableIsEmpty("VEXA_TEST_KEEP_LOCALE") ? "de_DE.UTF-8" : "");
    if (std::string(std::localeconv()->decimal_point) != ",")
        GTEST_SKIP() << "German locale not installed (scripts/setup-deps makes it)";
    EXPECT_EQ(parseNumber("1.5"), 1.5);
    EXPECT_EQ(doubleValueOf(QStringLiteral("2,5")), 2.5);
    EXPECT_EQ(formatNumberAuto(1.5), QStringLiteral("1.5"));
    EXPECT_EQ(formatNumberFixed(2, 0.25), QStringLiteral("0.25"));
}

} // namespace
