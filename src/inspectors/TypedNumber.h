#pragma once

// Numbers typed into the fields of a panel. A typing slip must not turn a
// width or a range into 0: a text that does not start with a number, or
// whose number is not finite, is refused with an alert titled after the
// panel ("<text> is no number"), and the caller changes nothing.

#include <QString>

#include <optional>

std::optional<double> typedNumber(const QString& panelTitle, const QString& text);
