#include "platform/Calendar.h"

#include <unicode/gregocal.h>
#include <unicode/timezone.h>
#include <unicode/ucal.h>

#include <cmath>

namespace {

// Rough lengths, only used to refuse steps that would run off the calendar's
// range before the calendar's own integer arithmetic wraps around.
constexpr double secondsPerYear = 31556952.0; // 365.2425 days
constexpr double secondsPerMonth = secondsPerYear / 12.0;

icu::UnicodeString toIcu(const QString& text)
{
    return icu::UnicodeString(reinterpret_cast<const char16_t*>(text.utf16()), int32_t(text.size()));
}

QString fromIcu(const icu::UnicodeString& text)
{
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

// Null for names the time-zone database does not know (ICU would silently
// hand back its "unknown" zone, which behaves like UTC).
icu::TimeZone* createZone(const QString& zoneId)
{
    if (zoneId.isEmpty())
        return icu::TimeZone::createDefault();
    icu::TimeZone* zone = icu::TimeZone::createTimeZone(toIcu(zoneId));
    icu::UnicodeString id;
    zone->getID(id);
    if (id == icu::UnicodeString(UCAL_UNKNOWN_ZONE_ID)) {
        delete zone;
        return nullptr;
    }
    return zone;
}

double millisOf(double seconds)
{
    return (seconds + Calendar::referenceUnixTime) * 1000.0;
}

double secondsOf(double millis)
{
    return millis / 1000.0 - Calendar::referenceUnixTime;
}

bool representable(double seconds)
{
    return std::isfinite(seconds) && std::fabs(seconds) <= Calendar::maxSeconds;
}

} // namespace

Calendar::Calendar(const QString& zoneId)
{
    icu::TimeZone* zone = createZone(zoneId);
    if (!zone)
        return;
    UErrorCode status = U_ZERO_ERROR;
    auto cal = std::make_unique<icu::GregorianCalendar>(zone, status); // adopts the zone
    if (U_FAILURE(status))
        return;
    cal->setLenient(true); // field values out of range roll over
    cal->setTime(millisOf(0.0), status);
    if (U_SUCCESS(status))
        cal_ = std::move(cal);
}

Calendar::~Calendar() = default;

Calendar::Calendar(const Calendar& other)
        : cal_(other.cal_ ? other.cal_->clone() : nullptr)
{
}

Calendar& Calendar::operator=(const Calendar& other)
{
    if (this != &other)
        cal_.reset(other.cal_ ? other.cal_->clone() : nullptr);
    return *this;
}

bool Calendar::setTimeZone(const QString& zoneId)
{
    if (!cal_)
        return false;
    icu::TimeZone* zone = createZone(zoneId);
    if (!zone)
        return false;
    cal_->adoptTimeZone(zone);
    return true;
}

QString Calendar::timeZoneId() const
{
    if (!cal_)
        return QString();
    icu::UnicodeString id;
    cal_->getTimeZone().getID(id);
    return fromIcu(id);
}

bool Calendar::setTime(double seconds)
{
    if (!cal_ || !representable(seconds))
        return false;
    UErrorCode status = U_ZERO_ERROR;
    cal_->setTime(millisOf(seconds), status);
    return U_SUCCESS(status);
}

double Calendar::time() const
{
    if (!cal_)
        return 0.0;
    UErrorCode status = U_ZERO_ERROR;
    const double millis = cal_->getTime(status);
    return U_SUCCESS(status) ? secondsOf(millis) : 0.0;
}

DateFields Calendar::fields() const
{
    DateFields f;
    if (!cal_)
        return f;
    UErrorCode status = U_ZERO_ERROR;
    f.era = cal_->get(UCAL_ERA, status);
    f.year = cal_->get(UCAL_YEAR, status);
    f.month = cal_->get(UCAL_MONTH, status) + 1;
    f.day = cal_->get(UCAL_DATE, status);
    f.hour = cal_->get(UCAL_HOUR_OF_DAY, status);
    f.minute = cal_->get(UCAL_MINUTE, status);
    f.second = cal_->get(UCAL_SECOND, status);
    f.millisecond = cal_->get(UCAL_MILLISECOND, status);
    f.weekday = cal_->get(UCAL_DAY_OF_WEEK, status);
    return f;
}

bool Calendar::setFields(const DateFields& f)
{
    if (!cal_)
        return false;
    // Estimate where the fields lead before handing them over: the calendar
    // wraps its integers silently for absurd values.
    const double extendedYear = f.era == 0 ? 1.0 - f.year : double(f.year);
    const double estimate = (extendedYear - 2001.0) * secondsPerYear + (f.month - 1.0) * secondsPerMonth
        + (f.day - 1.0) * 86400.0 + f.hour * 3600.0 + f.minute * 60.0 + f.second + f.millisecond / 1000.0;
    if (std::fabs(estimate) > maxSeconds)
        return false;

    UErrorCode status = U_ZERO_ERROR;
    const double before = cal_->getTime(status);
    cal_->clear();
    cal_->set(UCAL_ERA, f.era);
    cal_->set(UCAL_YEAR, f.year);
    cal_->set(UCAL_MONTH, f.month - 1);
    cal_->set(UCAL_DATE, f.day);
    cal_->set(UCAL_HOUR_OF_DAY, f.hour);
    cal_->set(UCAL_MINUTE, f.minute);
    cal_->set(UCAL_SECOND, f.second);
    cal_->set(UCAL_MILLISECOND, f.millisecond);
    const double after = cal_->getTime(status);
    if (U_FAILURE(status) || !representable(secondsOf(after))) {
        status = U_ZERO_ERROR;
        cal_->setTime(before, status);
        return false;
    }
    return true;
}

bool Calendar::add(int years, int months, int days)
{
    if (!cal_)
        return false;
    UErrorCode status = U_ZERO_ERROR;
    const double before = cal_->getTime(status);
    if (U_FAILURE(status))
        return false;
    const double estimate
        = secondsOf(before) + years * secondsPerYear + months * secondsPerMonth + days * 86400.0;
    if (std::fabs(estimate) > maxSeconds)
        return false;

    if (years != 0)
        cal_->add(UCAL_YEAR, years, status);
    if (months != 0)
        cal_->add(UCAL_MONTH, months, status);
    if (days != 0)
        cal_->add(UCAL_DATE, days, status);
    const double after = U_SUCCESS(status) ? cal_->getTime(status) : 0.0;
    if (U_FAILURE(status) || !representable(secondsOf(after))) {
        status = U_ZERO_ERROR;
        cal_->setTime(before, status);
        return false;
    }
    return true;
}

bool Calendar::setDefaultTimeZone(const QString& zoneId)
{
    if (zoneId.isEmpty())
        return false;
    icu::TimeZone* zone = createZone(zoneId);
    if (!zone)
        return false;
    icu::TimeZone::adoptDefault(zone);
    return true;
}

QString Calendar::defaultTimeZoneId()
{
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createDefault());
    icu::UnicodeString id;
    zone->getID(id);
    return fromIcu(id);
}
