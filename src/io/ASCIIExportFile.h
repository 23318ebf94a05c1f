#pragma once

// Writes the buffers selected in the controller's buffer table as ASCII
// files: buffer i goes to "<path>.<i>" as lines of tab-separated "%.16g"
// numbers (x y, plus x error and y error when the buffer has errors).

#include <QString>

class VexaDocument;

class ASCIIExportFile {
public:
    // The file that buffer `index` is written to.
    static QString fileName(const QString& path, int index);

    // Writes every selected buffer; unselected buffers and selected rows past
    // the buffer list write nothing. Each file is replaced only once it is
    // complete. False when any file could not be written (the others are
    // still written); *error then names the files that failed and why, one
    // to a line.
    static bool exportASCII(VexaDocument& document, const QString& path, QString* error = nullptr);
};
