#include "io/EPICSImport.h"

#include "io/ChannelAccessClient.h"
#include "model/DataBuffer.h"
#include "model/DocumentView.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "platform/CNumber.h"

#include <QByteArray>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

namespace {

using namespace ChannelAccess;

QString notLoaded(const QString& why)
{
    return QStringLiteral("The Channel Access client could not be loaded: %1").arg(why);
}

// What the library reported on its own during one read.
struct Messages {
    std::mutex lock;
    QStringList lines;

    void add(const QString& line)
    {
        const std::lock_guard<std::mutex> hold(lock);
        if (!line.isEmpty() && lines.size() < 20 && !lines.contains(line))
            lines << line;
    }
    QString joined()
    {
        const std::lock_guard<std::mutex> hold(lock);
        return lines.isEmpty() ? QString() : lines.join(QStringLiteral(". ")) + QLatin1Char('.');
    }
};

// The library's message log: while a read runs, its lines join the read's
// notes; the log never writes to standard error itself.
struct MessageLog {
    std::mutex lock;
    Messages* active = nullptr;

    static MessageLog& shared(const ChannelAccessClient& ca)
    {
        static MessageLog log;
        static std::once_flag installed;
        std::call_once(installed, [&ca] {
            ca.logToConsole(0);
            ca.addLogListener(&MessageLog::listen, &log);
        });
        return log;
    }
    static void listen(void* self, const char* message)
    {
        auto* log = static_cast<MessageLog*>(self);
        const std::lock_guard<std::mutex> hold(log->lock);
        if (log->active && message)
            log->active->add(QString::fromLatin1(message).trimmed());
    }
    void attach(Messages* messages)
    {
        const std::lock_guard<std::mutex> hold(lock);
        active = messages;
    }
};

// One client context, ended on every way out.
class Context {
public:
    explicit Context(const ChannelAccessClient& ca)
            : ca_(ca)
    {
        MessageLog::shared(ca_).attach(&notes_);
        status_ = ca_.taskInitialize();
        if (status_ == ECA_NORMAL)
            ca_.addExceptionEvent(&exceptionHandler, this);
    }
    ~Context()
    {
        if (status_ == ECA_NORMAL)
            ca_.taskExit();
        ca_.flushLog();
        MessageLog::shared(ca_).attach(nullptr);
    }
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    const ChannelAccessClient& client() const { return ca_; }
    int status() const { return status_; }
    // What went wrong on the library's side: a lost circuit, say.
    Messages& messages() { return messages_; }
    // The library's log lines, kept for the message of a failure.
    QString notes()
    {
        ca_.flushLog();
        return notes_.joined();
    }

private:
    static void exceptionHandler(exception_handler_args args)
    {
        auto* context = static_cast<Context*>(args.usr);
        QString line = QString::fromLatin1(context->ca_.message(args.stat));
        if (args.ctx && *args.ctx)
            line += QStringLiteral(" (%1)").arg(QString::fromLatin1(args.ctx).trimmed());
        context->messages_.add(line);
    }

    const ChannelAccessClient& ca_;
    Messages messages_;
    Messages notes_;
    int status_ = 0;
};

// A failed call. What the library reported on its own during the read (a
// lost circuit) is the cause; a time-out that followed it is only its echo.
QString failureMessage(int status, Context& context)
{
    const QString reported = context.messages().joined();
    QString message = reported.isEmpty() ? EPICSImport::statusMessage(status) : reported;
    const QString notes = context.notes();
    if (!notes.isEmpty())
        message += QLatin1Char(' ') + notes;
    return message;
}

// The library's status as the outcome's code; 0 for a failure of ours.
Outcome failure(const QString& message, int status = 0)
{
    return Outcome::failed(message, EPICSImport::alertTitle(), status);
}

Outcome failure(int status, Context& context)
{
    return failure(failureMessage(status, context), status);
}

// Finds the variable and waits for its channel.
Outcome connectChannel(Context& context, const QString& name, double timeout, chid& channel)
{
    const QByteArray ascii = name.toLatin1();
    const ChannelAccessClient& ca = context.client();
    int status = ca.searchAndConnect(ascii.constData(), &channel, nullptr, nullptr);
    if (status == ECA_NORMAL)
        status = ca.pendIo(timeout);
    if (status != ECA_NORMAL) {
        const QString message = failureMessage(status, context);
        // A search nobody answers looks the same whether no server has the
        // name or no server can be reached: the message names the variable
        // and says both.
        return failure(status == ECA_TIMEOUT
                           ? QStringLiteral("No server answered for the variable %1 within %2 s: no server "
                                            "has that name, or none can be reached. %3")
                                 .arg(name)
                                 .arg(timeout)
                                 .arg(message)
                           : QStringLiteral("%1: %2").arg(name, message),
                       status);
    }
    return {};
}

// Gets count doubles of the channel into values and waits for them.
Outcome getValues(Context& context, chid channel, unsigned long count, double* values, double timeout)
{
    const ChannelAccessClient& ca = context.client();
    int status = ca.arrayGet(DBR_DOUBLE, count, channel, values);
    if (status == ECA_NORMAL)
        status = ca.pendIo(timeout);
    if (status != ECA_NORMAL)
        return failure(status, context);
    // A read that completed while the circuit went away is no read.
    const QString lost = context.messages().joined();
    if (!lost.isEmpty())
        return failure(lost);
    return {};
}

// Reads the whole array of one variable into out.
Outcome readArray(Context& context, const QString& name, double timeout, std::vector<double>& out)
{
    chid channel = nullptr;
    Outcome o = connectChannel(context, name, timeout, channel);
    if (!o.ok())
        return o;
    const unsigned long count = context.client().elementCount(channel);
    // The count comes from the server. What the transfer limit would refuse
    // anyway is refused before any memory is taken for it.
    constexpr double largestMessage = 4294967295.0; // a reply's size is 32 bits
    if (double(count) * sizeof(double) > std::min(EPICSImport::maxArrayBytes(), largestMessage))
        return failure(ECA_TOLARGE, context);
    std::vector<double> values;
    try {
        values.resize(count);
    } catch (const std::exception&) { // bad_alloc, length_error
        return failure(
            QStringLiteral("There is not enough memory for the %1 values of %2.").arg(count).arg(name));
    }
    o = getValues(context, channel, count, values.data(), timeout);
    if (o.ok())
        out = std::move(values);
    return o;
}

// The client reads its settings from the environment when a context
// starts; setting them needs no library.
void setEnvironment(const char* name, const QString& value)
{
    qputenv(name, value.toLatin1());
}

// The client, loaded on the first read; a failure that says why it could
// not be loaded when it cannot.
const ChannelAccessClient* client(Outcome& failed)
{
    QString why;
    const ChannelAccessClient* ca = ChannelAccessClient::get(why);
    if (!ca)
        failed = failure(notLoaded(why));
    return ca;
}

} // namespace

