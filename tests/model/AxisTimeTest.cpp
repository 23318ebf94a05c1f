#include "model/Axis.h"

#include "platform/Calendar.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr double day = 86400;

// Tick positions depend on the user's zone (the seconds walk aligns to local
// midnights and hours), so every test pins it.
class AxisTime : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(zone_.ok()); }

private:
    TestSupport::PinnedTimeZone zone_;
};

double at(const QString& zone, int era, int year, int month, int dayOfMonth, int hour, int minute, int second)
{
    Calendar cal(zone);
    DateFields f;
    f.era = era;
    f.year = year;
    f.month = month;
    f.day = dayOfMonth;
    f.hour = hour;
    f.minute = minute;
    f.second = second;
    EXPECT_TRUE(cal.setFields(f));
    return cal.time();
}

double utc(int year, int month, int dayOfMonth, int hour = 0, int minute = 0, int second = 0)
{
    return at(QStringLiteral("UTC"), 1, year, month, dayOfMonth, hour, minute, second);
}

double local(int year, int month, int dayOfMonth, int hour = 0, int minute = 0, int second = 0)
{
    return at(QString(), 1, year, month, dayOfMonth, hour, minute, second);
}

Axis timeAxis(double a, double b, const char* step = "", const char* minor = "")
{
    Axis axis;
    axis.initForTimeWithRange(a, b, QString(), QString(), QString::fromLatin1(step),
                              QString::fromLatin1(minor));
    return axis;
}

std::string show(const std::vector<double>& v)
{
    std::string s;
    for (double x : v)
        s += std::to_string(x) + " ";
    return s;
}

void expectValues(const std::vector<double>& actual, const std::vector<double>& expected,
                  const std::string& what)
{
    ASSERT_EQ(actual.size(), expected.size()) << what << ": " << show(actual);
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-6) << what << " [" << i << "]";
}

DateFields utcFields(double t)
{
    Calendar cal(QStringLiteral("UTC"));
    cal.setTime(t);
    return cal.fields();
}

// --- choosing the step ----------------------------------------------------

TEST_F(AxisTime, AutomaticStepByRangeWidth)
{
    struct Case {
        const char* name;
        double range;
        double step;
        double mintick;
        const char* format;
    } cases[] = {
        {"1/20 s", 0.05, 0.01, 5, "mm:ss.SS"},
        {"half a second", 0.5, 0.1, 5, "mm:ss.S"},
        {"5 s", 5, 1, 5, "mm:ss"},
        {"exactly 8 s is not below 8 steps of 1 s", 8, 2, 4, "mm:ss"},
        {"10 min", 600, 180, 6, "mm:ss"},
        {"3 h", 3 * 3600, 1800, 6, "HH:mm:ss"},
        {"2 days", 2 * day, 43200, 6, "d.M HH:mm"},
        {"10 days", 10 * day, day, 4, "EE d.M"},
        {"just under 16 days still by the day", 15.9 * day, day, 4, "EE d.M"},
        {"16 days", 16 * day, 3 * day, 6, "EE d.M"},
        {"730 days", 730 * day, 120 * day, 3, "dd.MM.yy"},
        {"100 years", 100 * 365 * day, 20 * 365 * day, 4, "y"},
        {"10000 years", 10000 * 365 * day, 2000 * 365 * day, 5, "y G"},
        {"no row fits", 8 * 20000 * 365 * day, 0, 0, ""},
    };
    for (const auto& c : cases) {
        const Axis axis = timeAxis(0, c.range);
        EXPECT_DOUBLE_EQ(axis.step, c.step) << c.name;
        EXPECT_EQ(axis.mintick, c.mintick) << c.name;
        EXPECT_EQ(axis.format, QString::fromLatin1(c.format)) << c.name;
        EXPECT_EQ(axis.dxy, 8) << c.name;
        EXPECT_EQ(axis.A.empty(), c.step == 0) << c.name;
    }
}

// --- the seconds walk -------------------------------------------------------

TEST_F(AxisTime, SecondsWalkOnWholeSeconds)
{
    const double base = local(2021, 1, 15, 10, 20, 30);
    const Axis axis = timeAxis(base + 0.45, base + 5.45);
    expectValues(axis.A, {base + 1, base + 2, base + 3, base + 4, base + 5}, "majors");
    std::vector<double> minors = {base + 0.6, base + 0.8};
    for (int s = 1; s <= 4; ++s)
        for (double f : {0.2, 0.4, 0.6, 0.8})
            minors.push_back(base + s + f);
    minors.push_back(base + 5.2);
    minors.push_back(base + 5.4);
    expectValues(axis.MA, minors, "minors");
}

