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

Outcome ASCIIExportFile::exportASCII(VexaDocument& document, const QString& path)
{
    if (!document.M)
        return Outcome::done();
    const std::vector<int> rows = document.M->selectedBufferRows();
    const std::set<int> selected(rows.begin(), rows.end());
    QStringList failed;
    for (int i = 0; i < document.bufferCount(); ++i) {
        if (!selected.count(i))
            continue;
        const Outcome written = document.DB[std::size_t(i)]->exportASCII(fileName(path, i), ExportXYErrors);
        if (!written.ok())
            failed << written.message();
    }
    if (failed.isEmpty())
        return Outcome::done();
    return Outcome::failed(failed.join(QLatin1Char('\n')), alertTitle());
}
