#include "io/QueryListFile.h"

#include "io/StoredListFile.h"

namespace QueryListFile {

QString fileType()
{
    return QStringLiteral("VexaMySQL");
}

QString suffix()
{
    return QStringLiteral("myvexa");
}

QString defaultsKey()
{
    return QStringLiteral("MySQLQueries");
}

std::optional<QByteArray> archive(const std::vector<MySQLQuery>& queries, QString* error)
{
    std::vector<const ArchivableObject*> items;
    items.reserve(queries.size());
    for (const MySQLQuery& q : queries)
        items.push_back(&q);
    return StoredListFile::archive(items, error);
}

std::optional<std::vector<MySQLQuery>> unarchive(const QByteArray& data, QString* error)
{
    auto decoded = StoredListFile::unarchive<MySQLQuery>(data, &MySQLQuery::registerArchiveClass, error);
    if (!decoded)
        return std::nullopt;
    std::vector<MySQLQuery> queries;
    queries.reserve(decoded->size());
    for (const auto& q : *decoded)
        queries.push_back(*q);
    return queries;
}

Outcome write(const QString& path, const std::vector<MySQLQuery>& queries)
{
    QString error;
    const std::optional<QByteArray> bytes = archive(queries, &error);
    if (!bytes)
        return Outcome::failed(error, StoredListFile::saveErrorTitle());
    return StoredListFile::write(path, *bytes);
}

std::optional<std::vector<MySQLQuery>> read(const QString& path, QString* error)
{
    const std::optional<QByteArray> bytes = StoredListFile::read(path, error);
    if (!bytes)
        return std::nullopt;
    return unarchive(*bytes, error);
}

} // namespace QueryListFile
