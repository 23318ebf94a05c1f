#pragma once

// One stored MySQL query: where to connect, as whom, and the SQL to run. The
// name is how lists of queries are merged. The password is kept in plain
// text (in the user defaults and in query-list files), so whatever writes
// those makes them readable by the owner alone.

#include "platform/KeyedArchiver.h"

#include <QString>

class KeyedUnarchiver;

class MySQLQuery : public ArchivableObject {
public:
    static constexpr int defaultPort = 3306;

    // No strings, port 3306.
    MySQLQuery() = default;
    MySQLQuery(const QString& name, const QString& host, const QString& db, int port, const QString& user,
               const QString& passwd, const QString& sql);

    // The query the editor adds: "New Query" on this machine, database
    // "test", port 3306, no user, password or SQL.
    static MySQLQuery defaultQuery();

    QString name;
    QString host;
    QString db;
    QString user;
    QString passwd;
    QString sql;
    int port = defaultPort;

    int dbport() const { return port; }

    friend bool operator==(const MySQLQuery& a, const MySQLQuery& b)
    {
        return a.name == b.name && a.host == b.host && a.db == b.db && a.user == b.user
            && a.passwd == b.passwd && a.sql == b.sql && a.port == b.port;
    }

    // Keys "name", "host", "db", "port", "user", "passwd", "sql", in that
    // order. A missing or mistyped string reads as empty, a missing port as
    // 3306.
    static QString archiveClassName() { return QStringLiteral("MySQLQuery"); }
    QString className() const override { return archiveClassName(); }
    void encodeWithCoder(KeyedArchiver& coder) const override;
    static void registerArchiveClass(KeyedUnarchiver& coder);
};
