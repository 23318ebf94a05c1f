#include "platform/Alert.h"

#include <QByteArray>

#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace {

std::mutex& handlerMutex()
{
    static std::mutex m;
    return m;
}

Alert::Handler& installed()
{
    static Alert::Handler h = Alert::defaultHandler();
    return h;
}

Alert::Handler current()
{
    std::lock_guard lock(handlerMutex());
    return installed();
}

} // namespace

Alert::Handler Alert::defaultHandler()
{
    Handler h;
    h.run = [](const Request& r) {
        const QByteArray line = (r.title + QStringLiteral(": ") + r.message).toLocal8Bit();
        std::fprintf(stderr, "%s\n", line.constData());
        std::fflush(stderr);
        return 0;
    };
    h.beep = [] {
        // A bell in a redirected log is only noise.
        if (::isatty(STDERR_FILENO)) {
            std::fputc('\a', stderr);
            std::fflush(stderr);
        }
    };
    return h;
}

Alert::Handler Alert::setHandler(Handler handler)
{
    const Handler fallback = defaultHandler();
    if (!handler.run)
        handler.run = fallback.run;
    if (!handler.beep)
        handler.beep = fallback.beep;
    std::lock_guard lock(handlerMutex());
    Handler previous = std::move(installed());
    installed() = std::move(handler);
    return previous;
}

int Alert::run(const QString& title, const QString& message, const QStringList& buttons)
{
    Request request{title, message, buttons};
    if (request.buttons.isEmpty())
        request.buttons << QStringLiteral("Ok");
    // Called outside the lock: a message box runs a nested event loop, and
    // whatever happens there may raise another alert.
    const int answer = current().run(request);
    return (answer >= 0 && answer < request.buttons.size()) ? answer : 0;
}

void Alert::beep()
{
    current().beep();
}

ScriptedAlerts::ScriptedAlerts(std::initializer_list<int> answers)
    : answers_(answers)
{
    Alert::Handler h;
    h.run = [this](const Alert::Request& r) {
        requests_.push_back(r);
        if (answers_.empty())
            return 0;
        const int a = answers_.front();
        answers_.pop_front();
        return a;
    };
    h.beep = [this] { ++beeps_; };
    previous_ = Alert::setHandler(std::move(h));
}

ScriptedAlerts::~ScriptedAlerts()
{
    Alert::setHandler(std::move(previous_));
}
