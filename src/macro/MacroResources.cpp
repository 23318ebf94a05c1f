#include "macro/MacroResources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

QStringList resourceFolders()
{
    QStringList folders;
    if (QCoreApplication::instance()) {
        // bin/vexa next to resources/, or a build tree a few levels down.
        QDir dir(QCoreApplication::applicationDirPath());
        for (int up = 0; up < 4; ++up) {
            folders << dir.filePath(QStringLiteral("resources"));
            if (!dir.cdUp())
                break;
        }
        QDir share(QCoreApplication::applicationDirPath());
        if (share.cd(QStringLiteral("../share/vexa/resources")))
            folders << share.absolutePath();
    }
    folders << QStringLiteral("/usr/share/vexa/resources");
#ifdef VEXA_SOURCE_RESOURCES
    folders << QStringLiteral(VEXA_SOURCE_RESOURCES);
#endif
    return folders;
}

} // namespace

QString MacroResources::perlScript(const QString& name)
{
    for (const QString& folder : resourceFolders()) {
        const QFileInfo script(QDir(folder).filePath(QStringLiteral("perl/%1.pl").arg(name)));
        if (script.isFile() && script.isReadable())
            return script.absoluteFilePath();
    }
    return QString();
}