TEST_F(AxisTime, MinuteStepsCountFromTheLocalFullHour)
{
    const Axis axis = timeAxis(local(2021, 1, 15, 10, 1, 30), local(2021, 1, 15, 10, 11, 30));
    EXPECT_EQ(axis.step, 180);
    expectValues(axis.A, {local(2021, 1, 15, 10, 3), local(2021, 1, 15, 10, 6), local(2021, 1, 15, 10, 9)},
                 "Berlin");
    EXPECT_EQ(axis.MA.size(), 21u - 3u); // every 30 s from 10:01:30 to 10:11:30, less the majors

    // A zone half an hour off UTC moves the grid with it.
    ASSERT_TRUE(Calendar::setDefaultTimeZone(QStringLiteral("Asia/Kolkata")));
    const Axis india = timeAxis(local(2021, 1, 15, 10, 1, 30), local(2021, 1, 15, 10, 11, 30));
    expectValues(india.A, {local(2021, 1, 15, 10, 3), local(2021, 1, 15, 10, 6), local(2021, 1, 15, 10, 9)},
                 "Kolkata");
}

TEST_F(AxisTime, DaysStartAtLocalMidnight)
{
    const double a = local(2021, 1, 10, 15);
    const Axis axis = timeAxis(a, a + 10 * day);
    std::vector<double> majors;
    for (int d = 11; d <= 20; ++d)
        majors.push_back(local(2021, 1, d));
    expectValues(axis.A, majors, "majors");
    ASSERT_EQ(axis.MA.size(), 30u);
    Calendar berlin;
    for (double v : axis.MA) {
        ASSERT_TRUE(berlin.setTime(v));
        const DateFields f = berlin.fields();
        EXPECT_TRUE(f.hour == 6 || f.hour == 12 || f.hour == 18) << f.hour;
        EXPECT_EQ(f.minute, 0);
    }
}

// --- the calendar walk -----------------------------------------------------

TEST_F(AxisTime, MonthStepsLandOnTheFirstOfTheMonth)
{
    // 730 days: majors on the first of every third month from 1 January,
    // minors on the first of each month after them (the third on the next
    // major).
    const Axis axis = timeAxis(utc(2010, 2, 10), utc(2012, 2, 10));
    EXPECT_EQ(axis.format, QStringLiteral("dd.MM.yy"));
    expectValues(axis.A,
                 {utc(2010, 4, 1), utc(2010, 7, 1), utc(2010, 10, 1), utc(2011, 1, 1), utc(2011, 4, 1),
                  utc(2011, 7, 1), utc(2011, 10, 1), utc(2012, 1, 1)},
                 "majors");
    std::vector<double> minors;
    for (int m = 3; m <= 12; ++m)
        minors.push_back(utc(2010, m, 1));
    for (int m = 1; m <= 12; ++m)
        minors.push_back(utc(2011, m, 1));
    minors.push_back(utc(2012, 1, 1));
    minors.push_back(utc(2012, 2, 1));
    expectValues(axis.MA, minors, "minors");
}

struct WordCase {
    const char* name;
    const char* step;
    double a, b;
    std::vector<double> majors;
    size_t minorCount;
};

TEST_F(AxisTime, StepWords)
{
    const WordCase cases[] = {
        {"2m",
         "2m",
         utc(2015, 3, 10),
         utc(2016, 3, 10),
         {utc(2015, 5, 1), utc(2015, 7, 1), utc(2015, 9, 1), utc(2015, 11, 1), utc(2016, 1, 1),
          utc(2016, 3, 1)},
         6},
        {"words ignore case",
         "2M",
         utc(2015, 3, 10),
         utc(2016, 3, 10),
         {utc(2015, 5, 1), utc(2015, 7, 1), utc(2015, 9, 1), utc(2015, 11, 1), utc(2016, 1, 1),
          utc(2016, 3, 1)},
         6},
        {"y",
         "y",
         utc(2003, 5, 1),
         utc(2008, 5, 1),
         {utc(2004, 1, 1), utc(2005, 1, 1), utc(2006, 1, 1), utc(2007, 1, 1), utc(2008, 1, 1)},
         15},
        {"10y",
         "10y",
         utc(1955, 1, 1),
         utc(2013, 1, 1),
         {utc(1960, 1, 1), utc(1970, 1, 1), utc(1980, 1, 1), utc(1990, 1, 1), utc(2000, 1, 1),
          utc(2010, 1, 1)},
         23},
    };
    for (const auto& c : cases) {
        const Axis axis = timeAxis(c.a, c.b, c.step);
        expectValues(axis.A, c.majors, c.name);
        EXPECT_EQ(axis.MA.size(), c.minorCount) << c.name << ": " << show(axis.MA);
        for (double v : axis.MA) {
            EXPECT_EQ(utcFields(v).day, 1) << c.name;
            EXPECT_EQ(utcFields(v).hour, 0) << c.name;
        }
    }
}

