#include "platform/Calendar.h"
#include "platform/DateFormat.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Dates in these tests must not depend on the machine's zone.
class PinnedZone : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(zone_.ok()); }

private:
    TestSupport::PinnedTimeZone zone_;
};

DateFields date(int era, int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    DateFields f;
    f.era = era;
    f.year = year;
    f.month = month;
    f.day = day;
    f.hour = hour;
    f.minute = minute;
    f.second = second;
    return f;
}

void expectDate(const Calendar& cal, int era, int year, int month, int day, const char* what)
{
    const DateFields f = cal.fields();
    EXPECT_EQ(f.era, era) << what;
    EXPECT_EQ(f.year, year) << what;
    EXPECT_EQ(f.month, month) << what;
    EXPECT_EQ(f.day, day) << what;
}

using CalendarTest = PinnedZone;
using DateFormatTest = PinnedZone;

TEST_F(CalendarTest, TimeValuesCountFromTheReferenceDate)
{
    Calendar utc(QStringLiteral("UTC"));
    ASSERT_TRUE(utc.isValid());
    EXPECT_EQ(utc.time(), 0);
    const DateFields f = utc.fields();
    EXPECT_EQ(f.year, 2001);
    EXPECT_EQ(f.month, 1);
    EXPECT_EQ(f.day, 1);
    EXPECT_EQ(f.hour, 0);
    EXPECT_EQ(f.weekday, 2); // a Monday
    EXPECT_EQ(Calendar::fromUnixTime(978307200), 0);
    EXPECT_EQ(Calendar::toUnixTime(-978307200), 0);

    // The default zone is the pinned one: the same moment is 01:00 in Berlin.
    Calendar local;
    EXPECT_EQ(local.timeZoneId(), QStringLiteral("Europe/Berlin"));
    EXPECT_EQ(local.fields().hour, 1);
    ASSERT_TRUE(local.setTimeZone(QStringLiteral("UTC")));
    EXPECT_EQ(local.time(), 0); // switching zones keeps the moment
    EXPECT_EQ(local.fields().hour, 0);
}

TEST_F(CalendarTest, CalendarArithmetic)
{
    struct Case {
        const char* name;
        DateFields from;
        int years, months, days;
        int era, year, month, day;
    } cases[] = {
        {"month end is pinned", date(1, 2001, 1, 31), 0, 1, 0, 1, 2001, 2, 28},
        {"leap day plus a year", date(1, 2004, 2, 29), 1, 0, 0, 1, 2005, 2, 28},
        {"years, then months, then days", date(1, 2001, 1, 31), 1, 1, 1, 1, 2002, 3, 1},
        {"backwards over a year end", date(1, 2001, 1, 1), 0, -2, -1, 1, 2000, 10, 31},
        {"forward in time through BC years", date(0, 5, 1, 1), 1, 0, 0, 0, 4, 1, 1},
        {"1 BC is followed by 1 AD", date(0, 1, 1, 1), 1, 0, 0, 1, 1, 1, 1},
        {"1 AD is preceded by 1 BC", date(1, 1, 6, 1), -1, 0, 0, 0, 1, 6, 1},
        {"the Julian calendar ends on 4 October 1582", date(1, 1582, 10, 4), 0, 0, 1, 1, 1582, 10, 15},
    };
    Calendar cal(QStringLiteral("UTC"));
    for (const auto& c : cases) {
        ASSERT_TRUE(cal.setFields(c.from)) << c.name;
        ASSERT_TRUE(cal.add(c.years, c.months, c.days)) << c.name;
        expectDate(cal, c.era, c.year, c.month, c.day, c.name);
    }

    // Fields out of their usual ranges roll over.
    ASSERT_TRUE(cal.setFields(date(1, 2001, 13, 32, 25)));
    expectDate(cal, 1, 2002, 2, 2, "rollover");
    EXPECT_EQ(cal.fields().hour, 1);
}

