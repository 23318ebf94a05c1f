// Time axes: values are seconds since 2001-01-01 00:00:00 UTC. Steps up to
// two weeks advance by adding seconds; longer ones advance through the
// calendar so that ticks land on the first of a month, on 1 January or on a
// chosen weekday.

#include "model/Axis.h"

#include "platform/Calendar.h"
#include "util/NumberFormat.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr double day = 86400;
constexpr double year365 = 365 * day;
// Steps up to two weeks walk by seconds; longer ones by the calendar.
constexpr double longestSecondsStep = 14 * day;
// More passes than any bounded walk needs (see Axis.cpp).
constexpr int walkCap = 1'000'000;

// A calendar step in years, months and days. Minor units may be fractional
// (typed durations); each multiple is truncated to whole units.
struct CalendarUnits {
    double years = 0;
    double months = 0;
    double days = 0;
};

struct AutoStep {
    double seconds;
    int mintick;
    const char* format;
    CalendarUnits major;
    CalendarUnits minor;
};

// Chosen by the width of the range: the first row whose step fits fewer than
// eight times. The calendar step of some rows is shorter than the row's step
// (60 days walk by 1 month, 2 years by 1 year); the row's step still decides
// the choice, the step limit and the year alignment.
const AutoStep autoSteps[] = {
    {0.01, 5, "mm:ss.SS", {}, {}},
    {0.05, 5, "mm:ss.SS", {}, {}},
    {0.1, 5, "mm:ss.S", {}, {}},
    {0.5, 5, "mm:ss.S", {}, {}},
    {1, 5, "mm:ss", {}, {}},
    {2, 4, "mm:ss", {}, {}},
    {5, 5, "mm:ss", {}, {}},
    {10, 5, "mm:ss", {}, {}},
    {20, 5, "mm:ss", {}, {}},
    {30, 6, "mm:ss", {}, {}},
    {60, 5, "mm:ss", {}, {}},
    {180, 6, "mm:ss", {}, {}},
    {300, 5, "mm:ss", {}, {}},
    {600, 6, "HH:mm:ss", {}, {}},
    {1800, 6, "HH:mm:ss", {}, {}},
    {3600, 4, "HH:mm:ss", {}, {}},
    {7200, 4, "HH:mm", {}, {}},
    {10800, 6, "HH:mm", {}, {}},
    {14400, 4, "HH:mm", {}, {}},
    {21600, 6, "d.M HH:mm", {}, {}},
    {43200, 6, "d.M HH:mm", {}, {}},
    {day, 4, "EE d.M", {}, {}},
    {3 * day, 6, "EE d.M", {}, {}},
    {7 * day, 7, "EE d.M", {}, {}},
    {14 * day, 2, "EE d.M", {}, {}},
    {30 * day, 2, "dd.MM.yy", {0, 1, 0}, {0, 0, 10}},
    {60 * day, 2, "dd.MM.yy", {0, 1, 0}, {0, 0, 10}},
    {90 * day, 2, "dd.MM.yy", {0, 2, 0}, {0, 1, 0}},
    {120 * day, 3, "dd.MM.yy", {0, 3, 0}, {0, 1, 0}},
    {180 * day, 5, "dd.MM.yy", {0, 4, 0}, {0, 1, 0}},
    {year365, 3, "dd.MM.yy", {1, 0, 0}, {0, 3, 0}},
    {2 * year365, 1, "dd.MM.yy", {1, 0, 0}, {1, 0, 0}},
    {3 * year365, 2, "dd.MM.yy", {3, 0, 0}, {1, 0, 0}},
    {5 * year365, 4, "dd.MM.yy", {5, 0, 0}, {1, 0, 0}},
    {10 * year365, 5, "y", {10, 0, 0}, {2, 0, 0}},
    {20 * year365, 4, "y", {20, 0, 0}, {5, 0, 0}},
    {30 * year365, 3, "y", {30, 0, 0}, {10, 0, 0}},
    {50 * year365, 5, "y", {50, 0, 0}, {10, 0, 0}},
    {100 * year365, 4, "y", {100, 0, 0}, {25, 0, 0}},
    {200 * year365, 4, "y", {200, 0, 0}, {50, 0, 0}},
    {500 * year365, 4, "y", {500, 0, 0}, {100, 0, 0}},
    {1000 * year365, 5, "y G", {1000, 0, 0}, {200, 0, 0}},
    {2000 * year365, 5, "y G", {2000, 0, 0}, {500, 0, 0}},
    {5000 * year365, 4, "y G", {5000, 0, 0}, {1000, 0, 0}},
    {10000 * year365, 5, "y G", {10000, 0, 0}, {2000, 0, 0}},
    {20000 * year365, 5, "y G", {20000, 0, 0}, {5000, 0, 0}},
};