TEST_F(AxisTime, MillenniaWalkThroughTheChangeOfEra)
{
    const double a = at(QStringLiteral("UTC"), 0, 3500, 6, 1, 0, 0, 0);
    const Axis axis = timeAxis(a, utc(2500, 1, 1), "1000y");
    EXPECT_EQ(axis.format, QStringLiteral("y G")); // the word keeps the automatic row's format
    const int expected[][2] = {{0, 3000}, {0, 2000}, {0, 1000}, {1, 1}, {1, 1001}, {1, 2001}};
    ASSERT_EQ(axis.A.size(), std::size(expected)) << show(axis.A);
    for (size_t i = 0; i < axis.A.size(); ++i) {
        const DateFields f = utcFields(axis.A[i]);
        EXPECT_EQ(f.era, expected[i][0]) << i;
        EXPECT_EQ(f.year, expected[i][1]) << i;
        EXPECT_EQ(f.month, 1) << i;
        EXPECT_EQ(f.day, 1) << i;
    }
}

TEST_F(AxisTime, WeekTextsAlignToAWeekday)
{
    // 3 weeks from the Monday on or before 1 January 2019 (a Tuesday).
    const Axis axis = timeAxis(utc(2019, 3, 1), utc(2019, 9, 1), "3w2");
    EXPECT_EQ(axis.step, 21 * day);
    ASSERT_EQ(axis.A.size(), 9u) << show(axis.A);
    EXPECT_EQ(axis.A.front(), utc(2019, 3, 4));
    for (size_t i = 0; i < axis.A.size(); ++i) {
        EXPECT_EQ(utcFields(axis.A[i]).weekday, 2);
        EXPECT_EQ(axis.A[i], utc(2019, 3, 4) + 21 * day * double(i));
    }
    // Minors 14 and 28 days after each major, also after those before the range.
    EXPECT_EQ(axis.MA.size(), 17u);
    EXPECT_EQ(axis.MA[0], utc(2019, 3, 11)); // 28 days after 11 February
    EXPECT_EQ(axis.MA[1], utc(2019, 3, 18));
    EXPECT_EQ(axis.MA[2], utc(2019, 4, 1));

    // A weekday of 0 or out of range means Sunday; such walks end too.
    for (const char* text : {"3w", "4w0", "4w9", "3w-2"}) {
        const Axis sunday = timeAxis(utc(2019, 3, 1), utc(2019, 9, 1), text);
        ASSERT_FALSE(sunday.A.empty()) << text;
        for (double v : sunday.A)
            EXPECT_EQ(utcFields(v).weekday, 1) << text;
    }
}

TEST_F(AxisTime, WeekWordsWalkBySeconds)
{
    const double a = local(2021, 1, 4, 12);
    const double b = local(2021, 3, 1);
    for (const char* text : {"w", "W", "1W", "1w5"}) {
        const Axis axis = timeAxis(a, b, text);
        EXPECT_EQ(axis.step, 7 * day) << text;
        EXPECT_EQ(axis.mintick, 7) << text;
        ASSERT_GE(axis.A.size(), 7u) << text;
        Calendar berlin;
        for (size_t i = 1; i < axis.A.size(); ++i)
            EXPECT_EQ(axis.A[i] - axis.A[i - 1], 7 * day) << text;
        ASSERT_TRUE(berlin.setTime(axis.A.front()));
        EXPECT_EQ(berlin.fields().hour, 0) << text;
    }
    const Axis fortnight = timeAxis(a, b, "2w3");
    EXPECT_EQ(fortnight.step, 14 * day);
    EXPECT_FALSE(fortnight.A.empty());
    EXPECT_TRUE(fortnight.MA.empty()); // one minor interval
}

// --- typed durations and minor counts ------------------------------------------

TEST_F(AxisTime, DurationTexts)
{
    struct Case {
        const char* text;
        double step;
    } cases[] = {
        {"90", 90},       {"0:30", 30},  {"1:0:0", 3600},
        {"1:0:0:0", day}, {"1,5:0", 90}, {"0:0:0:0:1", 600}, // five parts: the automatic step
    };
    const double a = local(2021, 1, 15, 8);
    const double b = a + 3600;
    for (const auto& c : cases) {
        const Axis axis = timeAxis(a, b + (c.step == day ? 3 * day : 0), c.text);
        EXPECT_EQ(axis.step, c.step) << c.text;
        ASSERT_FALSE(axis.A.empty()) << c.text;
        for (size_t i = 1; i < axis.A.size(); ++i)
            EXPECT_NEAR(axis.A[i] - axis.A[i - 1], c.step, 1e-6) << c.text;
    }
}

