#include "io/MySQLClient.h"

#include "platform/LoadableModule.h"

#ifndef VEXA_MYSQL_MODULE
#define VEXA_MYSQL_MODULE ""
#endif

namespace {

LoadableModule& module()
{
    static LoadableModule m(QStringLiteral("libvexa_mysql.so"), QStringLiteral(VEXA_MYSQL_MODULE),
                            "vexaMySQLClient");
    return m;
}

} // namespace

const MySQLClient* MySQLClient::get(QString& why)
{
    return module().table<MySQLClient>(why);
}

QString MySQLClient::moduleFileFor(const QString& executableDir)
{
    return module().fileFor(executableDir);
}
