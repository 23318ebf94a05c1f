#pragma once

// The text of the macro command "format": a printf-style format filled with
// numbers. Only what can be filled safely with doubles is accepted: "%%" and
// up to ten floating conversions (a A e E f F g G, with flags "-+ #0", a
// width, a precision and an optional "l", none of them "*"); a text without
// conversions is itself. Numbers are written without the locale.

#include <QString>

#include <optional>

namespace MacroFormat {

constexpr int maxConversions = 10;
// Widths and precisions beyond this are refused rather than filled.
constexpr int maxFieldSize = 1024;

// The format filled with values[0], values[1], ... in order (count values
// available, missing ones read as 0); nothing, with the reason, when the
// format holds anything else.
std::optional<QString> fill(const QString& format, const double* values, int count,
                            QString* reason = nullptr);

} // namespace MacroFormat