TEST_F(CalendarTest, RefusesWhatItCannotRepresent)
{
    Calendar cal(QStringLiteral("UTC"));
    const double inf = std::numeric_limits<double>::infinity();
    for (double t : {std::nan(""), inf, -inf, 1e15, -1e15, 1e300}) {
        EXPECT_FALSE(cal.setTime(t)) << t;
        EXPECT_EQ(cal.time(), 0) << t;
    }
    ASSERT_TRUE(cal.setTime(Calendar::maxSeconds * 0.99));
    const double nearEdge = cal.time();
    EXPECT_FALSE(cal.add(1000000, 0, 0));
    EXPECT_FALSE(cal.add(0, 0, 2000000000));
    EXPECT_EQ(cal.time(), nearEdge); // a refused step changes nothing
    EXPECT_FALSE(cal.setFields(date(1, 2000000000, 1, 1)));
    EXPECT_FALSE(cal.setFields(date(1, 3000000, 1, 2000000000)));
    EXPECT_EQ(cal.time(), nearEdge);

    Calendar unknown(QStringLiteral("Nowhere/Atlantis"));
    EXPECT_FALSE(unknown.isValid());
    EXPECT_FALSE(unknown.setTime(0));
    EXPECT_FALSE(cal.setTimeZone(QStringLiteral("Nowhere/Atlantis")));
    EXPECT_EQ(cal.timeZoneId(), QStringLiteral("UTC"));
    EXPECT_FALSE(Calendar::setDefaultTimeZone(QStringLiteral("Nowhere/Atlantis")));
    EXPECT_EQ(Calendar::defaultTimeZoneId(), QStringLiteral("Europe/Berlin"));
}

TEST_F(DateFormatTest, FormatsWithDatePatterns)
{
    struct Case {
        const char* pattern;
        const char* zone;
        double seconds;
        const char* expected;
    } cases[] = {
        {"yyyy-MM-dd HH:mm:ss", "UTC", 0, "2001-01-01 00:00:00"},
        {"yyyy-MM-dd HH:mm:ss", "", 0, "2001-01-01 01:00:00"}, // the default zone
        {"mm:ss.SS", "UTC", 61.25, "01:01.25"},
        {"EE d.M", "UTC", 86400 * 5, "Sat 6.1"},
        {"dd.MM.yy", "UTC", -86400, "31.12.00"},
    };
    for (const auto& c : cases) {
        const DateFormat fmt(QString::fromLatin1(c.pattern), QString::fromLatin1(c.zone),
                             QStringLiteral("en_US"));
        ASSERT_TRUE(fmt.isValid()) << c.pattern;
        EXPECT_EQ(fmt.format(c.seconds), QString::fromLatin1(c.expected)) << c.pattern;
    }

    Calendar bc(QStringLiteral("UTC"));
    ASSERT_TRUE(bc.setFields(date(0, 36, 6, 1)));
    const DateFormat era(QStringLiteral("y G"), QStringLiteral("UTC"), QStringLiteral("en_US"));
    EXPECT_EQ(era.format(bc.time()), QStringLiteral("36 BC"));

    const DateFormat fmt(QStringLiteral("yyyy"), QStringLiteral("UTC"), QStringLiteral("en_US"));
    EXPECT_TRUE(fmt.format(std::nan("")).isEmpty());
    EXPECT_TRUE(fmt.format(1e300).isEmpty());
    EXPECT_FALSE(DateFormat(QStringLiteral("yyyy"), QStringLiteral("Nowhere/Atlantis")).isValid());
}

TEST_F(DateFormatTest, ParsesDatesAtTheStartOfText)
{
    const DateFormat fmt(QStringLiteral("yyyy-MM-dd HH:mm:ss"), QStringLiteral("UTC"),
                         QStringLiteral("en_US"));
    double seconds = -1;
    int consumed = 0;
    ASSERT_TRUE(fmt.parse(QStringLiteral("2001-01-02 00:00:10\t3.5"), seconds, &consumed));
    EXPECT_EQ(seconds, 86410);
    EXPECT_EQ(consumed, 19);

    const DateFormat berlin(QStringLiteral("yyyy-MM-dd HH:mm"), QString(), QStringLiteral("en_US"));
    ASSERT_TRUE(berlin.parse(QStringLiteral("2001-01-01 01:00"), seconds));
    EXPECT_EQ(seconds, 0);

    seconds = 42;
    EXPECT_FALSE(fmt.parse(QStringLiteral("not a date"), seconds));
    EXPECT_FALSE(fmt.parse(QString(), seconds));
    EXPECT_EQ(seconds, 42);
}

} // namespace
