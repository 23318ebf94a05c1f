#include "app/OpenDoc.h"

#include "app/Manager.h"
#include "app/QueryEditor.h"
#include "io/QueryListFile.h"
#include "io/StoredListFile.h"
#include "platform/Alert.h"

#include <QFileInfo>

namespace {

QString macroListSuffix()
{
    return QStringLiteral("mavexa");
}

} // namespace

QString OpenDoc::queryListType()
{
    return QueryListFile::fileType();
}

QString OpenDoc::macroListType()
{
    return QStringLiteral("VexaMacro");
}

QString OpenDoc::typeForPath(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QueryListFile::suffix(), Qt::CaseInsensitive) == 0)
        return QueryListFile::fileType();
    if (suffix.compare(macroListSuffix(), Qt::CaseInsensitive) == 0)
        return macroListType();
    return QString();
}

Outcome OpenDoc::loadDataRepresentation(const QByteArray& data, const QString& type)
{
    if (type.compare(QueryListFile::fileType(), Qt::CaseInsensitive) == 0) {
        QString why;
        std::optional<std::vector<MySQLQuery>> loaded = QueryListFile::unarchive(data, &why);
        if (!loaded)
            return Outcome::failed(why);
        manager_.queryEditor->merge(std::move(*loaded));
    } else if (type.compare(macroListType(), Qt::CaseInsensitive) == 0) {
        if (Outcome merged = manager_.mergeMacroList(data); !merged.ok())
            return merged;
    } else {
        return Outcome::failed(QStringLiteral("Files of the type %1 are no lists.").arg(type));
    }
    fileName_.clear();
    return Outcome::done();
}

bool OpenDoc::readFromFile(const QString& path)
{
    return readFromFile(path, typeForPath(path));
}

bool OpenDoc::readFromFile(const QString& path, const QString& type)
{
    fileName_ = path;
    QString why;
    if (type.isEmpty()) {
        why = QStringLiteral("%1 is neither a query list (.%2) nor a macro list (.%3).")
                  .arg(path, QueryListFile::suffix(), macroListSuffix());
    } else if (const std::optional<QByteArray> bytes = StoredListFile::read(path, &why)) {
        const Outcome loaded = loadDataRepresentation(*bytes, type);
        if (loaded.ok())
            return true;
        why = QStringLiteral("%1 could not be opened: %2").arg(path, loaded.message());
    }
    Alert::run(QStringLiteral("File Open Error"), why, {QStringLiteral("Ok")});
    fileName_.clear();
    return false;
}

bool OpenDoc::open(Manager& manager, const QString& path)
{
    OpenDoc document(manager);
    return document.readFromFile(path);
}