TEST_F(AxisTime, LongDurationsKeepTheCalendarUnitsOfTheAutomaticStep)
{
    // 200 days: the 30-day row walks by months with minors 10 and 20 days on;
    // a typed 20 days changes the step, not those units.
    const Axis months = timeAxis(utc(2020, 2, 10), utc(2020, 8, 28), "20:0:0:0");
    EXPECT_EQ(months.step, 20 * day);
    EXPECT_EQ(months.mintick, 2);
    expectValues(months.A,
                 {utc(2020, 3, 1), utc(2020, 4, 1), utc(2020, 5, 1), utc(2020, 6, 1), utc(2020, 7, 1),
                  utc(2020, 8, 1)},
                 "majors");
    for (double v : months.MA) {
        const int d = utcFields(v).day;
        EXPECT_TRUE(d == 11 || d == 21) << show(months.MA);
    }

    // 15 days walk by seconds, so a typed 16 days has no calendar units of
    // its own: whole days from 1 January (UTC), the row's 4 minor ticks
    // splitting each step.
    const double a = utc(2020, 2, 10);
    const Axis days = timeAxis(a, a + 15 * day, "16:0:0:0");
    EXPECT_EQ(days.step, 16 * day);
    expectValues(days.A, {utc(2020, 2, 18)}, "majors");
    ASSERT_FALSE(days.MA.empty());
    for (double v : days.MA)
        EXPECT_EQ(std::fmod(v - utc(2020, 1, 1), 4 * day), 0);
}

TEST_F(AxisTime, MinorCountText)
{
    const Axis none = timeAxis(utc(2003, 5, 1), utc(2008, 5, 1), "y", "0");
    EXPECT_FALSE(none.A.empty());
    EXPECT_TRUE(none.MA.empty());

    const Axis clamped = timeAxis(0, 5, "", "100000");
    EXPECT_EQ(clamped.mintick, Axis::maxMinorCount);
    EXPECT_FALSE(clamped.MA.empty());
}

// --- no ticks, and every walk ends ------------------------------------------------

TEST_F(AxisTime, ImpossibleSettingsGiveNoTicks)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double a = local(2021, 1, 15, 8);
    struct Case {
        const char* name;
        double a, b;
        const char* step;
    } cases[] = {
        {"equal ends", a, a, ""},
        {"high to low, seconds walk", a + 60, a, ""},
        {"high to low, calendar walk", a + 400 * day, a, ""},
        {"NaN end", nan, a, ""},
        {"infinite end", a, inf, ""},
        {"infinite end with a step word", a, inf, "y"},
        {"beyond the calendar", 1e15, 1e15 + 60, ""},
        {"beyond the calendar with a step word", 1e15, 1e15 + 400 * day, "y"},
        {"step word over too wide a range", 0, 1e12, "m"},
        {"zero duration", a, a + 60, "0"},
        {"zero duration in parts", a, a + 60, "0:0"},
        {"unreadable duration", a, a + 60, "abc"},
        {"negative duration", a, a + 60, "-5"},
        {"negative minutes", a, a + 60, "-1:0"},
        {"infinite duration", a, a + 60, "1e999"},
        {"duration over the step limit", a, a + 60, "0.01"},
        {"a step too fine for far times", 1.7e14, 1.7e14 + 1, "0.01"},
    };
    for (const auto& c : cases) {
        const Axis axis = timeAxis(c.a, c.b, c.step);
        EXPECT_TRUE(axis.A.empty()) << c.name << ": " << show(axis.A);
        EXPECT_TRUE(axis.MA.empty()) << c.name;
    }
}

TEST_F(AxisTime, HugeStepsEnd)
{
    // A duration of ~317 000 years on a range of ~32 000 years: the year
    // alignment is counted, not walked.
    const Axis ages = timeAxis(0, 1e12, "1e13");
    EXPECT_LE(ages.A.size(), 2u);
    EXPECT_LE(ages.MA.size(), 4u * Axis::maxMinorCount);

    // The widest automatic row near the calendar's edge.
    const Axis edge = timeAxis(Calendar::maxSeconds - 5e12, Calendar::maxSeconds);
    EXPECT_FALSE(edge.A.empty());
    EXPECT_LE(edge.A.size(), 10u);
}

} // namespace
