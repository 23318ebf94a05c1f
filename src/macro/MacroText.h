#pragma once

// Text arguments of the macro language, both ways: how a text argument is
// read (string variables and escapes), and how a text is written so that
// reading it gives it back exactly. The two sides are one rule:
//
//   \n      a line feed
//   \\      a backslash
//   \$      a dollar sign (no variable)
//   \uXXXX  the UTF-16 unit of four hexadecimal digits
//   $name   the value of the string variable name (the longest name that
//           fits); "\n" in the value is a line feed as well
//
// A backslash before anything else stays as it is.
//
// No text is longer than maxLength characters: a string that doubles itself
// in a loop would otherwise take all the memory there is.

#include <QHash>
#include <QString>

#include <optional>

namespace MacroText {

inline constexpr qsizetype maxLength = qsizetype(1) << 24;

// The text of an argument token. Without variables no "$name" is replaced.
// Nothing when the text would pass maxLength.
std::optional<QString> convert(const QString& token, const QHash<QString, QString>* variables);

// The text as one argument in single quotes, in 7-bit ASCII, that the
// tokeniser delivers whole and convert() turns back into the same text: no
// character ends the line or the token early, and no variable is read.
QString quoted(const QString& text);

} // namespace MacroText
