// Fixtures shared by the tests of the application controller.

#pragma once

#include "support/TestSupport.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace AppFixtures {

// A file of these bytes in the scratch folder; its path, or empty when it
// could not be written.
inline QString writeScratch(const QString& name, const QByteArray& bytes)
{
    const QString path = TestSupport::scratchDir() + QLatin1Char('/') + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        return QString();
    return path;
}

} // namespace AppFixtures
