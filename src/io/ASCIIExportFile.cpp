#include "io/ASCIIExportFile.h"

#include "model/DataBuffer.h"
#include "model/DataBufferOperations.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"

#include <QStringList>

#include <set>

QString ASCIIExportFile::fileName(const QString& path, int index)
{
    return path + QLatin1Char('.') + QString::number(index);
}

bool ASCIIExportFile::exportASCII(VexaDocument& document, const QString& path, QString* error)
{
    if (!document.M)
        return true;
    const std::vector<int> rows = document.M->selectedBufferRows();
    const std::set<int> selected(rows.begin(), rows.end());
    QStringList failed;
    for (int i = 0; i < document.bufferCount(); ++i) {
        if (!selected.count(i))
            continue;
        QString why;
        if (!document.DB[std::size_t(i)]->exportASCII(fileName(path, i), ExportXYErrors, &why))
            failed << why;
    }
    if (failed.isEmpty())
        return true;
    if (error)
        *error = failed.join(QLatin1Char('\n'));
    return false;
}
