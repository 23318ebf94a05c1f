#pragma once

// Writes the buffers selected in the controller's buffer table as ASCII
// files: buffer i goes to "<path>.<i>" as lines of tab-separated "%.16g"
// numbers (x y, plus x error and y error when the buffer has errors).

#include "platform/Outcome.h"

#include <QString>

class VexaDocument;

class ASCIIExportFile {
public:
    // The file that buffer `index` is written to.
    static QString fileName(const QString& path, int index);

    // Writes every selected buffer; unselected buffers and selected rows past
    // the buffer list write nothing. Each file is replaced only once it is
    // complete. Failed, titled alertTitle(), when any file could not be
    // written (the others are still written); the message names the files
    // that failed and why, one to a line. Shows nothing.
    static Outcome exportASCII(VexaDocument& document, const QString& path);

    static QString alertTitle() { return QStringLiteral("Export Error"); }
};