void EPICSImport::setLaunchEnvironment()
{
    setEnvironment("EPICS_CA_MAX_ARRAY_BYTES", QStringLiteral("65536"));
#if defined(__x86_64__)
    setEnvironment("EPICS_HOST_ARCH", QStringLiteral("linux-x86_64"));
#elif defined(__aarch64__)
    setEnvironment("EPICS_HOST_ARCH", QStringLiteral("linux-aarch64"));
#elif defined(__i386__)
    setEnvironment("EPICS_HOST_ARCH", QStringLiteral("linux-x86"));
#else
    setEnvironment("EPICS_HOST_ARCH", QStringLiteral("linux-arm"));
#endif
}

void EPICSImport::setAddressList(const QString& list)
{
    setEnvironment("EPICS_CA_ADDR_LIST", list);
}

bool EPICSImport::setMaxArrayBytes(const QString& bytes)
{
    // The library reads whole numbers only, and complains on standard error
    // about anything else. A whole number in any notation ("1e6") is written
    // out in digits.
    double value = 0;
    const QByteArray text = bytes.toLatin1();
    if (!CNumber::parseExact(text.toStdString(), value) || !(value >= 0) || value >= 9.2e18
        || value != std::floor(value))
        return false;
    setEnvironment("EPICS_CA_MAX_ARRAY_BYTES", QString::number(qint64(value)));
    return true;
}

double EPICSImport::maxArrayBytes()
{
    // The library's own default, which it also falls back to for a value it
    // cannot read.
    constexpr double libraryDefault = 16384;
    const char* text = std::getenv("EPICS_CA_MAX_ARRAY_BYTES");
    double value = 0;
    if (!text || !CNumber::parseExact(text, value) || !(value > 0))
        return libraryDefault;
    return value;
}

QString EPICSImport::statusMessage(int status)
{
    QString why;
    const ChannelAccessClient* ca = ChannelAccessClient::get(why);
    if (!ca)
        return notLoaded(why);
    const QString text = QString::fromLatin1(ca->message(status));
    switch (status) {
    case ECA_TOLARGE:
        return QStringLiteral("%1. Change the array size with the 'epicsmaxarray' command.").arg(text);
    case ECA_TIMEOUT:
        return QStringLiteral("%1. You may adjust the timeout with the 'epicstimeout' command.").arg(text);
    default:
        return QStringLiteral("%1.").arg(text);
    }
}

Outcome EPICSImport::importEPICS(VexaDocument& document, const QString& x, const QString& y, double timeout)
{
    std::vector<double> first;
    std::vector<double> second;
    {
        Outcome failed;
        const ChannelAccessClient* ca = client(failed);
        if (!ca)
            return failed;
        Context context(*ca);
        if (context.status() != ECA_NORMAL)
            return failure(context.status(), context);
        Outcome o = readArray(context, x, timeout, first);
        if (!o.ok())
            return o;
        if (!y.isEmpty()) {
            o = readArray(context, y, timeout, second);
            if (!o.ok())
                return o;
            if (second.size() != first.size())
                return failure(QStringLiteral("Number of datapoints in X and Y differ"));
        }
    }

    auto b = std::make_unique<DataBuffer>();
    b->setComment(y.isEmpty() ? x : QStringLiteral("%1 %2").arg(x, y));
    b->setSource(QStringLiteral("EPICS"));
    b->X.reserve(first.size());
    b->Y.reserve(first.size());
    for (std::size_t i = 0; i < first.size(); ++i)
        b->quickAddDoubleValue(y.isEmpty() ? double(i) : first[i], y.isEmpty() ? first[i] : second[i]);
    b->rescale();
    document.DB.push_back(std::move(b));
    document.d1 = std::move(first);
    document.d2 = std::move(second);
    if (document.PV)
        document.PV->displayNow();
    if (document.M)
        document.M->update();
    return {};
}

Outcome EPICSImport::readValue(const QString& variable, double timeout, double* value)
{
    Outcome failed;
    const ChannelAccessClient* ca = client(failed);
    if (!ca)
        return failed;
    Context context(*ca);
    if (context.status() != ECA_NORMAL)
        return failure(context.status(), context);
    chid channel = nullptr;
    double v = 0;
    Outcome o = connectChannel(context, variable, timeout, channel);
    if (o.ok())
        o = getValues(context, channel, 1, &v, timeout);
    if (o.ok())
        *value = v;
    return o;
}
