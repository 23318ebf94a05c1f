#pragma once

// Lists of stored MySQL queries: the "MySQLQueries" entry of the user
// defaults and exported query-list files (".myvexa"), both a list archive of
// MySQLQuery records (see StoredListFile).

#include "io/MySQLQuery.h"

#include "platform/Outcome.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace QueryListFile {

QString fileType(); // "VexaMySQL": the document type of a query-list file
QString suffix(); // "myvexa"
QString defaultsKey(); // "MySQLQueries"

std::optional<QByteArray> archive(const std::vector<MySQLQuery>& queries, QString* error = nullptr);
// Every query of the archive as a new, independent query (a query the
// archive lists twice becomes two). Refused as StoredListFile::unarchive
// refuses.
std::optional<std::vector<MySQLQuery>> unarchive(const QByteArray& data, QString* error = nullptr);

// Owner-only, atomic (StoredListFile::write).
Outcome write(const QString& path, const std::vector<MySQLQuery>& queries);
std::optional<std::vector<MySQLQuery>> read(const QString& path, QString* error = nullptr);

} // namespace QueryListFile
