#include "io/EpsConversion.h"

#include "platform/ResourceLocator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include <mutex>

namespace {

using Convert = int (*)(const QByteArray*, int, int, QByteArray*);

// Loading a module runs its code: only a file in a folder nobody else
// could have filled.
bool usable(const QString& path)
{
    const QFileInfo file(path);
    return file.isAbsolute() && file.isFile()
        && ResourceLocator::trustedFolder(QFileInfo(file.canonicalFilePath()).path());
}

struct Module {
    QLibrary library;
    Convert convert = nullptr;
};

Module& module()
{
    static Module m;
    static std::once_flag once;
    std::call_once(once, [] {
        const QString exeDir
            = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
        for (const QString& path : EpsConversion::moduleCandidates(exeDir)) {
            if (!usable(path))
                continue;
            m.library.setFileName(path);
            if (!m.library.load())
                continue;
            m.convert = reinterpret_cast<Convert>(m.library.resolve("vexaPdfToEps"));
            if (m.convert)
                break;
            m.library.unload();
        }
    });
    return m;
}

} // namespace

namespace EpsConversion {

QStringList moduleCandidates(const QString& executableDir)
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

QString moduleFileFor(const QString& executableDir)
{
    for (const QString& path : moduleCandidates(executableDir))
        if (usable(path))
            return QFileInfo(path).canonicalFilePath();
    return QString();
}

Status fromPdf(const QByteArray& pdf, int width, int height, QByteArray& eps)
{
    const Module& m = module();
    if (!m.convert)
        return Status::NoConverter;
    return Status(m.convert(&pdf, width, height, &eps));
}

} // namespace EpsConversion
