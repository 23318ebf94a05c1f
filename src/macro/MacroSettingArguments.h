#pragma once

// The values that the setting commands (page, legend, buffer style, axes)
// read from the argument slots of a command that matched. Each reader names
// its slot and gives nothing when the value is refused: the command then
// leaves the setting as it is, without a message. A number that is not
// finite is always refused, so no NaN or infinity reaches a setting.

#include <QColor>
#include <QFont>
#include <QString>

#include <cstdint>
#include <optional>

class Macro;

namespace SettingArgument {

using Flag = std::uint8_t;

// A switch: any non-zero integer is on ("yes" and "no" read as 1 and 0).
struct OnOff {
    int slot;
    std::optional<Flag> operator()(const Macro& m) const;
};

// On only for exactly 1; any other integer is off.
struct OnForOne {
    int slot;
    std::optional<Flag> operator()(const Macro& m) const;
};

// An integer from 0 to max.
struct UpTo {
    int slot;
    int max;
    std::optional<int> operator()(const Macro& m) const;
};

// An integer of 0 or more.
struct NotNegative {
    int slot;
    std::optional<int> operator()(const Macro& m) const;
};

// The integer part of a number, toward zero.
struct IntegerPart {
    int slot;
    std::optional<int> operator()(const Macro& m) const;
};

// A number as it is.
struct Number {
    int slot;
    std::optional<double> operator()(const Macro& m) const;
};

// A number from lo to hi, both included.
struct NumberIn {
    int slot;
    double lo;
    double hi;
    std::optional<double> operator()(const Macro& m) const;
};

// The text of the argument; the empty text when it was not given.
struct Text {
    int slot;
    std::optional<QString> operator()(const Macro& m) const;
};

// A number written with "%g" (six significant digits), or an integer with
// "%d"; the empty text when the argument was not given.
struct NumberText {
    int slot;
    std::optional<QString> operator()(const Macro& m) const;
};
struct IntegerText {
    int slot;
    std::optional<QString> operator()(const Macro& m) const;
};

// A colour from three numbers (and an alpha when given), or from a word;
// see Macro::colorFromNumbers and Macro::colorFromWord.
struct ColorNumbers {
    int slot;
    int alphaSlot;
    std::optional<QColor> operator()(const Macro& m) const;
};
struct ColorWord {
    int slot;
    std::optional<QColor> operator()(const Macro& m) const;
};

// The font named by one argument at the size of another; the user font of
// 14 points when there is no such face at that size.
struct FontOf {
    int nameSlot;
    int sizeSlot;
    std::optional<QFont> operator()(const Macro& m) const;
};

} // namespace SettingArgument
