#pragma once

// Numbers typed into the fields of a panel. A typing slip must not turn a
// width or a range into 0: a text that does not start with a number, or
// whose number is not finite, is refused with an alert titled after the
// panel ("<text> is no number"), and the caller changes nothing. Where a
// field has bounds, a number beyond them is refused the same way.

#include <QString>

#include <optional>

std::optional<double> typedNumber(const QString& panelTitle, const QString& text);

// The values a field takes, both ends included.
struct NumberRange {
    double min;
    double max;
};

// As above, and a number outside `range` is refused ("<text> is not
// between <min> and <max>").
std::optional<double> typedNumber(const QString& panelTitle, const QString& text, NumberRange range);
