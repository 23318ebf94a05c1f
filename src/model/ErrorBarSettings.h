#pragma once

// The error bars of a buffer, per direction: the ErrorBarMode and the value
// that the fixed and the percentage modes use; and their line width (their
// colour is part of the buffer's style). The fields carry the document
// file's key names.
struct ErrorBarSettings {
    int errorbarx = 0;
    int errorbary = 0;
    double errorvalx = 0;
    double errorvaly = 0;
    double errorwidth = 1;

    friend bool operator==(const ErrorBarSettings&, const ErrorBarSettings&) = default;
};
