#include "platform/TempFile.h"

#include <QDir>
#include <QFile>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
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

int openExclusiveNow(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(native.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// The paths of the temporary files that exist, in a table a signal handler
// may read: fixed slots, each guarded by a sequence number that is odd while
// the slot is being written, so a handler never acts on a half-written path.
// A file that finds no free slot is still removed as usual, only not on a
// signal.
struct Slot {
    std::atomic<bool> taken{false};
    std::atomic<unsigned> sequence{0};
    std::atomic<bool> live{false};
    char path[PATH_MAX] = {};
};
constexpr int kSlots = 256;
Slot g_slots[kSlots];

int registerPath(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    if (native.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < kSlots; ++i) {
        Slot& s = g_slots[i];
        bool expected = false;
        if (!s.taken.compare_exchange_strong(expected, true))
            continue;
        s.sequence.fetch_add(1, std::memory_order_acq_rel);
        std::memcpy(s.path, native.constData(), size_t(native.size()) + 1);
        s.live.store(true, std::memory_order_release);
        s.sequence.fetch_add(1, std::memory_order_acq_rel);
        return i;
    }
    return -1;
}

void unregisterPath(int slot)
{
    if (slot < 0)
        return;
    Slot& s = g_slots[slot];
    s.sequence.fetch_add(1, std::memory_order_acq_rel);
    s.live.store(false, std::memory_order_release);
    s.sequence.fetch_add(1, std::memory_order_acq_rel);
    s.taken.store(false, std::memory_order_release);
}

// Creates the file exclusively, entered in the signal table before it
// exists: a signal that comes while it is being made removes it too. The
// slot in *slot (-1 when the table is full); released again when the file
// could not be made.
int openExclusive(const QString& path, int* slot)
{
    *slot = registerPath(path);
    const int fd = openExclusiveNow(path);
    if (fd < 0) {
        const int err = errno;
        unregisterPath(*slot);
        *slot = -1;
        errno = err;
    }
    return fd;
}

void onTerminationSignal(int signal)
{
    const int savedErrno = errno;
    TempFile::removeAllNow();
    // Ended as the signal would have ended us, so the parent sees why.
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    errno = savedErrno;
    raise(signal);
}

} // namespace

void TempFile::removeAllNow()
{
    for (Slot& s : g_slots) {
        const unsigned before = s.sequence.load(std::memory_order_acquire);
        if (before & 1u || !s.live.load(std::memory_order_acquire))
            continue;
        char path[PATH_MAX];
        std::memcpy(path, s.path, sizeof path);
        path[PATH_MAX - 1] = '\0';
        if (s.sequence.load(std::memory_order_acquire) != before)
            continue;
        ::unlink(path);
    }
}

void TempFile::removeAllOnTerminationSignals()
{
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal the program was started to ignore (nohup) stays ignored.
        struct sigaction previous = {};
        if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        sigaction(signal, &action, nullptr);
    }
}

TempFile::TempFile(QString path, int fd, int slot)
        : path_(std::move(path))
        , fd_(fd)
{
    slots_.push_back(slot);
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
            setError(error,
                     QStringLiteral("invalid temporary file name \"%1\"").arg(QString::fromLatin1(name)));
            return nullptr;
        }
        const QString path = base + QStringLiteral("/vexa2_") + QString::fromLatin1(name) + suffix;
        int slot = -1;
        const int fd = openExclusive(path, &slot);
        if (fd >= 0)
            return std::unique_ptr<TempFile>(new TempFile(path, fd, slot));
        const int err = errno;
        if (err != EEXIST) {
            setError(error, QStringLiteral("cannot create %1: %2").arg(path, errnoText(err)));
            return nullptr;
        }
    }
    setError(error,
             QStringLiteral("cannot create a temporary file in %1: every name tried was taken").arg(base));
    return nullptr;
}

TempFile::~TempFile()
{
    close();
    for (const QString& p : std::as_const(companions_))
        ::unlink(QFile::encodeName(p).constData());
    if (!path_.isEmpty())
        ::unlink(QFile::encodeName(path_).constData());
    for (int slot : slots_)
        unregisterPath(slot);
}

bool TempFile::renameTo(const QString& target)
{
    if (path_.isEmpty())
        return false;
    if (::rename(QFile::encodeName(path_).constData(), QFile::encodeName(target).constData()) != 0)
        return false;
    // The file is the target now: a signal must not remove it, nor this
    // object when it goes.
    unregisterPath(slots_.front());
    slots_.front() = -1;
    path_.clear();
    return true;
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
    int slot = -1;
    const int fd = openExclusive(path, &slot);
    if (fd < 0) {
        const int err = errno;
        setError(error, QStringLiteral("cannot create %1: %2").arg(path, errnoText(err)));
        return QString();
    }
    ::close(fd);
    companions_ << path;
    slots_.push_back(slot);
    return path;
}
