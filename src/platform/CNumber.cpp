#include "platform/CNumber.h"

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <vector>

namespace CNumber {

namespace {

locale_t cLocale()
{
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// strtod_l needs a NUL-terminated text; only used for the rare out-of-range case.
double strtodC(const char* begin, const char* end)
{
    std::string copy(begin, end);
    return strtod_l(copy.c_str(), nullptr, cLocale());
}

} // namespace

double parsePrefix(const char* begin, const char* end)
{
    while (begin < end && isBlank(*begin))
        ++begin;
    if (begin >= end)
        return 0.0;
    const char* p = begin;
    // from_chars takes "-" but not "+"; atof takes one sign of either kind.
    if (*p == '+') {
        ++p;
        if (p >= end || *p == '+' || *p == '-')
            return 0.0;
    }
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(p, end, value, std::chars_format::general);
    if (ec == std::errc())
        return value;
    if (ec == std::errc::result_out_of_range)
        return strtodC(begin, end);
    return 0.0;
}

double parsePrefix(std::string_view text)
{
    return parsePrefix(text.data(), text.data() + text.size());
}

bool parseExact(std::string_view text, double& out)
{
    const char* b = text.data();
    const char* e = b + text.size();
    while (b < e && isBlank(*b))
        ++b;
    while (e > b && isBlank(e[-1]))
        --e;
    if (b == e)
        return false;
    const char* p = b;
    if (*p == '+')
        ++p;
    if (p < e && *p == '+')
        return false;
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(p, e, value, std::chars_format::general);
    if (ptr != e)
        return false;
    if (ec == std::errc::result_out_of_range)
        value = strtodC(b, e);
    else if (ec != std::errc())
        return false;
    out = value;
    return true;
}

std::string vformat(const char* fmt, va_list args)
{
    // The thread's own locale is switched for the call only, so other threads
    // are unaffected.
    locale_t previous = uselocale(cLocale());
    char small[256];
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(small, sizeof small, fmt, copy);
    va_end(copy);
    std::string result;
    if (n < 0) {
        result.clear();
    } else if (static_cast<size_t>(n) < sizeof small) {
        result.assign(small, static_cast<size_t>(n));
    } else {
        std::vector<char> big(static_cast<size_t>(n) + 1);
        std::vsnprintf(big.data(), big.size(), fmt, args);
        result.assign(big.data(), static_cast<size_t>(n));
    }
    uselocale(previous);
    return result;
}

std::string format(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    std::string s = vformat(fmt, args);
    va_end(args);
    return s;
}

std::string shortest(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    char buf[64];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, ptr);
}

void resetNumericLocale()
{
    std::setlocale(LC_NUMERIC, "C");
}

} // namespace CNumber
