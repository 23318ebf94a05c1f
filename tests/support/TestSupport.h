#pragma once

#include "platform/Calendar.h"

#include <QString>

namespace TestSupport {

// A directory private to this test process, removed at exit.
QString scratchDir();

// Pins the default time zone for the object's lifetime: dates and time ticks
// must not depend on the machine's zone.
class PinnedTimeZone {
public:
    explicit PinnedTimeZone(const QString& zone = QStringLiteral("Europe/Berlin"))
        : saved_(Calendar::defaultTimeZoneId()), ok_(Calendar::setDefaultTimeZone(zone))
    {
    }
    ~PinnedTimeZone() { Calendar::setDefaultTimeZone(saved_); }
    PinnedTimeZone(const PinnedTimeZone&) = delete;
    PinnedTimeZone& operator=(const PinnedTimeZone&) = delete;
    bool ok() const { return ok_; }

private:
    QString saved_;
    bool ok_;
};

} // namespace TestSupport
