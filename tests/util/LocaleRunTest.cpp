#include "util/NumberFormat.h"
#include "util/TextHelpers.h"

#include <QtGlobal>

#include <gtest/gtest.h>

#include <clocale>

namespace {

// In the German locale run the C library's decimal point really is a comma,
// and numbers still read and print with a period.
TEST(LocaleRun, NumbersIgnoreAGermanNumericLocale)
{
    if (qEnvironmentVariableIsEmpty("VEXA_TEST_KEEP_LOCALE"))
        GTEST_SKIP() << "not the locale run";
    if (std::string(std::localeconv()->decimal_point) != ",")
        GTEST_SKIP() << "German locale not installed";
    EXPECT_EQ(parseNumber("1.5"), 1.5);
    EXPECT_EQ(doubleValueOf(QStringLiteral("2,5")), 2.5);
    EXPECT_EQ(formatNumberAuto(1.5), QStringLiteral("1.5"));
    EXPECT_EQ(formatNumberFixed(2, 0.25), QStringLiteral("0.25"));
}

} // namespace
