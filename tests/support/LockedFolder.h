#pragma once

// A folder whose files may be read but in which nothing can be made,
// renamed or removed, for as long as the object lives: its mode is 0555, and
// the calling thread gives up the superuser's right to pass over file
// modes. Afterwards the folder is writable again (so the scratch folder can
// be removed) and the thread has its rights back.

#include <QDir>
#include <QFile>
#include <QString>

#include <cstring>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace TestSupport {

class LockedFolder {
public:
    explicit LockedFolder(const QString& path)
            : path_(path)
    {
        QDir().mkpath(path_);
        ::chmod(QFile::encodeName(path_).constData(), 0555);
        if (::syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct reduced[2];
        std::memcpy(reduced, saved_, sizeof reduced);
        for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            reduced[cap / 32].effective &= ~(1u << (cap % 32));
        dropped_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~LockedFolder()
    {
        if (dropped_)
            ::syscall(SYS_capset, &header_, saved_);
        ::chmod(QFile::encodeName(path_).constData(), 0755);
    }
    LockedFolder(const LockedFolder&) = delete;
    LockedFolder& operator=(const LockedFolder&) = delete;

    // True when a file really cannot be made in the folder.
    bool locked() const
    {
        const QByteArray probe = QFile::encodeName(path_ + QStringLiteral("/probe"));
        const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0)
            return true;
        ::close(fd);
        ::unlink(probe.constData());
        return false;
    }

private:
    QString path_;
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2] = {};
    bool dropped_ = false;
};

} // namespace TestSupport
