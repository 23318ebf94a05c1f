#include "platform/LoadableModule.h"

#include "platform/ResourceLocator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <utility>

namespace {

// Loading a module runs its code: only a file nobody else could have
// written, in a folder nobody else could have filled.
bool usable(const QString& path)
{
    const QFileInfo file(path);
    if (!file.isAbsolute() || !file.isFile())
        return false;
    const QString canonical = file.canonicalFilePath();
    return ResourceLocator::trustedFile(canonical)
        && ResourceLocator::trustedFolder(QFileInfo(canonical).path());
}

} // namespace

LoadableModule::LoadableModule(QString fileName, QString buildPath, const char* entryPoint)
        : fileName_(std::move(fileName))
        , buildPath_(std::move(buildPath))
        , entryPoint_(entryPoint)
{
}

QStringList LoadableModule::candidates(const QString& executableDir) const
{
    QStringList paths;
    // Installed as <prefix>/bin/vexa: the module lies in <prefix>/lib/vexa.
    const QFileInfo exe(executableDir);
    if (!executableDir.isEmpty() && exe.fileName() == QLatin1String("bin"))
        paths << QDir::cleanPath(exe.absoluteFilePath() + QStringLiteral("/../lib/vexa/") + fileName_);
    if (!buildPath_.isEmpty())
        paths << buildPath_;
    return paths;
}

QString LoadableModule::fileFor(const QString& executableDir) const
{
    for (const QString& path : candidates(executableDir))
        if (usable(path))
            return QFileInfo(path).canonicalFilePath();
    return QString();
}

bool LoadableModule::load()
{
    const QString exeDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    const QStringList paths = candidates(exeDir);
    QStringList reasons;
    for (const QString& path : paths) {
        if (!usable(path)) {
            if (QFileInfo(path).isFile())
                reasons << QStringLiteral("%1 is not loaded: others may write to it or its folder, or it "
                                          "belongs to another user")
                               .arg(path);
            continue;
        }
        library_.setFileName(path);
        if (!library_.load()) {
            reasons << library_.errorString();
            continue;
        }
        if (library_.resolve(entryPoint_))
            return true;
        reasons << QStringLiteral("%1 is no module of this program").arg(path);
        library_.unload();
    }
    if (reasons.isEmpty())
        reasons << QStringLiteral("%1 was not found (looked for %2)")
                       .arg(fileName_,
                            paths.isEmpty() ? QStringLiteral("nothing") : paths.join(QStringLiteral(", ")));
    error_ = reasons.join(QStringLiteral("; "));
    return false;
}

void* LoadableModule::function(const char* name)
{
    std::call_once(once_, [this] { loaded_ = load(); });
    return loaded_ ? reinterpret_cast<void*>(library_.resolve(name)) : nullptr;
}

QString LoadableModule::errorString()
{
    std::call_once(once_, [this] { loaded_ = load(); });
    return error_;
}
