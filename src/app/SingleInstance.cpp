#include "app/SingleInstance.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QRegularExpression>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const answer = "ok";
const char* const bytesProperty = "vexaReceived";

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

} // namespace

SingleInstance::SingleInstance() = default;

SingleInstance::~SingleInstance()
{
    if (server_)
        server_->close(); // removes the socket file
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
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    QByteArray reply;
    while (reply.size() < 2 && socket.waitForReadyRead(timeoutMs))
        reply += socket.readAll();
    return reply.startsWith(answer);
}

bool SingleInstance::listen(const QString& socketPath, std::function<void(const QStringList&)> handler)
{
    if (socketPath.isEmpty() || server_)
        return false;
    // A socket that answers belongs to a running instance and stays; one
    // nobody answers at is what an instance that ended without cleaning up
    // leaves. (Asked first: listening with user-only access replaces
    // whatever is at the path.)
    QLocalSocket probe;
    probe.connectToServer(socketPath);
    const bool alive = probe.waitForConnected(500);
    probe.abort();
    if (alive)
        return false;
    QLocalServer::removeServer(socketPath);
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(socketPath)) {
        delete server;
        return false;
    }
    handler_ = std::move(handler);
    server_ = server;
    connect(server_, &QLocalServer::newConnection, this, [this] { accept(); });
    return true;
}

bool SingleInstance::isListening() const
{
    return server_ && server_->isListening();
}

void SingleInstance::accept()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        // A caller that never finishes its message is not waited for.
        QPointer<QLocalSocket> guard(socket);
        QTimer::singleShot(10000, this, [guard] {
            if (guard)
                guard->abort();
        });
        read(socket);
    }
}

void SingleInstance::read(QLocalSocket* socket)
{
    QByteArray received = socket->property(bytesProperty).toByteArray() + socket->readAll();
    if (received.size() < 4) {
        socket->setProperty(bytesProperty, received);
        return;
    }
    quint32 n = 0;
    for (int i = 0; i < 4; ++i)
        n = (n << 8) | quint8(received[i]);
    if (n > quint32(maxMessageBytes) || received.size() > int(4 + n)) {
        socket->abort();
        return;
    }
    if (received.size() < int(4 + n)) {
        socket->setProperty(bytesProperty, received);
        return;
    }
    socket->setProperty(bytesProperty, QByteArray());
    const QByteArray body = received.mid(4);
    QStringList files;
    for (const QByteArray& part : body.split('\0')) {
        const QString file = QString::fromUtf8(part);
        // The sender made its paths absolute; a relative one would be read
        // against the wrong folder.
        if (!file.isEmpty() && QDir::isAbsolutePath(file))
            files << file;
    }
    socket->write(answer);
    socket->flush();
    socket->disconnectFromServer();
    if (handler_ && !files.isEmpty())
        handler_(files);
}
