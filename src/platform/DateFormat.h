#pragma once

// Time values (seconds since 2001-01-01 00:00:00 UTC) to text and back through
// a Unicode date pattern such as "yyyy-MM-dd HH:mm:ss" or "EE d.M", in the
// Gregorian calendar of a chosen time zone and locale (the locale names the
// months and weekdays).

#include <QString>

#include <unicode/uversion.h>

#include <memory>

U_NAMESPACE_BEGIN
class SimpleDateFormat;
U_NAMESPACE_END

class DateFormat {
public:
    // An empty zone name means the process's default zone (see
    // Calendar::setDefaultTimeZone); an empty locale name the user's locale.
    // An unknown zone leaves the format invalid.
    explicit DateFormat(const QString& pattern, const QString& zoneId = QString(),
                        const QString& localeName = QString());
    ~DateFormat();
    DateFormat(const DateFormat& other);
    DateFormat& operator=(const DateFormat& other);

    bool isValid() const { return fmt_ != nullptr; }

    // Off: parse() takes only dates whose fields lie in their ranges (no
    // month 13, no 31 February rolled into March). On by default.
    void setLenient(bool lenient);

    // The text of the moment; empty for an invalid format and for moments the
    // calendar cannot represent (non-finite or beyond Calendar::maxSeconds).
    QString format(double seconds) const;

    // Reads a date at the start of the text. On success sets seconds and, when
    // given, the number of characters read; text after the date is left alone.
    bool parse(const QString& text, double& seconds, int* consumed = nullptr) const;

private:
    std::unique_ptr<icu::SimpleDateFormat> fmt_;
};
