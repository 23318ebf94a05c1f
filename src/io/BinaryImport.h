#pragma once

// Import of raw binary files (see BinaryRecordLayout) into new buffers of a
// document.

#include <QString>

class VexaDocument;

class BinaryImport {
public:
    // Reads the file into columns - 1 new buffers (one buffer of (index,
    // value) points when columns is 1), appends them to the document,
    // rescales the controller's axis pairs and redraws. Each buffer's source
    // is `source`, or the path when that is empty; its comment is `comment`,
    // or "Binary Import".
    //
    // Problems are alerts titled "Binary Import Error". A file whose size is
    // no whole number of records asks whether to continue; continuing ignores
    // the bytes after the last whole record. Whenever the result is false the
    // document is as it was.
    static bool binaryImport(VexaDocument& document, const QString& path, int type, int layoutMode, bool swap,
                             int columns, const QString& source, const QString& comment);

    static QString alertTitle() { return QStringLiteral("Binary Import Error"); }
};
