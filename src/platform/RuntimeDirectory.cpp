#include "platform/RuntimeDirectory.h"

#include <QByteArray>
#include <QDir>
#include <QtGlobal>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

void RuntimeDirectory::ensure()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const QByteArray dir = QDir::tempPath().toLocal8Bit() + "/vexa-runtime-" + QByteArray::number(getuid());
    if (::mkdir(dir.constData(), 0700) != 0 && errno != EEXIST)
        return;
    // A name in a shared temporary directory may have been planted by
    // someone else: take it only when it is our own private directory.
    struct stat st;
    if (::lstat(dir.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid())
        return;
    if ((st.st_mode & 0077) != 0 && ::chmod(dir.constData(), 0700) != 0)
        return;
    qputenv("XDG_RUNTIME_DIR", dir);
}
