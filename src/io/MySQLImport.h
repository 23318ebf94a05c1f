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
// most connectTimeoutSeconds. The rows are taken one at a time as the
// server sends them, never held whole: a result of more than maxValues
// values in all, or with a row larger than maxRowBytes, is refused.

#include "io/MySQLQuery.h"
#include "platform/Outcome.h"

#include <QColor>
#include <QString>

#include <array>

class VexaDocument;

class MySQLImport {
public:
    static constexpr unsigned connectTimeoutSeconds = 3;
    // Values (y values: points) of all the result's buffers together: half a
    // gigabyte.
    static constexpr qint64 maxValues = qint64(1) << 25;
    // A row of numbers is a few hundred bytes; the client library takes rows
    // of up to a gigabyte unless told otherwise.
    static constexpr unsigned long maxRowBytes = 16ul << 20;

    // Buffer k of a result gets palette colour k mod 16.
    using Palette = std::array<QColor, 16>;

    // Connects with the query's host, port, user, password and database and
    // runs its SQL. Each new buffer has the source "MySQL" and the column's
    // name as comment. Shows nothing. A failure is titled by its cause, its
    // message the client library's text or why the result was refused:
    //   connectErrorTitle()  the server could not be reached or refused the login
    //   queryErrorTitle()    the statement failed, or its result could not be read
    //   refusedTitle()       a column holds no numbers (notNumericMessage()), or the
    //                        result holds more than valueLimit values (tooLargeMessage())
    static Outcome importMySQL(VexaDocument& document, const MySQLQuery& query, const Palette& palette,
                               qint64 valueLimit = maxValues);

    static QString connectErrorTitle() { return QStringLiteral("MySQL Connect Error"); }
    static QString queryErrorTitle() { return QStringLiteral("MySQL Query Error"); }
    static QString refusedTitle() { return QStringLiteral("Vexa/MySQL Error"); }

    static QString notNumericMessage() { return QStringLiteral("You can only fetch numbers from MySQL"); }
    static QString tooLargeMessage(qint64 valueLimit)
    {
        return QStringLiteral("The result holds more than %1 values; nothing was imported.").arg(valueLimit);
    }
};
