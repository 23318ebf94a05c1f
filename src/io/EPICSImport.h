#pragma once

// Reads process variables of an EPICS control system over Channel Access:
// one or two arrays into a new buffer of a document, or one value. Every read
// makes its own client context and ends it before returning, on every path;
// the library's threads live only that long. Synchronous, main thread.
//
// The library reads its settings from the environment when a context is
// made: the address list, the largest array it transfers, the host
// architecture. The setters below write them; a change counts from the next
// read on.
//
// Messages the library raises during a read (a lost circuit, say) are taken
// by a handler of ours and become part of the outcome, not lines on
// standard error.

#include "platform/Outcome.h"

#include <QString>

class VexaDocument;

class EPICSImport {
public:
    // The title of every failed outcome.
    static QString alertTitle() { return QStringLiteral("EPICS Error"); }

    // The launch values: "EPICS_CA_MAX_ARRAY_BYTES" 65536 and the host
    // architecture "EPICS_HOST_ARCH".
    static void setLaunchEnvironment();
    // "EPICS_CA_ADDR_LIST": the addresses searched.
    static void setAddressList(const QString& list);
    // "EPICS_CA_MAX_ARRAY_BYTES": the largest array transferred, in bytes.
    // False, and the setting as it was, for a text that is no whole number.
    static bool setMaxArrayBytes(const QString& bytes);
    static QString badMaxArrayMessage(const QString& bytes)
    {
        return QStringLiteral("'%1' is no number of bytes; the array size stays as it was.").arg(bytes);
    }
    // The largest array a read takes, from "EPICS_CA_MAX_ARRAY_BYTES" as it
    // stands (the library's own default when unset or unreadable).
    static double maxArrayBytes();

    // Reads the array of `x` (and of `y`, unless empty) and appends a new
    // buffer: with one variable the points (i, x[i]), with two (x[i], y[i]).
    // Its source is "EPICS", its comment the name or "x y". The new buffer's
    // extents are computed, the view redrawn and the controller refreshed;
    // the axis ranges stay. `timeout` is given to each wait, 0 for none.
    // When the outcome is not ok the document is unchanged. Shows nothing. A
    // failure is titled alertTitle(); its code is the library's status (0
    // for a refusal of ours).
    static Outcome importEPICS(VexaDocument& document, const QString& x, const QString& y, double timeout);

    // Reads one value of the variable. *value is set only when ok.
    static Outcome readValue(const QString& variable, double timeout, double* value);

    // The alert text for a status: the library's text, with a hint for an
    // array too large (72) or a time-out (80).
    static QString statusMessage(int status);
    // A failed outcome of the status: its message, the status as its code.
    static Outcome statusOutcome(int status)
    {
        return Outcome::failed(statusMessage(status), alertTitle(), status);
    }
};
