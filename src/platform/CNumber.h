#pragma once

// Locale-free reading and writing of numbers. A German desktop must never turn
// "1.5" into 1, and a file written here must read back anywhere.

#include <cstdarg>
#include <string>
#include <string_view>

namespace CNumber {

// Reads the longest number at the start of [begin, end) the way atof does in
// the "C" locale: leading white space, an optional sign, decimal digits with
// an optional "." and exponent, or the words inf/infinity/nan in any case.
// No number gives 0; an out-of-range value gives ±inf or a (sub)normal/0.
double parsePrefix(const char* begin, const char* end);
double parsePrefix(std::string_view text);

// Whole-text conversion: true only when the entire text (surrounding blanks
// allowed) is one number.
bool parseExact(std::string_view text, double& out);

// printf into a std::string with the "C" numeric conventions, whatever the
// process or thread locale is.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string vformat(const char* fmt, va_list args);

// Shortest text that reads back as the same double ("%.17g" quality).
std::string shortest(double value);

// Qt's application constructor adopts the user's locale for every category;
// numbers must keep the "C" conventions. Called right after a
// QCoreApplication/QGuiApplication/QApplication is constructed.
void resetNumericLocale();

} // namespace CNumber
