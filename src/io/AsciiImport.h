#pragma once

// Import of text files of numbers into new buffers of a document: one buffer
// per value column, or one buffer of x, y and errors per line. A date or a
// date and time at the start of a line becomes seconds on a time axis.

#include "platform/Outcome.h"

#include <QString>

class VexaDocument;

class ASCIIImport {
public:
    enum ImportMode : int {
        ColumnMode = 0, // one buffer per value column
        ErrorMode = 1 // one buffer; each line gives x, y and its errors
    };

    // The settings of one import. The defaults are those used for the "-i"
    // option and for dropped and pasted text.
    struct ImportOptions {
        QString path;
        int mode = ColumnMode;
        QString source; // of the new buffers; empty: the path
        QString comment; // of the new buffers; empty: "Import"
        // Field separator. Empty: the numbers are picked out of each line
        // wherever they stand (white-space mode).
        QString separator;
        // The x column, counted from 1. A value below 1 means no x column.
        int xColumn = 1;
        // No column is x: x is the number of the row among the rows that
        // gave values, from 0.
        bool noXColumn = false;
        QString ignoreText; // non-empty: lines that contain it are skipped
        QString commentText; // non-empty: each line is cut at its first occurrence
        // Skip lines whose first non-blank character is no digit and none
        // of "+,-.".
        bool numericLinesOnly = true;
        // A date pattern of the user's ("dd.MM.yyyy HH:mm"), used instead of
        // the built-in ones when useTimeFormat is set.
        QString timeFormat;
        bool useTimeFormat = false;
        bool noTime = false; // no date or time recognition at all
        // White-space mode only: every "," / "." becomes a blank first.
        bool commaSeparates = true;
        bool periodSeparates = false;
    };

    // Reads the file into new buffers appended to the document, sets the
    // bottom axis to time when dates were read, then rescales the axis pairs
    // the controller chooses (ManagerServices::axis12) and replots. Done
    // when any point was read. Shows nothing.
    //
    // When nothing was read the document is left exactly as it was and the
    // outcome says why: Empty for a missing path or a directory, an unknown
    // mode or a file without numbers; Failed, titled alertTitle(), for a
    // file that cannot be read, is not text, or does not fit in memory.
    static Outcome importFile(VexaDocument& document, const ImportOptions& options);
    // The same for a text in memory (pasted or dropped): it is imported
    // from a temporary file of its UTF-8 bytes, which is gone again when
    // this returns; options.path is not used. A text holding a NUL
    // character is no plain text and imports nothing (Empty).
    static Outcome importText(VexaDocument& document, const QString& text, ImportOptions options);

    static QString alertTitle() { return QStringLiteral("ASCII Import Error"); }

    // At most this many fields of a line are read, and so at most this many
    // buffers made by one import.
    static constexpr int maxFields = 2048;
    // Date recognition gives up after this many lines that held something
    // but no date.
    static constexpr int maxFailedDateLines = 1000;
};