struct StepWord {
    const char* word;
    double seconds;
    int mintick;
    CalendarUnits major;
    CalendarUnits minor;
};

// Words the user may type as the step. The week words walk by seconds.
const StepWord stepWords[] = {
    {"w", 7 * day, 7, {}, {}},
    {"1w", 7 * day, 7, {}, {}},
    {"2w", 14 * day, 2, {}, {}},
    {"m", 30 * day, 2, {0, 1, 0}, {0, 0, 10}},
    {"1m", 30 * day, 2, {0, 1, 0}, {0, 0, 10}},
    {"2m", 60 * day, 1, {0, 2, 0}, {0, 1, 0}},
    {"3m", 90 * day, 2, {0, 3, 0}, {0, 1, 0}},
    {"4m", 120 * day, 3, {0, 4, 0}, {0, 1, 0}},
    {"6m", 180 * day, 5, {0, 6, 0}, {0, 1, 0}},
    {"y", year365, 3, {1, 0, 0}, {0, 3, 0}},
    {"1y", year365, 3, {1, 0, 0}, {0, 3, 0}},
    {"2y", 2 * year365, 1, {2, 0, 0}, {1, 0, 0}},
    {"5y", 5 * year365, 4, {5, 0, 0}, {1, 0, 0}},
    {"10y", 10 * year365, 4, {10, 0, 0}, {2, 0, 0}},
    {"20y", 20 * year365, 3, {20, 0, 0}, {5, 0, 0}},
    {"50y", 50 * year365, 4, {50, 0, 0}, {10, 0, 0}},
    {"100y", 100 * year365, 4, {100, 0, 0}, {20, 0, 0}},
    {"200y", 200 * year365, 3, {200, 0, 0}, {50, 0, 0}},
    {"500y", 500 * year365, 4, {500, 0, 0}, {100, 0, 0}},
    {"1000y", 1000 * year365, 4, {1000, 0, 0}, {200, 0, 0}},
    {"2000y", 2000 * year365, 3, {2000, 0, 0}, {500, 0, 0}},
    {"5000y", 5000 * year365, 4, {5000, 0, 0}, {1000, 0, 0}},
    {"10000y", 10000 * year365, 4, {10000, 0, 0}, {2000, 0, 0}},
};

// Multiples of calendar units are whole units; fractions are cut off.
int wholeUnits(double v)
{
    if (!(std::fabs(v) < 1e9))
        return 0;
    return int(v);
}

} // namespace

