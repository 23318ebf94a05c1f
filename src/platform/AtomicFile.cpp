#include "platform/AtomicFile.h"

#include "platform/TempFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray randomName()
{
    static const char letters[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    QByteArray name(12, Qt::Uninitialized);
    for (char& c : name)
        c = letters[QRandomGenerator::system()->bounded(62)];
    return name;
}

// The process's file-creation mask, read without changing it (umask() can
// only be read by setting it, which other threads would see).
mode_t currentUmask()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0)
            return mode_t(std::strtoul(line.c_str() + 6, nullptr, 8)) & 0777;
    return 022;
}

// Where the bytes really go: the file a chain of links ends at.
QString resolvedTarget(const QString& target)
{
    const QFileInfo info(target);
    if (!info.isSymLink())
        return target;
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    // A dangling link: the file it names is made.
    QString path = target;
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo link(path);
        if (!link.isSymLink())
            return path;
        path = link.symLinkTarget();
    }
    return target;
}

bool writeAll(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

} // namespace

AtomicFile::AtomicFile(const QString& target)
        : target_(resolvedTarget(target))
{
}

AtomicFile::~AtomicFile()
{
    if (direct_ >= 0)
        ::close(direct_);
}

bool AtomicFile::fail(int err)
{
    return fail(QString::fromLocal8Bit(std::strerror(err)));
}

bool AtomicFile::fail(const QString& reason)
{
    if (!failed_)
        error_ = QStringLiteral("%1 could not be written: %2").arg(target_, reason);
    failed_ = true;
    temp_.reset();
    return false;
}

bool AtomicFile::open()
{
    const QByteArray native = QFile::encodeName(target_);
    struct stat st = {};
    if (::stat(native.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return fail(EISDIR);
        if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) {
            direct_ = ::open(native.constData(), O_WRONLY | O_CLOEXEC);
            return direct_ >= 0 || fail(errno);
        }
        if (!S_ISREG(st.st_mode))
            return fail(QStringLiteral("it is not a regular file"));
    }
    QString why;
    temp_ = TempFile::create(randomName, QStringLiteral(".tmp"), QFileInfo(target_).absolutePath(), &why);
    if (!temp_)
        return fail(QStringLiteral("no temporary file can be made beside it (%1)").arg(why));
    return true;
}

bool AtomicFile::write(const char* data, qint64 size)
{
    if (failed_)
        return false;
    const int fd = direct_ >= 0 ? direct_ : temp_ ? temp_->descriptor() : -1;
    if (fd < 0)
        return fail(EBADF);
    return writeAll(fd, data, size) || fail(errno);
}

bool AtomicFile::commit()
{
    if (failed_)
        return false;
    if (direct_ >= 0) {
        const int fd = direct_;
        direct_ = -1;
        return ::close(fd) == 0 || fail(errno);
    }
    if (!temp_)
        return fail(EBADF);
    const int fd = temp_->descriptor();
    const QByteArray native = QFile::encodeName(target_);
    struct stat st = {};
    if (::stat(native.constData(), &st) == 0) {
        // The replaced file's permissions, and its owner and group as far
        // as we may give them: root saving a user's document leaves it the
        // user's.
        if (::fchmod(fd, st.st_mode & 07777) != 0)
            return fail(errno);
        const bool owner = st.st_uid != ::geteuid() && ::fchown(fd, st.st_uid, st.st_gid) == 0;
        const bool group = !owner && st.st_gid != ::getegid() && ::fchown(fd, uid_t(-1), st.st_gid) == 0;
        if (owner || group)
            ::fchmod(fd, st.st_mode & 07777); // an owner change may clear set-id bits
    } else if (::fchmod(fd, 0666 & ~currentUmask()) != 0) {
        return fail(errno);
    }
    // The data reach the disk before the name does: after a crash the
    // target is the old file or the new one, never an empty one.
    if (::fsync(fd) != 0)
        return fail(errno);
    if (!temp_->close())
        return fail(errno);
    if (!temp_->renameTo(target_))
        return fail(errno);
    temp_.reset();
    const QByteArray dir = QFile::encodeName(QFileInfo(target_).absolutePath());
    const int dfd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

bool AtomicFile::writeFile(const QString& target, const QByteArray& data, QString* error)
{
    AtomicFile file(target);
    const bool ok = file.open() && file.write(data) && file.commit();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}
