#include "platform/ResourceLocator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Every folder from root down to leaf (both inside root) must be trusted:
// a world-writable sub-folder of a good root is as open as a bad root.
bool trustedChain(const QString& root, const QString& leafFolder)
{
    QString folder = leafFolder;
    for (;;) {
        if (!ResourceLocator::trustedFolder(folder))
            return false;
        if (folder == root || folder.size() <= root.size())
            return true;
        const QString up = QFileInfo(folder).path();
        if (up == folder)
            return false;
        folder = up;
    }
}

// A path of the kind wanted (a folder, or a regular file) that belongs to
// this user or to root and has none of the given write permissions.
bool ownedAndShut(const QString& path, mode_t kind, mode_t writers)
{
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || (st.st_mode & S_IFMT) != kind)
        return false;
    if (st.st_uid != 0 && st.st_uid != ::geteuid())
        return false;
    return (st.st_mode & writers) == 0;
}

} // namespace

namespace ResourceLocator {

// A folder that someone else could have filled: owned by another user, or
// writable by everyone (a sticky bit does not help here, since a stranger
// can still add files of their own).
bool trustedFolder(const QString& path)
{
    return ownedAndShut(path, S_IFDIR, S_IWOTH);
}

bool trustedFile(const QString& path)
{
    return ownedAndShut(path, S_IFREG, S_IWGRP | S_IWOTH);
}

QString sourceResources()
{
#ifdef VEXA_SOURCE_RESOURCES
    return QStringLiteral(VEXA_SOURCE_RESOURCES);
#else
    return QString();
#endif
}

QStringList resourceRootsFor(const QString& executableDir, const QString& sourceFolder)
{
    QStringList roots;
    auto add = [&roots](const QString& candidate) {
        const QFileInfo info(candidate);
        if (!info.isDir())
            return;
        const QString canonical = info.canonicalFilePath();
        if (!canonical.isEmpty() && trustedFolder(canonical) && !roots.contains(canonical))
            roots << canonical;
    };
    // Installed as <prefix>/bin/vexa: the data lie in <prefix>/share/vexa.
    // Other layouts are build trees or copies, which get no install folder.
    if (!executableDir.isEmpty()) {
        const QFileInfo exe(executableDir);
        if (exe.fileName() == QLatin1String("bin"))
            add(QDir(exe.absoluteFilePath()).filePath(QStringLiteral("../share/vexa")));
    }
    if (!sourceFolder.isEmpty() && QDir::isAbsolutePath(sourceFolder))
        add(sourceFolder);
    return roots;
}

QStringList resourceRoots()
{
    const QString exeDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    return resourceRootsFor(exeDir, sourceResources());
}

QString resourcePath(const QString& relative)
{
    if (relative.isEmpty() || QDir::isAbsolutePath(relative))
        return QString();
    for (const QString& root : resourceRoots()) {
        const QFileInfo info(QDir(root).filePath(relative));
        if (!info.exists())
            continue;
        const QString canonical = info.canonicalFilePath();
        // A link or ".." must not lead out of the root.
        if (!canonical.startsWith(root + QLatin1Char('/')))
            continue;
        const QString folder = info.isDir() ? canonical : QFileInfo(canonical).path();
        if (trustedChain(root, folder) && (info.isDir() || trustedFile(canonical)))
            return canonical;
    }
    return QString();
}

} // namespace ResourceLocator
