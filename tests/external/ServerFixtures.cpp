#include "ServerFixtures.h"

#include "model/DataBuffer.h"

#include <QByteArray>
#include <QStringList>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace ServerFixtures {

std::unique_ptr<VexaDocument> documentWithOneBuffer()
{
    auto d = std::make_unique<VexaDocument>();
    auto b = std::make_unique<DataBuffer>();
    b->addDoubleValue(1, 2);
    b->setComment(QStringLiteral("kept"));
    d->DB.push_back(std::move(b));
    return d;
}

std::optional<QHash<QString, QString>> readState(const char* file, QString* why)
{
    const QString dir = qEnvironmentVariable("VEXA_SERVER_STATE_DIR");
    if (dir.isEmpty()) {
        *why = QStringLiteral(
            "VEXA_SERVER_STATE_DIR is not set: run this test through ctest, which starts the servers");
        return std::nullopt;
    }
    const QString path = dir + QLatin1Char('/') + QLatin1String(file);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("no server state in %1: the server fixture did not start").arg(path);
        return std::nullopt;
    }
    QHash<QString, QString> state;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const int eq = line.indexOf('=');
        if (eq > 0)
            state.insert(QString::fromUtf8(line.left(eq)), QString::fromUtf8(line.mid(eq + 1)));
    }
    return state;
}

MySQLQuery MariaDB::query(const QString& sql) const
{
    return MySQLQuery(QStringLiteral("test"), QStringLiteral("127.0.0.1"), database, port, user, password,
                      sql);
}

std::optional<MariaDB> mariadb(QString* why)
{
    const auto state = readState("mariadb.state", why);
    if (!state)
        return std::nullopt;
    MariaDB m;
    m.port = state->value(QStringLiteral("port")).toInt();
    m.user = state->value(QStringLiteral("user"));
    m.password = state->value(QStringLiteral("password"));
    m.database = state->value(QStringLiteral("database"));
    if (m.port <= 0 || m.user.isEmpty()) {
        *why = QStringLiteral("the MariaDB state file is incomplete");
        return std::nullopt;
    }
    return m;
}

QString ChannelAccess::addressList() const
{
    return QStringLiteral("127.0.0.1:%1").arg(serverPort);
}

std::optional<ChannelAccess> channelAccess(QString* why)
{
    const auto state = readState("ca.state", why);
    if (!state)
        return std::nullopt;
    ChannelAccess c;
    c.serverPort = state->value(QStringLiteral("port")).toInt();
    c.repeaterPort = state->value(QStringLiteral("repeater")).toInt();
    if (c.serverPort <= 0 || c.repeaterPort <= 0) {
        *why = QStringLiteral("the Channel Access state file is incomplete");
        return std::nullopt;
    }
    return c;
}

namespace {

int listenOnLoopback(int* port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 8) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        ::close(fd);
        return -1;
    }
    *port = ntohs(a.sin_port);
    return fd;
}

int connectTo(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(std::uint16_t(port));
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

} // namespace

SilentListener::SilentListener()
{
    fd_ = listenOnLoopback(&port_);
}

SilentListener::~SilentListener()
{
    if (fd_ >= 0)
        ::close(fd_);
}

int closedPort()
{
    int port = 0;
    const int fd = listenOnLoopback(&port);
    if (fd >= 0)
        ::close(fd);
    return port;
}

CuttingRelay::CuttingRelay(int serverPort, int replyBytes)
{
    listenFd_ = listenOnLoopback(&port_);
    thread_ = std::thread([this, serverPort, replyBytes] { run(serverPort, replyBytes); });
}

CuttingRelay::~CuttingRelay()
{
    stop_ = true;
    thread_.join();
    if (listenFd_ >= 0)
        ::close(listenFd_);
}

void CuttingRelay::run(int serverPort, int replyBytes)
{
    // Waits for the one client, a bounded time.
    pollfd accepting{listenFd_, POLLIN, 0};
    int client = -1;
    for (int i = 0; i < 200 && !stop_ && client < 0; ++i)
        if (::poll(&accepting, 1, 100) > 0)
            client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0)
        return;
    const int server = connectTo(serverPort);
    if (server < 0) {
        ::close(client);
        return;
    }
    bool queried = false;
    long passed = 0;
    char buffer[16384];
    while (!stop_) {
        pollfd fds[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        if (::poll(fds, 2, 100) <= 0)
            continue;
        if (fds[0].revents) {
            const ssize_t n = ::read(client, buffer, sizeof buffer);
            if (n <= 0)
                break;
            // A query is a packet numbered 0 whose first byte is 3.
            if (n >= 5 && buffer[3] == 0 && buffer[4] == 3)
                queried = true;
            if (::write(server, buffer, size_t(n)) != n)
                break;
        }
        if (fds[1].revents) {
            ssize_t n = ::read(server, buffer, sizeof buffer);
            if (n <= 0)
                break;
            if (queried && passed + n >= replyBytes) {
                n = replyBytes - passed;
                if (n > 0 && ::write(client, buffer, size_t(n)) != n)
                    break;
                cut_ = true;
                break;
            }
            if (queried)
                passed += n;
            if (::write(client, buffer, size_t(n)) != n)
                break;
        }
    }
    ::close(server);
    ::close(client);
}

} // namespace ServerFixtures
