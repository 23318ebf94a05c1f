#include "macro/MacroResources.h"

#include "platform/ResourceLocator.h"

#include <QFileInfo>

QString MacroResources::perlScript(const QString& name)
{
    const QString path = ResourceLocator::resourcePath(QStringLiteral("perl/%1.pl").arg(name));
    const QFileInfo script(path);
    return !path.isEmpty() && script.isFile() && script.isReadable() ? path : QString();
}
