#include "app/SingleInstance.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const char* const answer = "ok";
const char* const confirmation = "go";
// A caller that never finishes its message, or never confirms, is not
// waited for longer.
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

bool sendAll(int fd, const char* bytes, std::size_t size)
{
    for (std::size_t sent = 0; sent < size;) {
        const ssize_t n = ::send(fd, bytes + sent, size - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += std::size_t(n);
    }
    return true;
}

// The absolute paths of a complete message's body.
QStringList filesOf(const QByteArray& body)
{
    QStringList files;
    for (const QByteArray& part : body.split('\0')) {
        const QString file = QString::fromUtf8(part);
        // The sender made its paths absolute; a relative one would be read
        // against the wrong folder.
        if (!file.isEmpty() && QDir::isAbsolutePath(file))
            files << file;
    }
    return files;
}

} // namespace

// The listening socket, served by a thread of its own: it reads each
// caller's message, answers it at once and hands confirmed files to the
// main thread.
struct SingleInstance::Listener {
    struct Caller {
        int fd = -1;
        QByteArray received;
        bool answered = false;
        std::chrono::steady_clock::time_point deadline;
    };

    int server = -1;
    int wake[2] = {-1, -1};
    std::thread thread;
    std::function<void(const QStringList&)> deliver;
    std::vector<Caller> callers;

    ~Listener()
    {
        if (thread.joinable()) {
            const char stop = 0;
            while (::write(wake[1], &stop, 1) < 0 && errno == EINTR) { }
            thread.join();
        }
        for (Caller& c : callers)
            ::close(c.fd);
        for (int fd : {server, wake[0], wake[1]})
            if (fd >= 0)
                ::close(fd);
    }

    void run()
    {
        for (;;) {
            std::vector<pollfd> fds;
            fds.push_back({wake[0], POLLIN, 0});
            fds.push_back({server, POLLIN, 0});
            for (const Caller& c : callers)
                fds.push_back({c.fd, POLLIN, 0});
            // Until the next caller's deadline; without callers, until woken.
            const auto now = std::chrono::steady_clock::now();
            int timeout = -1;
            for (const Caller& c : callers) {
                const auto left
                    = std::chrono::duration_cast<std::chrono::milliseconds>(c.deadline - now).count();
                const int ms = int(std::clamp<qint64>(left + 1, 0, callerTimeoutMs));
                timeout = timeout < 0 ? ms : std::min(timeout, ms);
            }
            if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR)
                return;
            if (fds[0].revents)
                return;
            // Callers first: accepting may add to the list.
            std::vector<bool> done(callers.size(), false);
            for (std::size_t i = 0; i < callers.size(); ++i)
                done[i] = (fds[i + 2].revents && !read(callers[i]))
                    || std::chrono::steady_clock::now() >= callers[i].deadline;
            for (std::size_t i = callers.size(); i-- > 0;)
                if (done[i]) {
                    ::close(callers[i].fd);
                    callers.erase(callers.begin() + std::ptrdiff_t(i));
                }
            if (fds[1].revents)
                accept();
        }
    }

    void accept()
    {
        for (;;) {
            const int fd = ::accept4(server, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0) {
                if (errno == EINTR)
                    continue;
                return; // none waiting (or none we can take now)
            }
            Caller c;
            c.fd = fd;
            c.deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(callerTimeoutMs);
            callers.push_back(std::move(c));
        }
    }

    // Takes what the caller sent; false once the caller is done with.
    bool read(Caller& caller)
    {
        bool ended = false;
        for (;;) {
            char chunk[4096];
            const ssize_t n = ::recv(caller.fd, chunk, sizeof chunk, 0);
            if (n > 0) {
                caller.received.append(chunk, n);
                if (caller.received.size() > 4 + maxMessageBytes + 2)
                    return false;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            ended = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
            break;
        }
        const QByteArray& received = caller.received;
        if (received.size() < 4)
            return !ended;
        quint32 n = 0;
        for (int i = 0; i < 4; ++i)
            n = (n << 8) | quint8(received[i]);
        const qsizetype message = qsizetype(4 + n);
        const qsizetype whole = message + qsizetype(std::strlen(confirmation));
        if (n > quint32(maxMessageBytes) || received.size() > whole)
            return false;
        if (received.size() >= message && !caller.answered) {
            // At once, whatever the main thread is doing.
            caller.answered = true;
            if (!sendAll(caller.fd, answer, std::strlen(answer)))
                return false;
        }
        if (received.size() < whole)
            return !ended;
        // Confirmed: the caller heard the answer in time and leaves the
        // files to us.
        if (received.mid(message) == confirmation) {
            const QStringList files = filesOf(received.mid(4, n));
            if (!files.isEmpty())
                deliver(files);
        }
        return false;
    }
};

SingleInstance::SingleInstance() = default;

SingleInstance::~SingleInstance()
{
    if (listener_) {
        listener_.reset();
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
    if (socket.fd < 0 || !sendAll(socket.fd, message.constData(), std::size_t(message.size())))
        return false;
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
    // Without the answer in time nothing is confirmed, and the instance
    // drops the files: this start opens them itself.
    return reply.startsWith(answer) && sendAll(socket.fd, confirmation, std::strlen(confirmation));
}

bool SingleInstance::listen(const QString& socketPath, std::function<void(const QStringList&)> handler)
{
    if (socketPath.isEmpty() || listener_)
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
    auto listener = std::make_unique<Listener>();
    if (::pipe2(listener->wake, O_CLOEXEC) != 0) {
        QFile::remove(socketPath);
        return false;
    }
    handler_ = std::move(handler);
    socketPath_ = socketPath;
    listener->server = server.release();
    QPointer<SingleInstance> self(this);
    listener->deliver = [self](const QStringList& files) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, files] {
                if (self)
                    self->deliver(files);
            },
            Qt::QueuedConnection);
    };
    listener_ = std::move(listener);
    listener_->thread = std::thread([l = listener_.get()] { l->run(); });
    return true;
}

bool SingleInstance::isListening() const
{
    return listener_ != nullptr;
}

void SingleInstance::deliver(const QStringList& files)
{
    if (handler_)
        handler_(files);
}
