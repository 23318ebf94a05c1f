#pragma once

// Colour values. Model objects hold colours by value (QColor); a copy of a
// colour is a copy of the value, never a shared object.

#include <QByteArray>
#include <QColor>

#include <optional>

namespace Color {

QColor black();
QColor white();
QColor darkGray(); // one third white
QColor lightGray(); // two thirds white

// A calibrated RGB colour with alpha; components in [0, 1].
QColor rgb(double r, double g, double b, double a = 1.0);

// The archived form of a colour, as stored in the user-defaults store and in
// documents. colorFromArchivedData gives nothing for bytes that do not hold a
// colour.
QByteArray archivedData(const QColor& color);
std::optional<QColor> colorFromArchivedData(const QByteArray& data);

} // namespace Color
