#include "platform/RegularFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RegularFile {

namespace {

Contents failed(Outcome outcome, qint64 bound, int error = 0)
{
    Contents c;
    c.outcome = outcome;
    c.bound = bound;
    if (error)
        c.reason = QString::fromLocal8Bit(std::strerror(error));
    return c;
}

} // namespace

Contents read(const QString& path, qint64 maxBytes)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st = {};
    if (name.isEmpty() || ::stat(name.constData(), &st) != 0)
        return failed(errno == ENOENT || name.isEmpty() ? Outcome::Missing : Outcome::Unreadable, maxBytes,
                      errno);
    if (!S_ISREG(st.st_mode))
        return failed(Outcome::NotRegular, maxBytes);

    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return failed(errno == ENOENT ? Outcome::Missing : Outcome::Unreadable, maxBytes, errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::fstat(fd, &st) != 0)
        return failed(Outcome::Unreadable, maxBytes, errno);
    if (!S_ISREG(st.st_mode))
        return failed(Outcome::NotRegular, maxBytes);
    auto tooLarge = [maxBytes](qint64 size) {
        Contents c = failed(Outcome::TooLarge, maxBytes);
        c.size = size;
        return c;
    };
    if (st.st_size > maxBytes)
        return tooLarge(st.st_size);

    Contents c;
    c.bound = maxBytes;
    try {
        // One byte more than the size tells a file that grew while we read.
        const qint64 room = std::min<qint64>(qint64(st.st_size) + 1, maxBytes + 1);
        c.bytes.resize(qsizetype(std::max<qint64>(room, 1)));
        qint64 got = 0;
        for (;;) {
            if (got == c.bytes.size()) {
                if (got > maxBytes)
                    return tooLarge(got);
                c.bytes.resize(qsizetype(std::min<qint64>(2 * got, maxBytes + 1)));
            }
            const ssize_t n = ::read(fd, c.bytes.data() + got, std::size_t(c.bytes.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return failed(Outcome::Unreadable, maxBytes, errno);
            if (n == 0)
                break;
            got += n;
        }
        if (got > maxBytes)
            return tooLarge(got);
        c.bytes.truncate(qsizetype(got));
    } catch (const std::bad_alloc&) {
        return tooLarge(st.st_size);
    }
    c.outcome = Outcome::Read;
    return c;
}

QString sizeText(qint64 bytes)
{
    if (bytes < 1000)
        return QStringLiteral("%1 bytes").arg(bytes);
    const char* units[] = {"kB", "MB", "GB", "TB"};
    double value = double(bytes);
    int unit = -1;
    while (value >= 1000 && unit < 3) {
        value /= 1000;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(QString::number(value, 'g', value < 100 ? 3 : 4),
                                       QLatin1String(units[unit]));
}

QString message(const Contents& c, const QString& path)
{
    switch (c.outcome) {
    case Outcome::Read:
        return QString();
    case Outcome::Missing:
        return QStringLiteral("%1 does not exist").arg(path);
    case Outcome::NotRegular:
        return QStringLiteral("%1 is not a regular file").arg(path);
    case Outcome::TooLarge:
        return QStringLiteral("%1 is too large to open (%2; at most %3 can be read)")
            .arg(path, sizeText(c.size), sizeText(c.bound));
    case Outcome::Unreadable:
        break;
    }
    return QStringLiteral("%1 could not be read: %2").arg(path, c.reason);
}

} // namespace RegularFile
