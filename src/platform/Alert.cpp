#include "platform/Alert.h"

#include <QByteArray>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace {

std::mutex& handlerMutex()
{
    static std::mutex m;
    return m;
}

std::atomic<int> g_reports{0};

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

void writeToStderr(const QString& title, const QString& message)
{
    const QByteArray line = (title + QStringLiteral(": ") + message).toLocal8Bit();
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
}

} // namespace

Alert::Handler Alert::defaultHandler()
{
    Handler h;
    h.run = [](const Request& r) {
        writeToStderr(r.title, r.message);
        return 0;
    };
    h.input = [](const InputRequest& r) -> std::optional<QString> {
        writeToStderr(r.title, r.message);
        return std::nullopt;
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
    if (!handler.input)
        handler.input = fallback.input;
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
    if (request.buttons.size() == 1)
        ++g_reports;
    // Called outside the lock: a message box runs a nested event loop, and
    // whatever happens there may raise another alert.
    const int answer = current().run(request);
    return (answer >= 0 && answer < request.buttons.size()) ? answer : 0;
}

int Alert::reportsShown()
{
    return g_reports;
}

bool Alert::show(const Outcome& outcome)
{
    const bool tell = outcome.kind() == Outcome::Kind::Failed
        || (outcome.kind() == Outcome::Kind::Done && !outcome.message().isEmpty());
    if (tell)
        run(outcome.title(), outcome.message(), {QStringLiteral("Ok")});
    else if (outcome.beeps())
        beep();
    return tell;
}

void Alert::beep()
{
    current().beep();
}

std::optional<QString> Alert::input(const QString& title, const QString& message, const QString& defaultText)
{
    // Outside the lock for the same reason as run().
    return current().input(InputRequest{title, message, defaultText});
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
    h.input = [this](const Alert::InputRequest& r) -> std::optional<QString> {
        inputRequests_.push_back(r);
        if (inputAnswers_.empty())
            return r.defaultText;
        const bool answered = inputAnswers_.front().has_value();
        const QString text = answered ? *inputAnswers_.front() : QString();
        inputAnswers_.pop_front();
        if (!answered)
            return std::nullopt;
        return text;
    };
    previous_ = Alert::setHandler(std::move(h));
}

ScriptedAlerts::~ScriptedAlerts()
{
    Alert::setHandler(std::move(previous_));
}
