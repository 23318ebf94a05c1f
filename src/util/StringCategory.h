#pragma once

// Word splitting and colour reading for texts that users type: the columns of
// date-and-time import lines and the colour arguments of macros. Plain
// functions of the text; nothing here keeps state.

#include <QColor>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace StringCategory {

// One colour word with its components as fractions of 1; alpha is always 1.
struct NamedColor {
    const char* word;
    double red;
    double green;
    double blue;
};

// The 72 colour words (basic names, the numbers "0" to "15", crayon names),
// matched exactly and case-sensitively.
extern const std::array<NamedColor, 72> NamedColors;

// The colour of a colour word, or nothing when `word` is not one of them.
// No "#" is removed here; that is the business of color().
std::optional<QColor> namedColor(const QString& word);

// The words of `s` separated by blanks: cut at every Unicode space separator
// and every tab, empty pieces dropped. Line breaks are not separators, so a
// line break stays inside the word it touches.
QStringList split(const QString& s);

// The pieces of `s` between occurrences of `separator`, each trimmed of white
// space and line breaks, empty pieces dropped. An empty separator cuts
// nothing: the trimmed text is the only piece.
QStringList splitWithSeparatore(const QString& s, const QString& separator);

// Reads a colour: every "#" is dropped, then the text is a colour word, or a
// hexadecimal code RGB, ARGB, RRGGBB or AARRGGBB (any case). Anything else is
// opaque black.
QColor color(const QString& s);

// One colour component from `length` hexadecimal digits of `text` at `start`:
// two digits are read as they are, any other count is written twice in a row
// first ("8" reads as "88"). Reading stops at the first character that is no
// hexadecimal digit; no digit at all gives 0. Only the characters that exist
// are taken, so a start or length beyond the text is harmless. The result is
// the value divided by 255, never more than 1.
double colorComponentFrom(const QString& text, unsigned start, unsigned length);

} // namespace StringCategory
