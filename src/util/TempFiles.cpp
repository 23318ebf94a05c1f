#include "util/TempFiles.h"

#include "util/TextHelpers.h"

#include <QByteArray>

std::unique_ptr<TempFile> makeTempFile(const QString& suffix, QString* error)
{
    return TempFile::create([] { return QByteArray(randomTempName()); }, suffix, QString(), error);
}
