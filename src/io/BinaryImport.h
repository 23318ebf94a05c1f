#pragma once

// Import of raw binary files (see BinaryRecordLayout) into new buffers of a
// document.

#include "platform/Outcome.h"

#include <QString>

class Questions;
class VexaDocument;

class BinaryImport {
public:
    // Reads the file into columns - 1 new buffers (one buffer of (index,
    // value) points when columns is 1), appends them to the document,
    // rescales the controller's axis pairs and redraws. Each buffer's source
    // is `source`, or the path when that is empty; its comment is `comment`,
    // or "Binary Import".
    //
    // Problems are failed outcomes titled alertTitle(); nothing is shown. A
    // file whose size is no whole number of records asks `questions` whether
    // to read the whole records only (ignoring the bytes after the last one);
    // no is Cancelled. Whenever the outcome is not done the document is as
    // it was.
    static Outcome binaryImport(VexaDocument& document, const QString& path, int type, int layoutMode,
                                bool swap, int columns, const QString& source, const QString& comment,
                                Questions& questions);

    static QString alertTitle() { return QStringLiteral("Binary Import Error"); }
};
