#include "platform/TempFile.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString errnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

bool isNameChar(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool validName(const QByteArray& name)
{
    if (name.isEmpty())
        return false;
    for (char c : name)
        if (!isNameChar(c))
            return false;
    return true;
}

// Suffixes are ours (".tmp", ".log"), but they end up in a path: no
// separators, no "..", nothing a shell or a file system treats specially.
bool validSuffix(const QString& suffix)
{
    if (suffix.contains(QLatin1String("..")))
        return false;
    for (QChar c : suffix) {
        const char l = c.toLatin1();
        if (c.unicode() > 0x7f || !(isNameChar(l) || l == '.' || l == '_' || l == '-'))
            return false;
    }
    return true;
}

int openExclusive(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(native.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

} // namespace

TempFile::TempFile(QString path, int fd)
    : path_(std::move(path))
    , fd_(fd)
{
}

std::unique_ptr<TempFile> TempFile::create(const std::function<QByteArray()>& nameSource,
                                           const QString& suffix, const QString& dir, QString* error)
{
    if (!nameSource) {
        setError(error, QStringLiteral("no source of temporary names"));
        return nullptr;
    }
    if (!validSuffix(suffix)) {
        setError(error, QStringLiteral("invalid temporary file suffix \"%1\"").arg(suffix));
        return nullptr;
    }
    QString base = dir.isEmpty() ? QDir::tempPath() : dir;
    while (base.size() > 1 && base.endsWith(QLatin1Char('/')))
        base.chop(1);

    for (int attempt = 0; attempt < maxAttempts; ++attempt) {
        const QByteArray name = nameSource();
        if (!validName(name)) {
            setError(error, QStringLiteral("invalid temporary file name \"%1\"").arg(QString::fromLatin1(name)));
            return nullptr;
        }
        const QString path = base + QStringLiteral("/vexa2_") + QString::fromLatin1(name) + suffix;
        const int fd = openExclusive(path);
        if (fd >= 0)
            return std::unique_ptr<TempFile>(new TempFile(path, fd));
        const int err = errno;
        if (err != EEXIST) {
            setError(error, QStringLiteral("cannot create %1: %2").arg(path, errnoText(err)));
            return nullptr;
        }
    }
    setError(error, QStringLiteral("cannot create a temporary file in %1: every name tried was taken").arg(base));
    return nullptr;
}

TempFile::~TempFile()
{
    close();
    for (const QString& p : std::as_const(companions_))
        ::unlink(QFile::encodeName(p).constData());
    ::unlink(QFile::encodeName(path_).constData());
}

bool TempFile::write(const QByteArray& data)
{
    if (fd_ < 0)
        return false;
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}

bool TempFile::close()
{
    if (fd_ < 0)
        return true;
    const int fd = fd_;
    fd_ = -1;
    // Linux releases the descriptor even when close reports EINTR; never retry.
    return ::close(fd) == 0;
}

QString TempFile::createCompanion(const QString& extraSuffix, QString* error)
{
    if (extraSuffix.isEmpty() || !validSuffix(extraSuffix)) {
        setError(error, QStringLiteral("invalid companion suffix \"%1\"").arg(extraSuffix));
        return QString();
    }
    const QString path = path_ + extraSuffix;
    const int fd = openExclusive(path);
    if (fd < 0) {
        const int err = errno;
        setError(error, QStringLiteral("cannot create %1: %2").arg(path, errnoText(err)));
        return QString();
    }
    ::close(fd);
    companions_ << path;
    return path;
}
