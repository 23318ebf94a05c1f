#pragma once

// Calendar arithmetic on the program's time values: seconds since
// 2001-01-01 00:00:00 UTC (Unix time - 978307200). The calendar is the
// Gregorian one (with its historical Julian cut-over in 1582), in a chosen
// time zone; months count 1 to 12, weekdays 1 (Sunday) to 7 (Saturday), era 0
// is BC and era 1 AD, and the year is the year within its era (never 0).
//
// Every operation that could leave the range the calendar can represent
// refuses and reports false, leaving the date as it was, so loops that walk
// through dates can always tell that they stopped moving.

#include <QString>

#include <unicode/uversion.h>

#include <memory>

U_NAMESPACE_BEGIN
class Calendar;
U_NAMESPACE_END

struct DateFields {
    int era = 1;
    int year = 2001;
    int month = 1; // 1 to 12
    int day = 1; // day of the month
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int weekday = 2; // 1 Sunday to 7 Saturday; read only (setFields ignores it)
};

class Calendar {
public:
    // Unix seconds at the reference date 2001-01-01 00:00:00 UTC.
    static constexpr double referenceUnixTime = 978307200.0;
    // Time values beyond about five million years either way are refused:
    // the underlying calendar stops representing dates a little further out.
    static constexpr double maxSeconds = 1.8e14;

    static double fromUnixTime(double unixSeconds) { return unixSeconds - referenceUnixTime; }
    static double toUnixTime(double seconds) { return seconds + referenceUnixTime; }

    // A calendar in the named zone ("UTC", "Europe/Berlin", ...); an empty
    // name means the process's default zone. Unknown names leave the calendar
    // invalid. It starts at the reference date.
    explicit Calendar(const QString& zoneId = QString());
    ~Calendar();
    Calendar(const Calendar& other);
    Calendar& operator=(const Calendar& other);

    bool isValid() const { return cal_ != nullptr; }

    // Switches the zone, keeping the moment; false (and no change) for an
    // unknown zone.
    bool setTimeZone(const QString& zoneId);
    QString timeZoneId() const;

    // The moment, in seconds since the reference date.
    bool setTime(double seconds);
    double time() const;

    // The fields of the moment in this calendar's zone.
    DateFields fields() const;
    // Moves to the date of these fields (weekday ignored). Values out of their
    // usual ranges roll over (month 13 is January of the next year). False
    // when the date is not representable.
    bool setFields(const DateFields& fields);

    // Adds whole years, then months, then days (a month end is pinned: 31
    // January plus one month is the last day of February). Positive amounts
    // always move forward in time, across the change of era too. Either the
    // whole step is made or, when it would leave the representable range,
    // none of it and the result is false.
    bool add(int years, int months, int days);

    // The process-wide default zone used by calendars and date formats made
    // without a zone name (at start the user's zone). False for an unknown
    // name. Tests pin it so their dates do not depend on the machine.
    static bool setDefaultTimeZone(const QString& zoneId);
    static QString defaultTimeZoneId();

private:
    std::unique_ptr<icu::Calendar> cal_;
};
