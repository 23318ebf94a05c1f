#include "platform/PdfModule.h"

#include "platform/ResourceLocator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include <mutex>

namespace {

// Loading a module runs its code: only a file in a folder nobody else
// could have filled.
bool usable(const QString& path)
{
    const QFileInfo file(path);
    return file.isAbsolute() && file.isFile()
        && ResourceLocator::trustedFolder(QFileInfo(file.canonicalFilePath()).path());
}

// The loaded module; its first candidate that loads and knows the EPS
// conversion, which every version of it has.
QLibrary* loaded()
{
    static QLibrary library;
    static bool ok = false;
    static std::once_flag once;
    std::call_once(once, [] {
        const QString exeDir
            = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
        for (const QString& path : PdfModule::candidates(exeDir)) {
            if (!usable(path))
                continue;
            library.setFileName(path);
            if (!library.load())
                continue;
            if (library.resolve("vexaPdfToEps")) {
                ok = true;
                break;
            }
            library.unload();
        }
    });
    return ok ? &library : nullptr;
}

} // namespace

namespace PdfModule {

QStringList candidates(const QString& executableDir)
{
    QStringList paths;
    // Installed as <prefix>/bin/vexa: the module lies in <prefix>/lib/vexa.
    const QFileInfo exe(executableDir);
    if (!executableDir.isEmpty() && exe.fileName() == QLatin1String("bin"))
        paths << QDir::cleanPath(exe.absoluteFilePath() + QStringLiteral("/../lib/vexa/libvexa_eps.so"));
#ifdef VEXA_EPS_MODULE
    // Where this build made it, for a program run from its build tree.
    paths << QStringLiteral(VEXA_EPS_MODULE);
#endif
    return paths;
}

QString fileFor(const QString& executableDir)
{
    for (const QString& path : candidates(executableDir))
        if (usable(path))
            return QFileInfo(path).canonicalFilePath();
    return QString();
}

void* function(const char* name)
{
    QLibrary* library = loaded();
    return library ? reinterpret_cast<void*>(library->resolve(name)) : nullptr;
}

} // namespace PdfModule
