#include "io/AsciiFastLines.h"

#include <charconv>
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
// exponent with digits. Returns its end, or nullptr when what stands at p is
// not such a number. Such text means the same to from_chars as to the careful
// reader's number syntax.
const char* numberEnd(const char* p, const char* end, bool period)
{
    if (p < end && (*p == '-' || *p == '+'))
        ++p;
    int digits = 0;
    while (p < end && isDigit(*p)) {
        ++p;
        ++digits;
    }
    if (period && p < end && *p == '.') {
        ++p;
        while (p < end && isDigit(*p)) {
            ++p;
            ++digits;
        }
    }
    if (digits == 0)
        return nullptr;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < end && (*p == '-' || *p == '+'))
            ++p;
        if (p == end || !isDigit(*p))
            return nullptr;
        while (p < end && isDigit(*p))
            ++p;
    }
    return p;
}

// The value of a plain number [p, e); false when it is out of the double
// range (the careful reader rounds those its own way).
bool numberValue(const char* p, const char* e, double& v)
{
    if (*p == '+')
        ++p;
    const auto [ptr, ec] = std::from_chars(p, e, v, std::chars_format::general);
    return ec == std::errc() && ptr == e;
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
            const char* e = numberEnd(p, end, !s.periodBlank);
            double v;
            if (!e || (e < end && !blank_[static_cast<unsigned char>(*e)]) || !numberValue(p, e, v)
                || count == s.maxFields)
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
            if (numberEnd(a, b, true) != b || !numberValue(a, b, v))
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
