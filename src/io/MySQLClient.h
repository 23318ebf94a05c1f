#pragma once

// The MySQL client library's calls we make. The library, and the TLS
// libraries it pulls in, live in a module of their own (io/mysql), loaded
// on the first query instead of at every start of the program.

#include <mysql.h>

#include <QString>

#include <cstddef>

struct MySQLClient {
    std::size_t size; // of the table the module was built with
    decltype(&mysql_init) init;
    decltype(&mysql_options) options;
    decltype(&mysql_real_connect) realConnect;
    decltype(&mysql_errno) errorNumber;
    decltype(&mysql_error) error;
    decltype(&mysql_query) query;
    decltype(&mysql_use_result) useResult;
    decltype(&mysql_fetch_field) fetchField;
    decltype(&mysql_field_count) fieldCount;
    decltype(&mysql_fetch_row) fetchRow;
    decltype(&mysql_free_result) freeResult;
    decltype(&mysql_close) close;

    // The calls, the module loaded on the first use; null when it cannot be
    // loaded, with the reason in why.
    static const MySQLClient* get(QString& why);

    // Which module file a program in the given folder would load; empty
    // when there is none. Nothing is loaded.
    static QString moduleFileFor(const QString& executableDir);
};
