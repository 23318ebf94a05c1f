#include "platform/DateFormat.h"

#include "platform/Calendar.h"

#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/parsepos.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/ucal.h>

#include <cmath>

namespace {

icu::UnicodeString toIcu(const QString& text)
{
    return icu::UnicodeString(reinterpret_cast<const char16_t*>(text.utf16()), int32_t(text.size()));
}

QString fromIcu(const icu::UnicodeString& text)
{
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

} // namespace

DateFormat::DateFormat(const QString& pattern, const QString& zoneId, const QString& localeName)
{
    std::unique_ptr<icu::TimeZone> zone;
    if (zoneId.isEmpty()) {
        zone.reset(icu::TimeZone::createDefault());
    } else {
        zone.reset(icu::TimeZone::createTimeZone(toIcu(zoneId)));
        icu::UnicodeString id;
        zone->getID(id);
        if (id == icu::UnicodeString(UCAL_UNKNOWN_ZONE_ID))
            return;
    }
    const icu::Locale locale
        = localeName.isEmpty() ? icu::Locale::getDefault() : icu::Locale(localeName.toUtf8().constData());
    UErrorCode status = U_ZERO_ERROR;
    auto fmt = std::make_unique<icu::SimpleDateFormat>(toIcu(pattern), locale, status);
    if (U_FAILURE(status))
        return;
    // Labels and read-outs are Gregorian whatever calendar the locale prefers.
    status = U_ZERO_ERROR;
    fmt->adoptCalendar(new icu::GregorianCalendar(zone.release(), locale, status));
    if (U_FAILURE(status))
        return;
    fmt_ = std::move(fmt);
}

DateFormat::~DateFormat() = default;

DateFormat::DateFormat(const DateFormat& other)
        : fmt_(other.fmt_ ? other.fmt_->clone() : nullptr)
{
}

DateFormat& DateFormat::operator=(const DateFormat& other)
{
    if (this != &other)
        fmt_.reset(other.fmt_ ? other.fmt_->clone() : nullptr);
    return *this;
}

void DateFormat::setLenient(bool lenient)
{
    if (fmt_)
        fmt_->setLenient(lenient);
}

QString DateFormat::format(double seconds) const
{
    if (!fmt_ || !std::isfinite(seconds) || std::fabs(seconds) > Calendar::maxSeconds)
        return QString();
    icu::UnicodeString out;
    fmt_->format(Calendar::toUnixTime(seconds) * 1000.0, out);
    return fromIcu(out);
}

bool DateFormat::parse(const QString& text, double& seconds, int* consumed) const
{
    if (!fmt_)
        return false;
    icu::ParsePosition pos(0);
    const UDate date = fmt_->parse(toIcu(text), pos);
    if (pos.getErrorIndex() >= 0 || pos.getIndex() == 0)
        return false;
    const double value = Calendar::fromUnixTime(date / 1000.0);
    if (!std::isfinite(value) || std::fabs(value) > Calendar::maxSeconds)
        return false;
    seconds = value;
    if (consumed)
        *consumed = pos.getIndex();
    return true;
}
