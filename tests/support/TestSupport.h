#pragma once

#include "platform/Calendar.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QString>

namespace TestSupport {

// AddressSanitizer reserves terabytes of address space for its shadow
// memory: tests that bound memory with a limit on the address space
// (RLIMIT_AS) cannot run under it.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool addressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool addressSanitizer = true;
#else
constexpr bool addressSanitizer = false;
#endif
#else
constexpr bool addressSanitizer = false;
#endif

// A directory private to this test process, removed at exit.
QString scratchDir();

// Runs the event loop until done() holds, for ms milliseconds at the most
// (what a window server sends comes after a round trip); whether it holds.
template <class Condition> bool spinUntil(Condition done, int ms = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// Pins the default time zone for the object's lifetime: dates and time ticks
// must not depend on the machine's zone.
class PinnedTimeZone {
public:
    explicit PinnedTimeZone(const QString& zone = QStringLiteral("Europe/Berlin"))
            : saved_(Calendar::defaultTimeZoneId())
            , ok_(Calendar::setDefaultTimeZone(zone))
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
