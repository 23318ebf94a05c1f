#include "io/EpsConversion.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include <mutex>

namespace {

using Convert = int (*)(const QByteArray*, int, int, QByteArray*);

QStringList candidates()
{
    QStringList paths;
    // Installed as <prefix>/bin/vexa: the module lies in <prefix>/lib/vexa.
    if (QCoreApplication::instance()) {
        const QFileInfo exe(QCoreApplication::applicationDirPath());
        if (exe.fileName() == QLatin1String("bin"))
            paths << QDir(exe.absoluteFilePath()).filePath(QStringLiteral("../lib/vexa/libvexa_eps.so"));
    }
    // Where this build made it.
    paths << QStringLiteral(VEXA_EPS_MODULE);
    return paths;
}

struct Module {
    QLibrary library;
    Convert convert = nullptr;
    QString path;
};

Module& module()
{
    static Module m;
    static std::once_flag once;
    std::call_once(once, [] {
        for (const QString& path : candidates()) {
            if (!QDir::isAbsolutePath(path) || !QFileInfo(path).isFile())
                continue;
            m.library.setFileName(path);
            if (!m.library.load())
                continue;
            m.convert = reinterpret_cast<Convert>(m.library.resolve("vexaPdfToEps"));
            if (m.convert) {
                m.path = QFileInfo(path).canonicalFilePath();
                break;
            }
            m.library.unload();
        }
    });
    return m;
}

} // namespace

namespace EpsConversion {

QString modulePath()
{
    return module().path;
}

Status fromPdf(const QByteArray& pdf, int width, int height, QByteArray& eps)
{
    const Module& m = module();
    if (!m.convert)
        return Status::NoConverter;
    return Status(m.convert(&pdf, width, height, &eps));
}

} // namespace EpsConversion
