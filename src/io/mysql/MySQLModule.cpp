// The MySQL client library behind the MySQL import, built as a module of its
// own: the library and the TLS libraries it pulls in are loaded with the
// first query, not each time the program starts.

#include "io/MySQLClient.h"

extern "C" __attribute__((visibility("default"))) const MySQLClient* vexaMySQLClient()
{
    static const MySQLClient calls{
        sizeof(MySQLClient), &mysql_init,        &mysql_options,    &mysql_real_connect, &mysql_errno,
        &mysql_error,        &mysql_query,       &mysql_use_result, &mysql_fetch_field,  &mysql_field_count,
        &mysql_fetch_row,    &mysql_free_result, &mysql_close};
    return &calls;
}
