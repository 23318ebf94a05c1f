#include "io/MySQLQuery.h"

#include "platform/KeyedUnarchiver.h"

MySQLQuery::MySQLQuery(const QString& name_, const QString& host_, const QString& db_, int port_,
                       const QString& user_, const QString& passwd_, const QString& sql_)
        : name(name_)
        , host(host_)
        , db(db_)
        , user(user_)
        , passwd(passwd_)
        , sql(sql_)
        , port(port_)
{
}

MySQLQuery MySQLQuery::defaultQuery()
{
    // The loopback address rather than "localhost": the client library
    // takes "localhost" to mean its local socket, not TCP.
    return MySQLQuery(QStringLiteral("New Query"), QStringLiteral("127.0.0.1"), QStringLiteral("test"),
                      defaultPort, QString(), QString(), QString());
}

void MySQLQuery::encodeWithCoder(KeyedArchiver& coder) const
{
    coder.encodeString(QStringLiteral("name"), name);
    coder.encodeString(QStringLiteral("host"), host);
    coder.encodeString(QStringLiteral("db"), db);
    coder.encodeInt(QStringLiteral("port"), port);
    coder.encodeString(QStringLiteral("user"), user);
    coder.encodeString(QStringLiteral("passwd"), passwd);
    coder.encodeString(QStringLiteral("sql"), sql);
}

void MySQLQuery::registerArchiveClass(KeyedUnarchiver& coder)
{
    coder.registerClass(archiveClassName(), [](KeyedUnarchiver& c) -> std::unique_ptr<ArchivableObject> {
        auto q = std::make_unique<MySQLQuery>();
        q->name = c.decodeString(QStringLiteral("name"));
        q->host = c.decodeString(QStringLiteral("host"));
        q->db = c.decodeString(QStringLiteral("db"));
        q->port = c.decodeInt(QStringLiteral("port"), defaultPort);
        q->user = c.decodeString(QStringLiteral("user"));
        q->passwd = c.decodeString(QStringLiteral("passwd"));
        q->sql = c.decodeString(QStringLiteral("sql"));
        return q;
    });
}
