#include "io/AsciiFastLines.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <string.h> // memmem

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Printable ASCII and tabs, eight bytes at a time: anything else (a byte
// above 0x7F, CR, VT, FF, NUL or another control) sends the line to the
// careful reader.
bool isPlain(const char* p, std::size_t n)
{
    constexpr std::uint64_t kHigh = 0x8080808080808080ull, kSpaces = 0x2020202020202020ull;
    std::size_t i = 0;
    for (; n - i >= 8; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        if (w & kHigh)
            return false;
        if ((w - kSpaces) & ~w & kHigh) { // some byte below 0x20
            for (std::size_t k = i; k < i + 8; ++k)
                if (static_cast<unsigned char>(p[k]) < 0x20 && p[k] != '\t')
                    return false;
        }
    }
    for (; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(p[i]);
        if (c >= 0x80 || (c < 0x20 && c != '\t'))
            return false;
    }
    return true;
}

// A plain decimal number at p: a sign, digits with at most one period (at
// least one digit; no period where periods separate numbers), and an
// exponent with digits. Returns its end and its value in v, or nullptr when
// what stands at p is not such a number or lies beyond the double range
// (the careful reader rounds those its own way). Such text means the same to
// from_chars as to the careful reader's number syntax.
//
// Most numbers in a file have few digits: their digits as an integer below
// 2^53 and a power of ten up to 10^22 are both exact doubles, so one
// multiplication or division rounds the value exactly as from_chars does
// (correctly). The others go through from_chars.
const char* plainNumber(const char* p, const char* end, bool period, double& v)
{
    static constexpr double kPowers[]
        = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
           1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const char* const start = p;
    const bool negative = p < end && *p == '-';
    if (p < end && (*p == '-' || *p == '+'))
        ++p;
    std::uint64_t m = 0;
    int digits = 0, significant = 0, fraction = 0;
    while (p < end && isDigit(*p)) {
        if (significant < 19) {
            m = m * 10 + std::uint64_t(*p - '0');
            significant += m != 0;
        } else {
            significant = 99; // too many to hold
        }
        ++p;
        ++digits;
    }
    if (period && p < end && *p == '.') {
        ++p;
        while (p < end && isDigit(*p)) {
            if (significant < 19) {
                m = m * 10 + std::uint64_t(*p - '0');
                significant += m != 0;
                ++fraction;
            } else {
                significant = 99;
            }
            ++p;
            ++digits;
        }
    }
    if (digits == 0)
        return nullptr;
    int exponent = 0;
    bool exponentTooLarge = false;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        bool minus = false;
        if (p < end && (*p == '-' || *p == '+'))
            minus = *p++ == '-';
        if (p == end || !isDigit(*p))
            return nullptr;
        while (p < end && isDigit(*p)) {
            if (exponent < 100000)
                exponent = exponent * 10 + (*p - '0');
            else
                exponentTooLarge = true;
            ++p;
        }
        if (minus)
            exponent = -exponent;
    }
    const int scale = exponent - fraction;
    if (significant <= 19 && !exponentTooLarge && m <= (std::uint64_t(1) << 53) && scale >= -22
        && scale <= 22) {
        double value = double(m);
        value = scale < 0 ? value / kPowers[-scale] : value * kPowers[scale];
        v = negative ? -value : value;
        return p;
    }
    const char* from = *start == '+' ? start + 1 : start;
    const auto [ptr, ec] = std::from_chars(from, p, v, std::chars_format::general);
    return ec == std::errc() && ptr == p ? p : nullptr;
}

} // namespace

AsciiFastLines::AsciiFastLines(const Syntax& syntax)
        : syntax_(syntax)
{
    blank_[static_cast<unsigned char>(' ')] = 1;
    blank_[static_cast<unsigned char>('\t')] = 1;
    if (syntax_.whitespace) {
        blank_[static_cast<unsigned char>(',')] = syntax_.commaBlank;
        blank_[static_cast<unsigned char>('.')] = syntax_.periodBlank;
    }
}

void AsciiFastLines::read(const char* text, std::size_t n, std::size_t base, Result& out) const
{
    const char* p = text;
    const char* const end = text + n;
    while (p < end) {
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', std::size_t(end - p)));
        const char* e = nl ? nl : end;
        const std::int32_t kind = line(p, e, out);
        out.lines.push_back(kind);
        if (kind == Careful) {
            out.careful.push_back(base + std::size_t(p - text));
            out.careful.push_back(std::size_t(e - p));
        }
        p = nl ? nl + 1 : end;
    }
}

std::int32_t AsciiFastLines::line(const char* p, const char* end, Result& out) const
{
    if (!isPlain(p, std::size_t(end - p)))
        return Careful;
    const Syntax& s = syntax_;
    if (!s.cut.empty())
        if (const void* hit = memmem(p, std::size_t(end - p), s.cut.data(), s.cut.size()))
            end = static_cast<const char*>(hit);
    if (p == end)
        return Skip;
    if (s.numericOnly) {
        const char* q = p;
        while (q < end && blank_[static_cast<unsigned char>(*q)])
            ++q;
        const char c = q < end ? *q : '\0';
        if (!isDigit(c) && c != '+' && c != ',' && c != '-' && c != '.')
            return Skip;
    }
    if (!s.ignore.empty() && memmem(p, std::size_t(end - p), s.ignore.data(), s.ignore.size()))
        return Skip;

    const std::size_t first = out.values.size();
    std::int32_t count = 0;
    auto undo = [&] {
        out.values.resize(first);
        if (!s.whitespace)
            out.empty.resize(first);
        return Careful;
    };
    if (s.whitespace) {
        for (;;) {
            while (p < end && blank_[static_cast<unsigned char>(*p)])
                ++p;
            if (p == end)
                return count;
            double v;
            const char* e = plainNumber(p, end, !s.periodBlank, v);
            if (!e || (e < end && !blank_[static_cast<unsigned char>(*e)]) || count == s.maxFields)
                return undo();
            out.values.push_back(v);
            ++count;
            p = e;
        }
    }
    for (;;) {
        const char* hit = static_cast<const char*>(std::memchr(p, s.separator, std::size_t(end - p)));
        const char* fieldEnd = hit ? hit : end;
        const char* a = p;
        const char* b = fieldEnd;
        while (a < b && (*a == ' ' || *a == '\t'))
            ++a;
        while (b > a && (b[-1] == ' ' || b[-1] == '\t'))
            --b;
        if (count == s.maxFields)
            return undo();
        if (a == b) {
            out.values.push_back(0.0);
            out.empty.push_back(1);
        } else {
            double v;
            if (plainNumber(a, b, true, v) != b)
                return undo();
            out.values.push_back(v);
            out.empty.push_back(0);
        }
        ++count;
        if (!hit)
            return count;
        p = hit + 1;
    }
}