void Axis::initForTimeWithRange(double a, double b, const QString& lo, const QString& hi,
                                const QString& stepText, const QString& minorText)
{
    Q_UNUSED(lo);
    Q_UNUSED(hi);
    reset();
    step = 0;
    if (a == b)
        return;
    takeRange(a, b);
    dxy = 8;
    if (!std::isfinite(min) || !std::isfinite(max))
        return;
    const double range = std::fabs(max - min);

    CalendarUnits major;
    CalendarUnits minor;
    for (const AutoStep& row : autoSteps) {
        // The one-day row also serves ranges up to 16 days.
        if (range / row.seconds < dxy || (row.seconds == day && range / (2 * day) < dxy)) {
            step = row.seconds;
            mintick = row.mintick;
            format = QString::fromLatin1(row.format);
            major = row.major;
            minor = row.minor;
            break;
        }
    }

    // "<n>w<weekday>": weeks aligned to a weekday (1 Sunday .. 7 Saturday).
    bool stepWord = false;
    bool alignWeekday = false;
    int weekday = 1;
    const QStringList weekParts = stepText.split(QLatin1Char('w'));
    if (weekParts.size() == 2) {
        const int n = leadingInteger(weekParts[0]);
        weekday = leadingInteger(weekParts[1]);
        // No calendar weekday is 0 or 7 here: such a text means Sunday, and
        // the alignment below always finds its day.
        if (weekday < 1 || weekday > 6)
            weekday = 1;
        // One to four weeks a step; any other count is one week.
        static const struct {
            int days;
            int mintick;
            int minorDays;
        } weekSteps[] = {{7, 7, 1}, {14, 1, 7}, {21, 2, 14}, {28, 3, 21}};
        const auto& weeks = weekSteps[n >= 2 && n <= 4 ? n - 1 : 0];
        major = {};
        minor = {};
        step = weeks.days * day;
        mintick = weeks.mintick;
        major.days = weeks.days;
        minor.days = weeks.minorDays;
        alignWeekday = true;
        stepWord = true;
    }

    for (const StepWord& w : stepWords) {
        if (stepText.compare(QLatin1String(w.word), Qt::CaseInsensitive) == 0) {
            step = w.seconds;
            mintick = w.mintick;
            major = w.major;
            minor = w.minor;
            alignWeekday = false;
            stepWord = true;
            break;
        }
    }

    if (step == 0)
        return;
    start = std::floor(min / step) * step;
    end = max + step;

    // "[[[days:]hours:]minutes:]seconds"; the walk's start and end stay those
    // of the automatic step.
    bool durationInDays = false;
    if (!stepText.isEmpty() && !stepWord) {
        const QStringList parts = stepText.split(QLatin1Char(':'));
        static const double weights[4] = {1, 60, 3600, day};
        const int count = int(parts.size());
        if (count <= 4) {
            double seconds = 0;
            for (int i = 0; i < count; ++i)
                seconds += doubleValueOf(parts[i]) * weights[count - 1 - i];
            step = seconds;
            // A zero, negative or infinite duration cannot be walked.
            if (!(step > 0) || !std::isfinite(step))
                return;
            durationInDays = step > longestSecondsStep;
        }
    }

    if (!minorText.isEmpty())
        mintick = minorCountFrom(minorText);

    if (!(std::fabs(end - start) / step <= maxSteps))
        return;

    auto inRange = [&](double v) { return min <= v && v <= max && a <= v && v <= b; };
    auto fail = [this] {
        A.clear();
        MA.clear();
    };

    // Align the start in the user's zone: to the day for steps above half an
    // hour, to the hour above half a minute, always to the minute.
    Calendar cal;
    if (!cal.setTime(start))
        return;
    DateFields f = cal.fields();
    if (step > 1800)
        f.hour = f.minute = f.second = 0;
    if (step > 30)
        f.minute = f.second = 0;
    f.second = 0;
    f.millisecond = 0;
    if (!cal.setFields(f))
        return;

    if (step <= longestSecondsStep) {
        start = cal.time();
        if (start > end)
            return;
        const double minorStep = step / mintick;
        double v = start;
        for (int pass = 0;; ++pass) {
            if (pass >= walkCap)
                return fail();
            if (inRange(v))
                A.push_back(v);
            for (int s = 1; s < mintick; ++s) {
                const double w = minorStep * s + v;
                if (inRange(w))
                    MA.push_back(w);
            }
            const double next = v + step;
            if (!(next > v))
                return fail();
            v = next;
            if (!(v <= end))
                break;
        }
        return;
    }

    // A typed duration of more than two weeks keeps the calendar units of the
    // automatic step; when that step walks by seconds there are none, and the
    // duration advances by whole days, its minor ticks splitting it evenly.
    if (durationInDays && major.years == 0 && major.months == 0 && major.days == 0) {
        major = {0, 0, std::max(1.0, std::round(step / day))};
        minor = {0, 0, mintick >= 1 ? major.days / mintick : 0};
        alignWeekday = false;
    }

    const double yearsPerStep = std::floor(step / year365);
    // Calendar steps start on 1 January (UTC) of the start's year.
    const DateFields local = cal.fields();
    if (!cal.setTimeZone(QStringLiteral("UTC")))
        return;
    DateFields jan1;
    jan1.era = local.era;
    jan1.year = local.year;
    if (!cal.setFields(jan1))
        return;

    // Multi-year steps start on a year divisible by their count of years.
    // Counted, not searched: the count may be thousands of years.
    if (yearsPerStep >= 2) {
        if (yearsPerStep > 1e7)
            return;
        const long long every = (long long)yearsPerStep;
        const long long y = jan1.year;
        long long add;
        if (jan1.era == 1)
            add = (every - y % every) % every;
        else // BC years count down towards 1 BC, which is followed by 1 AD
            add = y >= every ? y % every : y + every - 1;
        if (add > 0 && !cal.add(int(add), 0, 0))
            return;
    }

    if (alignWeekday) {
        for (int i = 0; i < 7 && cal.fields().weekday != weekday; ++i) {
            if (!cal.add(0, 0, -1))
                return;
        }
    }

    const int majorYears = wholeUnits(major.years);
    const int majorMonths = wholeUnits(major.months);
    const int majorDays = wholeUnits(major.days);
    if (!cal.add(-majorYears, -majorMonths, -majorDays))
        return;

    // A step the calendar refuses would land beyond the dates it can
    // represent, and so beyond the range: that ends the walk (or skips the
    // minor tick) like reaching the end would.
    Calendar minorCal(cal);
    for (int pass = 0;; ++pass) {
        const double v = cal.time();
        if (!(v < b))
            break;
        if (pass >= walkCap)
            return fail();
        if (inRange(v))
            A.push_back(v);
        for (int s = 1; s <= mintick; ++s) {
            if (!minorCal.setTime(v))
                return fail();
            if (!minorCal.add(wholeUnits(minor.years * s), wholeUnits(minor.months * s),
                              wholeUnits(minor.days * s)))
                continue;
            const double w = minorCal.time();
            if (inRange(w))
                MA.push_back(w);
        }
        if (!cal.add(majorYears, majorMonths, majorDays))
            break;
        if (!(cal.time() > v))
            return fail();
    }
}
