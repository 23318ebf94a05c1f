#pragma once

// Runs one query on a MySQL server and turns the numeric columns of its
// result into new buffers of a document. One result column gives one buffer
// of (row number from 0, value); with n > 1 columns the first is x and each
// further column gives a buffer of its own. A NULL value gives no point; a
// NULL x gives no point in any buffer. Only numeric columns are taken: a
// result holding any other column (text, dates, times, blobs) is refused
// whole.
//
// The import neither rescales nor redraws: its callers do. Whenever the
// outcome is not ok the document is exactly as it was. The connection is
// opened and closed within the call, synchronously; connecting waits at
// most connectTimeoutSeconds.

#include "io/MySQLQuery.h"

#include <QColor>
#include <QString>

#include <array>

class VexaDocument;

struct MySQLImportOutcome {
    enum Kind {
        Ok,
        ConnectError, // the server could not be reached or refused the login
        QueryError, // the statement failed, or its result could not be read
        NotNumeric, // a result column holds no numbers
    };
    Kind kind = Ok;
    QString message; // the client library's text, or why the result was refused
    int buffers = 0; // buffers appended (0 for a statement without a result set)

    bool ok() const { return kind == Ok; }
    // "MySQL Connect Error", "MySQL Query Error", "Vexa/MySQL Error"; empty when ok.
    QString title() const;
};

class MySQLImport {
public:
    static constexpr unsigned connectTimeoutSeconds = 3;

    // Buffer k of a result gets palette colour k mod 16.
    using Palette = std::array<QColor, 16>;

    // Connects with the query's host, port, user, password and database and
    // runs its SQL. Each new buffer has the source "MySQL" and the column's
    // name as comment.
    static MySQLImportOutcome importMySQL(VexaDocument& document, const MySQLQuery& query,
                                          const Palette& palette);

    // Shows a failed outcome as its alert (button "Ok"); nothing when ok.
    static void report(const MySQLImportOutcome& outcome);

    static QString notNumericMessage() { return QStringLiteral("You can only fetch numbers from MySQL"); }
};
