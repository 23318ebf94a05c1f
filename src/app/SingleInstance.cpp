#include "app/SingleInstance.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const char* const answer = "ok";
// A caller that never finishes its message is not waited for longer.
constexpr int callerTimeoutMs = 10000;

QByteArray encode(const QStringList& files)
{
    QByteArray body;
    for (const QString& f : files) {
        body += f.toUtf8();
        body += '\0';
    }
    const quint32 n = quint32(body.size());
    QByteArray message;
    message.reserve(int(4 + n));
    for (int shift = 24; shift >= 0; shift -= 8)
        message += char((n >> shift) & 0xff);
    return message + body;
}

// A descriptor closed on every way out.
struct Descriptor {
    int fd = -1;
    explicit Descriptor(int f)
            : fd(f)
    {
    }
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int release() { return std::exchange(fd, -1); }
};

// False for a path too long for a socket address.
bool addressOf(const QString& path, sockaddr_un& address)
{
    const QByteArray bytes = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (bytes.isEmpty() || std::size_t(bytes.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, bytes.constData(), std::size_t(bytes.size()));
    return true;
}

// A connection to the socket, each send and receive on it waiting at most
// timeoutMs; -1 when nobody listens there.
int connectTo(const QString& path, int timeoutMs)
{
    sockaddr_un address;
    if (!addressOf(path, address))
        return -1;
    Descriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (fd.fd < 0)
        return -1;
    timeval limit{};
    limit.tv_sec = timeoutMs / 1000;
    limit.tv_usec = (timeoutMs % 1000) * 1000;
    ::setsockopt(fd.fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    ::setsockopt(fd.fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    int status;
    do
        status = ::connect(fd.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    while (status != 0 && errno == EINTR);
    return status == 0 ? fd.release() : -1;
}

} // namespace

// One connection a later start made, read as its bytes come.
struct SingleInstance::Caller {
    int fd = -1;
    std::unique_ptr<QSocketNotifier> notifier;
    std::unique_ptr<QTimer> deadline;
    QByteArray received;

    ~Caller()
    {
        notifier.reset();
        deadline.reset();
        if (fd >= 0)
            ::close(fd);
    }
};

SingleInstance::SingleInstance() = default;

SingleInstance::~SingleInstance()
{
    callers_.clear();
    if (server_ >= 0) {
        delete notifier_;
        ::close(server_);
        QFile::remove(socketPath_);
    }
}

QString SingleInstance::defaultSocketPath()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        return QString();
    // Only a directory of our own that nobody else may enter.
    struct stat st;
    if (::stat(runtime.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()
        || (st.st_mode & 0077) != 0)
        return QString();
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("DISPLAY");
    display.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    return QDir(QString::fromLocal8Bit(runtime)).filePath(QStringLiteral("vexa-%1.socket").arg(display));
}

bool SingleInstance::handOver(const QString& socketPath, const QStringList& files, int timeoutMs)
{
    if (socketPath.isEmpty())
        return false;
    const QByteArray message = encode(files);
    if (message.size() > 4 + maxMessageBytes)
        return false;
    Descriptor socket(connectTo(socketPath, timeoutMs));
    if (socket.fd < 0)
        return false;
    for (qsizetype sent = 0; sent < message.size();) {
        const ssize_t n
            = ::send(socket.fd, message.constData() + sent, std::size_t(message.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += n;
    }
    QByteArray reply;
    while (reply.size() < 2) {
        char chunk[16];
        const ssize_t n = ::recv(socket.fd, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        reply.append(chunk, n);
    }
    return reply.startsWith(answer);
}

bool SingleInstance::listen(const QString& socketPath, std::function<void(const QStringList&)> handler)
{
    if (socketPath.isEmpty() || server_ >= 0)
        return false;
    // A socket that answers belongs to a running instance and stays; one
    // nobody answers at is what an instance that ended without cleaning up
    // leaves.
    if (Descriptor(connectTo(socketPath, 500)).fd >= 0)
        return false;
    sockaddr_un address;
    if (!addressOf(socketPath, address))
        return false;
    QFile::remove(socketPath);
    Descriptor server(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (server.fd < 0 || ::bind(server.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return false;
    // This user's only, before anyone may connect.
    if (::chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(server.fd, 16) != 0) {
        QFile::remove(socketPath);
        return false;
    }
    handler_ = std::move(handler);
    socketPath_ = socketPath;
    server_ = server.release();
    notifier_ = new QSocketNotifier(server_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { accept(); });
    return true;
}

bool SingleInstance::isListening() const
{
    return server_ >= 0;
}

void SingleInstance::accept()
{
    for (;;) {
        const int fd = ::accept4(server_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            return; // none waiting (or none we can take now)
        }
        auto caller = std::make_unique<Caller>();
        Caller* c = caller.get();
        c->fd = fd;
        c->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(c->notifier.get(), &QSocketNotifier::activated, this, [this, c] { read(c); });
        c->deadline = std::make_unique<QTimer>();
        c->deadline->setSingleShot(true);
        connect(c->deadline.get(), &QTimer::timeout, this, [this, c] { drop(c); });
        c->deadline->start(callerTimeoutMs);
        callers_.push_back(std::move(caller));
        read(c);
    }
}

void SingleInstance::drop(Caller* caller)
{
    const auto at = std::find_if(callers_.begin(), callers_.end(),
                                 [caller](const std::unique_ptr<Caller>& c) { return c.get() == caller; });
    if (at == callers_.end())
        return;
    // Its notifier or timer may be what called: they go once the event
    // loop has left them.
    caller->notifier->setEnabled(false);
    caller->notifier.release()->deleteLater();
    caller->deadline->stop();
    caller->deadline.release()->deleteLater();
    callers_.erase(at);
}

void SingleInstance::read(Caller* caller)
{
    bool ended = false;
    for (;;) {
        char chunk[4096];
        const ssize_t n = ::recv(caller->fd, chunk, sizeof chunk, 0);
        if (n > 0) {
            caller->received.append(chunk, n);
            if (caller->received.size() > 4 + maxMessageBytes)
                break;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        ended = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        break;
    }
    const QByteArray& received = caller->received;
    if (received.size() < 4) {
        if (ended)
            drop(caller);
        return;
    }
    quint32 n = 0;
    for (int i = 0; i < 4; ++i)
        n = (n << 8) | quint8(received[i]);
    if (n > quint32(maxMessageBytes) || received.size() > qsizetype(4 + n)) {
        drop(caller);
        return;
    }
    if (received.size() < qsizetype(4 + n)) {
        if (ended)
            drop(caller);
        return;
    }
    QStringList files;
    for (const QByteArray& part : received.mid(4).split('\0')) {
        const QString file = QString::fromUtf8(part);
        // The sender made its paths absolute; a relative one would be read
        // against the wrong folder.
        if (!file.isEmpty() && QDir::isAbsolutePath(file))
            files << file;
    }
    ::send(caller->fd, answer, std::strlen(answer), MSG_NOSIGNAL);
    drop(caller);
    if (handler_ && !files.isEmpty())
        handler_(files);
}
