#include "io/AsciiImport.h"

#include "io/AsciiFastLines.h"
#include "io/AsciiTextFile.h"
#include "model/DataBuffer.h"
#include "model/ManagerServices.h"
#include "model/SharedColumn.h"
#include "model/VexaDocument.h"
#include "platform/CNumber.h"
#include "platform/Calendar.h"
#include "platform/HugePages.h"
#include "platform/ParallelRanges.h"
#include "util/StringCategory.h"
#include "util/TempFiles.h"
#include "util/TextHelpers.h"

#include <QByteArray>
#include <QStringList>

#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/parsepos.h>
#include <unicode/smpdtfmt.h>
#include <unicode/stringpiece.h>
#include <unicode/timezone.h>
#include <unicode/udat.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Lines

// Calls f(line, length, ascii) for every line, in place: each line is
// NUL-terminated where its break was. Breaks are LF, VT, FF and CR (CR LF
// counting as one) and the Unicode next-line, line and paragraph separators.
enum : unsigned char { kPlain = 0, kBreak = 1, kHigh = 2 };

struct LineClasses {
    unsigned char of[256] = {};
    constexpr LineClasses()
    {
        for (int c = 0x0A; c <= 0x0D; ++c)
            of[c] = kBreak;
        for (int c = 0x80; c < 256; ++c)
            of[c] = kHigh;
    }
};
constexpr LineClasses kLineClasses;

template <typename F> void forEachLine(char* text, size_t size, bool utf8, F&& f)
{
    char* p = text;
    char* const end = text + size;
    while (p < end) {
        char* q = p;
        bool ascii = true;
        size_t breakLength = 0;
        for (; q < end; ++q) {
            const unsigned char c = static_cast<unsigned char>(*q);
            const unsigned char kind = kLineClasses.of[c];
            if (kind == kPlain)
                continue;
            if (kind == kBreak) {
                breakLength = (c == '\r' && q + 1 < end && q[1] == '\n') ? 2 : 1;
                break;
            }
            const auto at = [&](ptrdiff_t k) { return static_cast<unsigned char>(q[k]); };
            if (utf8) {
                if (c == 0xC2 && end - q >= 2 && at(1) == 0x85) {
                    breakLength = 2;
                    break;
                }
                if (c == 0xE2 && end - q >= 3 && at(1) == 0x80 && (at(2) == 0xA8 || at(2) == 0xA9)) {
                    breakLength = 3;
                    break;
                }
            } else if (c == 0x85) {
                breakLength = 1;
                break;
            }
            ascii = false;
        }
        *q = '\0';
        f(p, static_cast<size_t>(q - p), ascii);
        p = q + breakLength;
        if (breakLength == 0)
            break;
    }
}

// How often the byte occurs, eight bytes at a time.
size_t countByte(const char* p, size_t n, char c)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ull, kLow7 = 0x7F7F7F7F7F7F7F7Full;
    const std::uint64_t pattern = kOnes * static_cast<unsigned char>(c);
    size_t count = 0, i = 0;
    for (; n - i >= 8; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        const std::uint64_t x = w ^ pattern; // zero bytes where c stands
        const std::uint64_t zero = ~(((x & kLow7) + kLow7) | x | kLow7) >> 7; // 1 per match
        count += size_t((zero * kOnes) >> 56);
    }
    for (; i < n; ++i)
        count += p[i] == c;
    return count;
}

// Every second value of a run of (x, y) pairs: one column of them. A vector
// appends such a range in one pass, copying it straight into its new room,
// where resize() would first fill that room with zeros.
class EveryOther {
public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = double;
    using difference_type = std::ptrdiff_t;
    using pointer = const double*;
    using reference = const double&;

    EveryOther(const double* values, difference_type i)
            : values_(values)
            , i_(i)
    {
    }
    reference operator*() const { return values_[2 * i_]; }
    reference operator[](difference_type n) const { return values_[2 * (i_ + n)]; }
    EveryOther& operator++() { return *this += 1; }
    EveryOther operator++(int) { return {values_, i_++}; }
    EveryOther& operator--() { return *this -= 1; }
    EveryOther operator--(int) { return {values_, i_--}; }
    EveryOther& operator+=(difference_type n)
    {
        i_ += n;
        return *this;
    }
    EveryOther& operator-=(difference_type n)
    {
        i_ -= n;
        return *this;
    }
    friend EveryOther operator+(EveryOther a, difference_type n) { return a += n; }
    friend EveryOther operator+(difference_type n, EveryOther a) { return a += n; }
    friend EveryOther operator-(EveryOther a, difference_type n) { return a -= n; }
    friend difference_type operator-(const EveryOther& a, const EveryOther& b) { return a.i_ - b.i_; }
    friend bool operator==(const EveryOther& a, const EveryOther& b) { return a.i_ == b.i_; }
    friend auto operator<=>(const EveryOther& a, const EveryOther& b) { return a.i_ <=> b.i_; }

private:
    const double* values_;
    difference_type i_;
};

// The `rows` values of column `column` (0: x, 1: y) of the pairs at
// `values`, appended to v.
void appendColumn(std::vector<double>& v, const double* values, int column, size_t rows)
{
    v.insert(v.end(), EveryOther(values + column, 0), EveryOther(values + column, std::ptrdiff_t(rows)));
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// ---------------------------------------------------------------------------
// Dates at the start of a line

// A date pattern read strictly: the date must fill the whole text and be a
// real date. Without the first, "HH:mm:ss" would swallow the seconds of
// "12:00:00.5" and the finer formats after it would never be reached; without
// the second, 31.02. would slide into March.
class DatePattern {
public:
    // `fast`: the pattern is made of numeric fields and literals only, so a
    // text whose fields have exactly the pattern's widths can be read here
    // instead of by the general parser, which costs microseconds per line.
    DatePattern(const QString& pattern, bool fast)
            : maxText_(64 + 8 * std::size_t(pattern.size()))
    {
        UErrorCode status = U_ZERO_ERROR;
        const icu::Locale locale = icu::Locale::getDefault();
        const icu::UnicodeString u(reinterpret_cast<const char16_t*>(pattern.utf16()),
                                   int32_t(pattern.size()));
        auto fmt = std::make_unique<icu::SimpleDateFormat>(u, locale, status);
        if (U_FAILURE(status))
            return;
        fmt->adoptCalendar(new icu::GregorianCalendar(icu::TimeZone::createDefault(), locale, status));
        if (U_FAILURE(status))
            return;
        fmt->setLenient(false);
        fmt->setBooleanAttribute(UDAT_PARSE_PARTIAL_LITERAL_MATCH, false, status);
        if (U_FAILURE(status))
            return;
        if (fast) {
            // The same calendar the parser works on: same zone, same rules.
            calendar_.reset(fmt->getCalendar()->clone());
            for (qsizetype i = 0; i < pattern.size();) {
                const char c = char(pattern.at(i).unicode());
                qsizetype j = i;
                while (j < pattern.size() && pattern.at(j) == QLatin1Char(c))
                    ++j;
                if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
                    shape_.push_back({c, int(j - i)});
                } else {
                    for (qsizetype k = i; k < j; ++k)
                        shape_.push_back({'\0', int(c)});
                    if (c != ' ') {
                        auto known = std::find_if(literals_.begin(), literals_.end(),
                                                  [c](const Literal& l) { return l.character == c; });
                        if (known == literals_.end())
                            known = literals_.insert(known, {c, 0});
                        known->count += int(j - i);
                    }
                }
                i = j;
            }
        }
        fmt_ = std::move(fmt);
    }

    // Seconds since the reference date of the moment the whole text names.
    bool parse(std::string_view text, double& seconds)
    {
        // The general parser takes time that grows faster than the text: a
        // line of a million digits would take minutes. No date is longer
        // than a few characters per letter of its pattern.
        if (!fmt_ || text.empty() || text.size() > maxText_)
            return false;
        // The strict parser matches each literal of the pattern as it
        // stands, with a character of the text of its own (a field takes
        // none of them): a text with fewer of one of them is no date, found
        // out here in nanoseconds instead of microseconds. A numeric file
        // tries every format on its first lines, and "12.5" has a period
        // where "dd.MM.yyyy" has two.
        const char* const end = text.data() + text.size();
        for (const Literal& l : literals_) {
            const char* p = text.data();
            int seen = 0;
            while (seen < l.count
                   && (p = static_cast<const char*>(std::memchr(p, l.character, size_t(end - p))))) {
                ++seen;
                ++p;
            }
            if (seen < l.count)
                return false;
        }
        UDate date = 0;
        switch (fastParse(text, date)) {
        case Fast::Date:
            break;
        case Fast::NoDate:
            return false;
        case Fast::NotCanonical: {
            const icu::UnicodeString u
                = icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), int32_t(text.size())));
            icu::ParsePosition pos(0);
            date = fmt_->parse(u, pos);
            if (pos.getErrorIndex() >= 0 || pos.getIndex() != u.length())
                return false;
            break;
        }
        }
        const double value = Calendar::fromUnixTime(date / 1000.0);
        if (!std::isfinite(value) || std::fabs(value) > Calendar::maxSeconds)
            return false;
        seconds = value;
        return true;
    }

private:
    struct Piece {
        char field; // pattern letter, or '\0' for a literal
        int width; // digits of a field, or the literal character
    };
    std::size_t maxText_;
    std::unique_ptr<icu::SimpleDateFormat> fmt_;
    std::unique_ptr<icu::Calendar> calendar_;
    std::vector<Piece> shape_;
    struct Literal {
        char character;
        int count; // in the pattern
    };
    std::vector<Literal> literals_; // of a numeric pattern, blanks aside

    enum class Fast { Date, NoDate, NotCanonical };

    // Sets the fields the parser would set, on a cleared calendar, and lets
    // the calendar judge them as the parser would.
    Fast fastParse(std::string_view text, UDate& date)
    {
        if (shape_.empty())
            return Fast::NotCanonical;
        int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0, milli = 0;
        size_t i = 0;
        const auto digit = [&](size_t k) { return k < text.size() && text[k] >= '0' && text[k] <= '9'; };
        for (const Piece& p : shape_) {
            if (p.field == '\0') {
                if (i >= text.size() || text[i] != char(p.width))
                    return Fast::NotCanonical;
                ++i;
                continue;
            }
            // Fractions of a second: one to three digits, left-justified.
            const int width = p.field == 'S' ? 3 : p.width;
            int value = 0, n = 0;
            while (n < width && digit(i)) {
                value = value * 10 + (text[i] - '0');
                ++i;
                ++n;
            }
            if (n == 0 || (p.field != 'S' && n != width) || digit(i))
                return Fast::NotCanonical;
            switch (p.field) {
            case 'y':
                year = value;
                break;
            case 'M':
                month = value;
                break;
            case 'd':
                day = value;
                break;
            case 'H':
                hour = value;
                break;
            case 'm':
                minute = value;
                break;
            case 's':
                second = value;
                break;
            case 'S':
                for (; n < 3; ++n)
                    value *= 10;
                milli = value;
                break;
            default:
                return Fast::NotCanonical;
            }
        }
        if (i != text.size())
            return Fast::NotCanonical;
        icu::Calendar& cal = *calendar_;
        cal.clear();
        for (const Piece& p : shape_) {
            switch (p.field) {
            case 'y':
                cal.set(UCAL_YEAR, year);
                break;
            case 'M':
                cal.set(UCAL_MONTH, month - 1);
                break;
            case 'd':
                cal.set(UCAL_DATE, day);
                break;
            case 'H':
                cal.set(UCAL_HOUR_OF_DAY, hour);
                break;
            case 'm':
                cal.set(UCAL_MINUTE, minute);
                break;
            case 's':
                cal.set(UCAL_SECOND, second);
                break;
            case 'S':
                cal.set(UCAL_MILLISECOND, milli);
                break;
            default:
                break;
            }
        }
        UErrorCode status = U_ZERO_ERROR;
        date = cal.getTime(status);
        return U_SUCCESS(status) ? Fast::Date : Fast::NoDate;
    }
};

// The built-in formats in the order they are tried: first those of a date
// with a time, then those of one part only.
constexpr int kTwoPartFormats = 9;
constexpr std::array<const char*, 15> kBuiltInFormats = {
    "yyyy-MM-dd HH:mm:ss",
    "yyyy-MM-dd HH:mm:ss.S",
    "yyyy-MM-dd HH:mm",
    "MM/dd/yyyy HH:mm:ss",
    "MM/dd/yyyy HH:mm:ss.S",
    "MM/dd/yyyy HH:mm",
    "dd.MM.yyyy HH:mm:ss",
    "dd.MM.yyyy HH:mm:ss.S",
    "dd.MM.yyyy HH:mm",
    "yyyy-MM-dd",
    "MM/dd/yyyy",
    "dd.MM.yyyy",
    "HH:mm:ss",
    "HH:mm:ss.S",
    "HH:mm",
};

// The text in Latin-1, or nothing when a character of it has no place there.
std::string latin1(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() > 0xFF)
            return {};
    return text.toLatin1().toStdString();
}

// Recognises the date at the start of a line and writes the line anew with
// the date as seconds. The first built-in format that fits is kept for the
// rest of the import; a line it does not fit has no date.
//
// Lines are bytes as they stand in the file. Plain ASCII lines are cut here;
// others go through the string category's splitting, which knows the Unicode
// blanks.
class DateLines {
public:
    enum Result { Nothing, NoDate, Rewritten };

    DateLines(const QString& separator, const QString& userFormat, bool useUserFormat, const bool& utf8File)
            : separator_(separator)
            , separatorBytes_(separator.toStdString())
            , separatorLatin1_(latin1(separator))
            , utf8File_(utf8File)
    {
        if (!useUserFormat)
            return;
        if (separator_.isEmpty()) {
            // Without a separator the format spans as many words of the line
            // as it has words itself.
            const QStringList words = StringCategory::split(userFormat);
            userWords_ = int(words.size());
            user_ = std::make_unique<DatePattern>(words.join(QLatin1Char(' ')), false);
        } else {
            userWords_ = 1;
            user_ = std::make_unique<DatePattern>(userFormat, false);
        }
    }

    // Nothing: the line holds no field at all, so there was nothing to
    // recognise. The rewritten line goes to `out`, in UTF-8.
    Result parseDateLine(const char* line, size_t len, bool ascii, std::string& out)
    {
        // A date spans at most this many fields; the rest of the line is
        // only walked again when the line is written anew.
        const int needed = user_   ? std::max(userWords_, 1)
            : remembered_ >= 0     ? gn_
            : separator_.isEmpty() ? 2
                                   : 1;
        split(line, len, ascii, size_t(needed));
        const int count = int(fields_.size());
        if (count == 0)
            return Nothing;
        double t = 0;
        if (user_) {
            if (count >= userWords_ && userWords_ > 0 && user_->parse(joined(userWords_), t))
                return rewrite(userWords_, t, out);
            return NoDate;
        }
        if (remembered_ >= 0) {
            if (count >= gn_ && format(remembered_).parse(joined(gn_), t))
                return rewrite(gn_, t, out);
            return NoDate;
        }
        if (!separator_.isEmpty()) {
            for (int i = kTwoPartFormats; i < int(kBuiltInFormats.size()); ++i)
                if (tryBuiltIn(i, 1, t))
                    return rewrite(1, t, out);
            for (int i = 0; i < kTwoPartFormats; ++i)
                if (tryBuiltIn(i, 1, t))
                    return rewrite(1, t, out);
            return NoDate;
        }
        if (count >= 2)
            for (int i = 0; i < kTwoPartFormats; ++i)
                if (tryBuiltIn(i, 2, t))
                    return rewrite(2, t, out);
        for (int i = kTwoPartFormats; i < int(kBuiltInFormats.size()); ++i)
            if (tryBuiltIn(i, 1, t))
                return rewrite(1, t, out);
        return NoDate;
    }

    // The remembered built-in format and the number of fields it spans.
    QString gdf() const
    {
        return remembered_ >= 0 ? QString::fromLatin1(kBuiltInFormats[remembered_]) : QString();
    }
    int gn() const { return remembered_ >= 0 ? gn_ : 0; }

private:
    const QString separator_;
    const std::string separatorBytes_, separatorLatin1_;
    const bool& utf8File_; // settled before the first line that is not ASCII
    std::unique_ptr<DatePattern> user_;
    int userWords_ = 0;
    std::array<std::unique_ptr<DatePattern>, kBuiltInFormats.size()> builtIn_;
    int remembered_ = -1;
    int gn_ = 0;

    // The first fields of the line being read (no more than the date may
    // span); they point into the line or into `owned_`. Kept between lines
    // so that reading them allocates nothing. A line of millions of words
    // takes no more room than one of a few.
    std::vector<std::string_view> fields_;
    std::vector<std::string> owned_;
    std::string joined_, converted_;
    const char* line_ = nullptr;
    size_t length_ = 0;
    bool ascii_ = true;

    // Calls f(field) for every field of the line in order, in UTF-8, until f
    // returns false. With a separator the fields keep their places, empty
    // ones included, so the values after the date stay in their columns.
    // Without one, the words. Plain ASCII lines are cut at blanks and tabs;
    // others at the Unicode blanks, their fields trimmed of Unicode white
    // space, and a Latin-1 line's fields turned into UTF-8 on the way.
    template <typename F> void walk(F&& f)
    {
        const char* p = line_;
        const char* const end = line_ + length_;
        if (separator_.isEmpty()) {
            while (p < end) {
                p = skipBlanks(p, end);
                const char* begin = p;
                p = skipWord(p, end);
                if (p > begin && !f(field(begin, p)))
                    return;
            }
            return;
        }
        const std::string_view sep = lineSeparator();
        for (;;) {
            const char* hit = sep.empty()
                ? nullptr
                : static_cast<const char*>(memmem(p, size_t(end - p), sep.data(), sep.size()));
            const char* fieldEnd = hit ? hit : end;
            const char* a = p;
            const char* b = fieldEnd;
            trim(a, b);
            if (!f(field(a, b)) || !hit)
                return;
            p = hit + sep.size();
        }
    }

    // The separator as it stands in the bytes of the line: none that can
    // stand there in a Latin-1 line of a character past Latin-1.
    std::string_view lineSeparator() const
    {
        if (ascii_ || utf8File_)
            return separatorBytes_;
        return separatorLatin1_;
    }

    // One character of a line that is not plain ASCII, and where the next
    // one starts.
    char32_t character(const char* p, const char* end, const char*& next) const
    {
        const auto byte = [](const char* q) { return static_cast<unsigned char>(*q); };
        const unsigned char c = byte(p);
        next = p + 1;
        if (c < 0x80 || !utf8File_)
            return c;
        const int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        char32_t u = more == 3 ? c & 0x07 : more == 2 ? c & 0x0F : c & 0x1F;
        if (more == 0 || end - p <= more)
            return 0xFFFD;
        for (int k = 1; k <= more; ++k) {
            if ((byte(p + k) & 0xC0) != 0x80)
                return 0xFFFD;
            u = (u << 6) | (byte(p + k) & 0x3F);
        }
        next = p + 1 + more;
        return u;
    }

    bool wordBlank(char32_t c) const
    {
        return c == '\t' || c == ' ' || (c >= 0x80 && QChar::category(c) == QChar::Separator_Space);
    }

    const char* skipBlanks(const char* p, const char* end) const
    {
        while (p < end) {
            const char* next;
            if (!(ascii_ ? isBlank(*p) : wordBlank(character(p, end, next))))
                break;
            p = ascii_ ? p + 1 : next;
        }
        return p;
    }

    const char* skipWord(const char* p, const char* end) const
    {
        while (p < end) {
            const char* next;
            if (ascii_ ? isBlank(*p) : wordBlank(character(p, end, next)))
                break;
            p = ascii_ ? p + 1 : next;
        }
        return p;
    }

    // Trims a separated field: of blanks and tabs in a plain line, of white
    // space as the string category knows it in others.
    void trim(const char*& a, const char*& b) const
    {
        if (ascii_) {
            while (a < b && isBlank(*a))
                ++a;
            while (b > a && isBlank(b[-1]))
                --b;
            return;
        }
        const char* next;
        while (a < b && QChar::isSpace(character(a, b, next)))
            a = next;
        while (b > a) {
            const char* start = b - 1;
            if (utf8File_)
                while (start > a && (static_cast<unsigned char>(*start) & 0xC0) == 0x80)
                    --start;
            if (!QChar::isSpace(character(start, b, next)) || next != b)
                break;
            b = start;
        }
    }

    // The field [a, b) in UTF-8: in place, or converted from Latin-1.
    std::string_view field(const char* a, const char* b)
    {
        if (ascii_ || utf8File_)
            return std::string_view(a, size_t(b - a));
        converted_.clear();
        for (const char* p = a; p < b; ++p) {
            const unsigned char c = static_cast<unsigned char>(*p);
            if (c < 0x80) {
                converted_ += char(c);
            } else {
                converted_ += char(0xC0 | (c >> 6));
                converted_ += char(0x80 | (c & 0x3F));
            }
        }
        return converted_;
    }

    // The first `limit` fields; none when the line has no field (with a
    // separator: nothing but separators and blanks).
    void split(const char* line, size_t len, bool ascii, size_t limit)
    {
        line_ = line;
        length_ = len;
        ascii_ = ascii;
        fields_.clear();
        owned_.clear();
        owned_.reserve(limit); // the views into it stay valid
        bool any = false;
        walk([&](std::string_view f) {
            if (fields_.size() < limit) {
                if (f.data() == converted_.data()) {
                    owned_.emplace_back(f);
                    f = owned_.back();
                }
                fields_.push_back(f);
            }
            any = any || !f.empty();
            return fields_.size() < limit || !any;
        });
        if (!any)
            fields_.clear();
    }

    std::string_view joined(int count)
    {
        if (count == 1)
            return fields_[0];
        joined_.clear();
        for (int i = 0; i < count; ++i) {
            if (i)
                joined_ += ' ';
            joined_ += fields_[size_t(i)];
        }
        return joined_;
    }

    DatePattern& format(int i)
    {
        if (!builtIn_[size_t(i)])
            builtIn_[size_t(i)]
                = std::make_unique<DatePattern>(QString::fromLatin1(kBuiltInFormats[size_t(i)]), true);
        return *builtIn_[size_t(i)];
    }

    bool tryBuiltIn(int i, int count, double& t)
    {
        if (!format(i).parse(joined(count), t))
            return false;
        remembered_ = i;
        gn_ = count;
        return true;
    }

    // The line without its first `count` fields, led by the seconds with six
    // decimals.
    Result rewrite(int count, double t, std::string& out)
    {
        char number[400];
        const auto end = std::to_chars(number, number + sizeof number, t, std::chars_format::fixed, 6).ptr;
        out.assign(number, end);
        const std::string_view glue
            = separator_.isEmpty() ? std::string_view(" ") : std::string_view(separatorBytes_);
        int skip = count;
        walk([&](std::string_view f) {
            if (skip > 0) {
                --skip;
            } else {
                out += glue;
                out += f;
            }
            return true;
        });
        return Rewritten;
    }
};

bool isAscii(const std::string& s)
{
    for (const char c : s)
        if (static_cast<unsigned char>(c) > 0x7F)
            return false;
    return true;
}

// ---------------------------------------------------------------------------
// Lines to points

class Reader {
public:
    Reader(const ASCIIImport::ImportOptions& o, QString source, QString comment, const BufferDefaults& style)
            : mode_(o.mode)
            , separator_(o.separator.toUtf8())
            , ignore_(o.ignoreText.toUtf8())
            , cut_(o.commentText.toUtf8())
            , numericOnly_(o.numericLinesOnly)
            , blankCommas_(o.separator.isEmpty() && o.commaSeparates)
            , blankPeriods_(o.separator.isEmpty() && o.periodSeparates)
            , xIndex_(o.noXColumn || o.xColumn < 1 ? -1 : o.xColumn - 1)
            , source_(std::move(source))
            , comment_(std::move(comment))
            , style_(style)
    {
        if (!o.noTime)
            dates_ = std::make_unique<DateLines>(o.separator, o.timeFormat, o.useTimeFormat, utf8_);
        if (mode_ == ASCIIImport::ErrorMode)
            errors_ = newBuffer();
        else
            single_ = newBuffer();
        empty_.fill(0);
        setUpQuickLines();
    }

    enum class Outcome { Read, NotText, Unreadable };

    // One pass over the text, a piece at a time. While the date recognition
    // is still deciding, lines go one by one to the careful reader; after
    // that, plain lines are read quickly (on several threads for a large
    // piece) and the others still go to the careful reader, all in order.
    Outcome readAll(AsciiTextFile& file)
    {
        file_ = &file;
        // Every point takes a number, and every number at least one byte:
        // all reservations together never need more than that. Without this
        // bound one wide line early in a long file would reserve the rest of
        // the file for each of its columns.
        reserveBudget_ = file.size() + 1;
        std::string_view piece;
        while (file.next(piece)) {
            piece_ = piece.data();
            const char* p = piece.data();
            const char* const end = p + piece.size();
            position_ = file.pieceStart();
            if (lineBytes_ == 0)
                measureLines(p, piece.size());
            if (p < end && (!quick_ || !datesSettled())) {
                if (!finishRounds() || !settleAlongside(p, end))
                    return Outcome::NotText;
                if (!carefulLines(p, end, true))
                    return Outcome::NotText;
            }
            if (p < end && !readQuickly(p, size_t(end - p), file.pieceStart() + size_t(p - piece.data())))
                return Outcome::NotText;
            if (!finishCarefulRounds())
                return Outcome::NotText;
        }
        if (!finishRounds())
            return Outcome::NotText;
        return file.failed() ? Outcome::Unreadable : Outcome::Read;
    }

    // The buffers that got points, in the order they go to the document.
    std::vector<std::unique_ptr<DataBuffer>> takeBuffers()
    {
        for (DataBuffer* b : {single_.get(), errors_.get()})
            if (b)
                fitCapacity(*b);
        for (const auto& b : columns_)
            fitCapacity(*b);
        if (sharedX_.capacity() > 2 * sharedX_.size() + 1024)
            sharedX_.shrink_to_fit();
        std::vector<std::unique_ptr<DataBuffer>> out;
        // The one column in step holds every point: the extents of its x
        // and y values are known but for the values that came last.
        known_ = pairsInStep() && !sharedX_.empty() && columns_[0]->Y.size() == sharedX_.size();
        if (known_) {
            seen_[0].catchUp(sharedX_);
            seen_[1].catchUp(columns_[0]->Y.mutableVector());
        }
        if (errors_) {
            if (!errors_->X.empty())
                out.push_back(std::move(errors_));
            return out;
        }
        bool columnPoints = false;
        for (const auto& b : columns_)
            columnPoints = columnPoints || !b->Y.empty();
        // The columns still in step get the x values, one column between
        // them: a file of many dense columns holds its x values once.
        const SharedColumn x(std::move(sharedX_));
        for (std::size_t k = 0; k < columns_.size(); ++k)
            if (inStep_[k])
                columns_[k]->X = x;
        if (columnPoints)
            out = std::move(columns_);
        else if (!single_->X.empty())
            out.push_back(std::move(single_));
        return out;
    }

    // The finite extents of the x and y values of the one buffer of
    // takeBuffers(), when they are known.
    const DataBuffer::FiniteExtent* knownExtents(size_t column) const
    {
        return known_ ? &seen_[column].extent : nullptr;
    }

    bool sawDate() const { return sawDate_; }
    const DateLines* dates() const { return dates_.get(); }

private:
    using Flags = std::array<unsigned char, ASCIIImport::maxFields>;

    const int mode_;
    const QByteArray separator_, ignore_, cut_;
    const bool numericOnly_, blankCommas_, blankPeriods_;
    const int xIndex_;
    const QString source_, comment_;
    const BufferDefaults style_;
    bool utf8_ = true; // read from the file before the first line that is not ASCII
    AsciiTextFile* file_ = nullptr;
    const char* piece_ = nullptr; // the piece of the text being read
    std::unique_ptr<AsciiFastLines> quick_;
    // A round of parts read together: where they are in their piece (cut
    // after line feeds) and what was read.
    struct Round {
        std::vector<size_t> bounds;
        std::vector<AsciiFastLines::Result> parts;
        // Per part: how many rows of an x and a y value (both there) it
        // gave, when it gave nothing else, else kMixed.
        std::vector<size_t> pairs;
        size_t count = 0;
        const char* text = nullptr; // the piece: the careful lines point into it
        size_t offset = 0; // of the piece in the text
    };
    static constexpr size_t kMixed = size_t(-1);
    // The rounds read and not yet in the buffers, oldest first, from
    // rounds_[head_] on: each round is read into the one after those queued.
    std::array<Round, 2> rounds_;
    size_t head_ = 0;
    size_t queued_ = 0;
    std::vector<std::exception_ptr> failures_; // of the tasks of a batch
    // How far the pages of the shared x values and of y are known to be
    // present, while the columns stay where they were, and the runs of them
    // to make present in this batch.
    struct Present {
        const double* data = nullptr;
        size_t end = 0;
    };
    std::array<Present, 2> present_;
    // The extents of the shared x values and of the one column's y values,
    // of their first `end` values: a task that appends a round to one of
    // them takes in what was written, while it is still in cache.
    struct Seen {
        DataBuffer::FiniteExtent extent;
        size_t end = 0;
        void catchUp(const std::vector<double>& v)
        {
            extent.widen(v.data(), end, v.size());
            end = v.size();
        }
    };
    std::array<Seen, 2> seen_;
    bool known_ = false;
    std::vector<std::span<double>> populating_;
    static constexpr size_t kPartBytes = 256 * 1024; // the least text worth a thread
    std::string scratch_;

    std::unique_ptr<DateLines> dates_;
    int failedDateLines_ = 0;
    bool sawDate_ = false;
    std::string rewritten_;

    std::unique_ptr<DataBuffer> single_, errors_;
    std::vector<std::unique_ptr<DataBuffer>> columns_;
    // The x values of the columns that got a point in every row so far (they
    // hold no x values of their own until they fall out of step), and which
    // columns those are.
    std::vector<double> sharedX_;
    std::vector<unsigned char> inStep_;
    double singleCount_ = 0;
    double rowCount_ = 0;
    std::array<double, ASCIIImport::maxFields> values_{};
    Flags empty_{}; // separator mode: the field held nothing

    size_t position_ = 0; // of the line being read, in the text
    double lineBytes_ = 0; // bytes per line, measured at the start of the text
    size_t reserveBudget_ = 0; // points that may still be reserved

    // A buffer never gets more points than there are lines left when it is
    // made: reserving about that much spares the copies of a growing column.
    // The lines left are judged from the bytes left and the length of the
    // first lines, with a margin; a column that outgrows it just grows.
    void measureLines(const char* p, size_t n)
    {
        const size_t sample = std::min<size_t>(n, 256 * 1024);
        size_t breaks = countByte(p, sample, '\n');
        if (breaks == 0)
            breaks = countByte(p, sample, '\r');
        lineBytes_ = double(std::max<size_t>(sample, 1)) / double(breaks + 1);
    }

    size_t linesLeft() const
    {
        const size_t bytesLeft = file_ && file_->size() > position_ ? file_->size() - position_ : 0;
        return size_t(double(bytesLeft) / std::max(lineBytes_, 1.0) * 1.1) + 16;
    }

    void reserveLinesLeft(std::initializer_list<std::vector<double>*> columns)
    {
        const size_t n = std::min(linesLeft(), reserveBudget_);
        reserveBudget_ -= n;
        if (n == 0)
            return;
        for (std::vector<double>* v : columns) {
            v->reserve(v->size() + n);
            HugePages::advise(v->data(), v->capacity() * sizeof(double));
        }
    }

    void reserveLinesLeft(DataBuffer& b, bool errors)
    {
        if (errors)
            reserveLinesLeft(
                {&b.X.mutableVector(), &b.Y.mutableVector(), &b.EX.mutableVector(), &b.EY.mutableVector()});
        else
            reserveLinesLeft({&b.X.mutableVector(), &b.Y.mutableVector()});
    }

    // A column of a ragged file may have got far fewer points than were
    // reserved for it.
    static void fitCapacity(DataBuffer& b)
    {
        for (SharedColumn* v : {&b.X, &b.Y, &b.EX, &b.EY})
            if (v->capacity() > 2 * v->size() + 1024)
                v->shrink_to_fit();
    }

    bool datesSettled() const { return !dates_ || failedDateLines_ > ASCIIImport::maxFailedDateLines; }

    // The quick reader stands in for the careful one where the settings
    // allow: one separator byte (or none), and texts to cut at and to ignore
    // that the blanking of commas and periods does not touch.
    void setUpQuickLines()
    {
        AsciiFastLines::Syntax syntax;
        syntax.whitespace = separator_.isEmpty();
        if (separator_.size() > 1)
            return;
        if (!syntax.whitespace)
            syntax.separator = separator_[0];
        syntax.commaBlank = blankCommas_;
        syntax.periodBlank = blankPeriods_;
        syntax.cut = cut_.toStdString();
        syntax.ignore = ignore_.toStdString();
        for (const std::string* t : {&syntax.cut, &syntax.ignore})
            if ((blankCommas_ && t->find(',') != std::string::npos)
                || (blankPeriods_ && t->find('.') != std::string::npos))
                return;
        syntax.numericOnly = numericOnly_;
        syntax.maxFields = ASCIIImport::maxFields;
        quick_ = std::make_unique<AsciiFastLines>(syntax);
    }

    // One line of the text (without its line feed) through the careful
    // reader, on a copy: it may hold several lines by other breaks. False
    // for a NUL byte, which makes the file no text.
    bool careful(const char* p, size_t len)
    {
        if (std::memchr(p, '\0', len))
            return false;
        for (size_t i = 0; i < len; ++i) {
            if (static_cast<unsigned char>(p[i]) >= 0x80) {
                utf8_ = file_->utf8();
                break;
            }
        }
        scratch_.assign(p, len);
        // Replacing per line or in the whole text is the same: neither
        // character is part of a line break or of a multi-byte character.
        if (blankCommas_)
            blankOut(scratch_.data(), len, ',');
        if (blankPeriods_)
            blankOut(scratch_.data(), len, '.');
        forEachLine(scratch_.data(), len, utf8_,
                    [this](char* q, size_t n, bool ascii) { line(q, n, ascii); });
        return true;
    }

    Round& queued(size_t i) { return rounds_[(head_ + i) % rounds_.size()]; }
    // The round the next one is read into (queued_ < rounds_.size()).
    Round& freeRound() { return queued(queued_); }

    // The lines from p on through the careful reader, up to `end` or, with
    // `untilSettled`, until the date recognition has settled. False for a
    // line that makes the file no text.
    bool carefulLines(const char*& p, const char* end, bool untilSettled)
    {
        while (p < end && !(untilSettled && quick_ && datesSettled())) {
            const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
            const char* e = nl ? nl : end;
            if (!careful(p, size_t(e - p)))
                return false;
            p = nl ? nl + 1 : end;
            position_ = file_->pieceStart() + size_t(p - piece_);
        }
        return true;
    }

    // The date recognition looks at the first lines one by one, and most
    // files have settled it after a known number of them. While those lines
    // go through the careful reader, the lines after them are read quickly
    // on the other threads, and the next piece of the file is read ahead.
    // When it has settled by then, the careful reader gave the lines after
    // that what the quick reader would have given them, and the round read
    // goes on to the buffers; otherwise the round is dropped and the careful
    // reader goes on. p moves past what was read. False for a line that
    // makes the file no text.
    bool settleAlongside(const char*& p, const char* end)
    {
        if (!quick_ || datesSettled())
            return true;
        // Some more lines than the recognition needs at least, for a blank
        // line or two among them.
        size_t lines = size_t(ASCIIImport::maxFailedDateLines + 1 - failedDateLines_) + 16;
        const char* guess = p;
        while (lines-- > 0 && guess < end) {
            const void* nl = std::memchr(guess, '\n', size_t(end - guess));
            guess = nl ? static_cast<const char*>(nl) + 1 : end;
        }
        const size_t n = size_t(end - guess);
        const size_t threads = ParallelRanges::threadsFor(n, kPartBytes);
        if (threads == 1)
            return true;
        size_t roundEnd = n;
        if (n > 2 * threads * kPartBytes) {
            const size_t at = threads * kPartBytes;
            const void* nl = std::memchr(guess + at, '\n', n - at);
            roundEnd = nl ? size_t(static_cast<const char*>(nl) - guess) + 1 : n;
        }
        Round& round = freeRound();
        const size_t offset = file_->pieceStart() + size_t(guess - piece_);
        cut(round, guess, offset, 0, roundEnd, threads);
        const char* from = p;
        if (!step(&round, file_->startReadAhead(), [&] { return carefulLines(from, guess, false); }))
            return false;
        p = guess;
        if (!datesSettled()) {
            queued_ = 0;
            return true;
        }
        p = guess + roundEnd;
        position_ = offset + roundEnd;
        return true;
    }

    // Lines [p, p + n) of the text at `offset`: read quickly in parts, in
    // rounds of a few parts per thread, so the values waiting for their
    // turn stay few and the next round reads into the same memory, still in
    // cache. With several threads, each batch of work keeps every thread
    // busy: the threads read a round while the round read before it goes
    // to the buffers, and read the next piece of the file ahead. A round
    // may wait for the next piece.
    bool readQuickly(const char* p, size_t n, size_t offset)
    {
        const size_t threads = ParallelRanges::threadsFor(n, kPartBytes);
        if (threads == 1) {
            if (!finishRounds())
                return false;
            Round& round = freeRound();
            cut(round, p, offset, 0, n, 1);
            for (size_t k = 0; k < round.count; ++k)
                readPart(round, k);
            return apply(round);
        }
        size_t ahead = file_->startReadAhead();
        const size_t roundBytes = 2 * threads * kPartBytes;
        for (size_t start = 0; start < n;) {
            size_t end = n;
            if (n - start > roundBytes + roundBytes / 2) {
                const void* nl = std::memchr(p + start + roundBytes, '\n', n - start - roundBytes);
                end = nl ? size_t(static_cast<const char*>(nl) - p) + 1 : n;
            }
            while (queued_ == rounds_.size())
                if (!step(nullptr, 0))
                    return false;
            Round& next = freeRound();
            cut(next, p, offset, start, end, threads);
            if (!step(&next, ahead))
                return false;
            ahead = 0;
            start = end;
        }
        return true;
    }

    // The rounds that point into the piece read (their careful lines) go to
    // the buffers before the piece goes.
    bool finishCarefulRounds()
    {
        for (size_t i = 0; i < queued_; ++i)
            for (size_t k = 0; k < queued(i).count; ++k)
                if (!queued(i).parts[k].careful.empty())
                    return finishRounds();
        return true;
    }

    // All rounds read into the buffers. False for a line that makes the
    // file no text.
    bool finishRounds()
    {
        while (queued_ > 0)
            if (!step(nullptr, 0))
                return false;
        return true;
    }

    // One batch of work on all threads. The parts of `reading` are read;
    // the oldest round read before goes to the buffers: when it gave only
    // plain rows of the one column in step, its x and its y values are
    // appended to their columns by two tasks of their own, else its lines
    // are applied one by one; and `ahead` blocks of the file are read ahead.
    // False for a line that makes the file no text.
    //
    // With nothing queued, `alone` may stand in for the round applied: work
    // of the calling thread's that goes along with the others.
    bool step(Round* reading, size_t ahead, const std::function<bool()>& alone = {})
    {
        Round* const waiting = queued_ > 0 ? &queued(0) : nullptr;
        size_t appends = 0, applies = alone && !waiting ? 1 : 0;
        std::vector<double>* y = waiting && pairsInStep() ? &columns_[0]->Y.mutableVector() : nullptr;
        populating_.clear();
        if (waiting) {
            const size_t rows = y ? plainRows(*waiting) : kMixed;
            if (rows != kMixed) {
                appends = 2;
                rowCount_ += double(rows);
                position_ = waiting->offset + waiting->bounds[waiting->count];
                // Pages are made present only while the columns cannot move.
                if (sharedX_.capacity() - sharedX_.size() >= rows && y->capacity() - y->size() >= rows)
                    populateAhead({&sharedX_, y}, rows);
            } else {
                applies = 1;
            }
        }
        const size_t reads = reading ? reading->count : 0;
        const size_t populates = populating_.size();
        const size_t tasks = appends + populates + applies + ahead + reads;
        bool applied = true;
        failures_.assign(tasks, nullptr);
        const auto task = [&](size_t k) {
            const size_t index = k;
            try {
                if (k < appends) {
                    std::vector<double>& column = k == 0 ? sharedX_ : *y;
                    for (size_t part = 0; part < waiting->count; ++part)
                        appendColumn(column, waiting->parts[part].values.data(), int(k),
                                     waiting->pairs[part]);
                    seen_[k].catchUp(column);
                    return;
                }
                k -= appends;
                if (k < populates) {
                    HugePages::populate(populating_[k].data(), populating_[k].size_bytes());
                    return;
                }
                k -= populates;
                if (k < applies) {
                    applied = waiting ? apply(*waiting) : alone();
                    return;
                }
                k -= applies;
                if (k < ahead) {
                    file_->readAhead(k);
                    return;
                }
                k -= ahead;
                readPart(*reading, k);
                reading->pairs[k] = plainPairs(reading->parts[k]);
            } catch (...) {
                failures_[index] = std::current_exception();
            }
        };
        // The tasks go one at a time to the next thread free, longest first.
        std::atomic<size_t> next{0};
        const size_t threads = std::min(tasks, ParallelRanges::threadsFor(tasks, 1));
        ParallelRanges::run(threads, 1, [&](size_t, size_t) {
            for (size_t k; (k = next.fetch_add(1)) < tasks;)
                task(k);
        });
        for (const std::exception_ptr& failure : failures_)
            if (failure)
                std::rethrow_exception(failure);
        if (!applied)
            return false;
        if (waiting) {
            head_ = (head_ + 1) % rounds_.size();
            --queued_;
        }
        if (reading)
            ++queued_; // it is freeRound()
        return true;
    }

    // The pages of the columns that the rows of the next round will take
    // (about as many as this one's), made present by tasks of their own:
    // the threads that append a round to the columns then write memory that
    // is there instead of waiting while the kernel clears page after page.
    void populateAhead(std::initializer_list<std::vector<double>*> columns, size_t rows)
    {
        constexpr size_t kChunk = (size_t(2) << 20) / sizeof(double);
        const size_t left = linesLeft();
        size_t c = 0;
        for (std::vector<double>* v : columns) {
            Present& present = present_[c++];
            if (present.data != v->data())
                present = {v->data(), v->size()};
            const size_t from = std::max(present.end, v->size() + rows);
            // Never beyond the rows the rest of the text may hold: the
            // columns' last pages stay untouched where the file ends.
            const size_t to
                = std::min({v->capacity(), v->size() + 2 * rows + rows / 4, v->size() + rows + left});
            for (size_t at = from; at < to; at += kChunk)
                populating_.emplace_back(v->data() + at, std::min(kChunk, to - at));
            present.end = std::max(present.end, to);
        }
    }

    // The parts of [start, end) of the piece p at `offset`, cut after line
    // feeds: a few per thread, which take the next part free, so that a
    // thread the machine holds back leaves its share to the others.
    void cut(Round& r, const char* p, size_t offset, size_t start, size_t end, size_t threads) const
    {
        constexpr size_t kPartsPerThread = 4;
        const size_t n = end - start;
        const size_t parts
            = std::min(kPartsPerThread * threads, std::max<size_t>(1, n * kPartsPerThread / kPartBytes));
        r.bounds.assign(parts + 1, end);
        r.bounds[0] = start;
        for (size_t k = 1; k < parts; ++k) {
            size_t at = std::max(r.bounds[k - 1], start + n / parts * k);
            const void* nl = at < end ? std::memchr(p + at, '\n', end - at) : nullptr;
            r.bounds[k] = nl ? size_t(static_cast<const char*>(nl) - p) + 1 : end;
        }
        if (r.parts.size() < parts)
            r.parts.resize(parts);
        r.pairs.resize(parts);
        r.count = parts;
        r.text = p;
        r.offset = offset;
    }

    void readPart(Round& r, size_t k) const
    {
        AsciiFastLines::Result& out = r.parts[k];
        out.clear();
        quick_->read(r.text + r.bounds[k], r.bounds[k + 1] - r.bounds[k], r.bounds[k], out);
    }

    // The rows of x and y values of a part that holds nothing else (lines
    // that give nothing aside), or kMixed.
    static size_t plainPairs(const AsciiFastLines::Result& r)
    {
        if (!r.careful.empty() || r.values.size() % 2 != 0)
            return kMixed;
        bool other = false;
        for (size_t i = 0; i < r.lines.size(); ++i) {
            const std::int32_t kind = r.lines[i];
            other |= kind != 2 && kind != 0 && kind != AsciiFastLines::Skip;
        }
        unsigned char empty = 0;
        for (size_t i = 0; i < r.empty.size(); ++i)
            empty |= r.empty[i];
        return other || empty ? kMixed : r.values.size() / 2;
    }

    static size_t plainRows(const Round& round)
    {
        size_t rows = 0;
        for (size_t k = 0; k < round.count; ++k) {
            if (round.pairs[k] == kMixed)
                return kMixed;
            rows += round.pairs[k];
        }
        return rows;
    }

    // The lines of a round that was read, in order, to the buffers. False
    // for a line that makes the file no text.
    bool apply(const Round& round)
    {
        const char* const p = round.text;
        for (size_t k = 0; k < round.count; ++k) {
            const AsciiFastLines::Result& r = round.parts[k];
            position_ = round.offset + round.bounds[k];
            size_t value = 0, nextCareful = 0;
            for (size_t line = 0; line < r.lines.size();) {
                const std::int32_t kind = r.lines[line];
                if (kind == 2 && pairsInStep()) {
                    if (const size_t rows = addPairs(r, line, value)) {
                        line += rows;
                        value += 2 * rows;
                        continue;
                    }
                }
                ++line;
                if (kind == AsciiFastLines::Skip)
                    continue;
                if (kind == AsciiFastLines::Careful) {
                    if (!careful(p + r.careful[nextCareful], r.careful[nextCareful + 1]))
                        return false;
                    nextCareful += 2;
                    continue;
                }
                // Lines hold a few values: a plain loop, not a call per line.
                for (std::int32_t i = 0; i < kind; ++i)
                    values_[size_t(i)] = r.values[value + size_t(i)];
                if (!r.empty.empty())
                    for (std::int32_t i = 0; i < kind; ++i)
                        empty_[size_t(i)] = r.empty[value + size_t(i)];
                value += size_t(kind);
                if (mode_ == ASCIIImport::ErrorMode)
                    addErrorPoint(kind);
                else
                    addColumnPoints(kind);
            }
        }
        return true;
    }

    // Whether rows of an x value and one y value may go to their columns by
    // addPairs: the one column is made and in step with the shared x values.
    bool pairsInStep() const
    {
        return mode_ != ASCIIImport::ErrorMode && xIndex_ == 0 && columns_.size() == 1 && inStep_[0];
    }

    // What addColumnPoints does with each row of an x and a y value, both
    // there, without its bookkeeping, for the run of such rows from `line`
    // on. Returns how many rows were taken.
    size_t addPairs(const AsciiFastLines::Result& r, size_t line, size_t value)
    {
        const std::int32_t* kinds = r.lines.data() + line;
        const size_t most = r.lines.size() - line;
        const unsigned char* empty = r.empty.empty() ? nullptr : r.empty.data() + value;
        size_t rows = 0;
        while (rows < most && kinds[rows] == 2 && !(empty && (empty[2 * rows] | empty[2 * rows + 1])))
            ++rows;
        if (rows == 0)
            return 0;
        // The run's x and y values straight into their places.
        appendColumn(sharedX_, r.values.data() + value, 0, rows);
        appendColumn(columns_[0]->Y.mutableVector(), r.values.data() + value, 1, rows);
        rowCount_ += double(rows);
        return rows;
    }

    std::unique_ptr<DataBuffer> newBuffer() const
    {
        auto b = std::make_unique<DataBuffer>(style_);
        b->setSource(source_);
        b->setComment(comment_);
        return b;
    }

    static void blankOut(char* p, size_t len, char c)
    {
        char* const end = p + len;
        while ((p = static_cast<char*>(std::memchr(p, c, size_t(end - p)))))
            *p++ = ' ';
    }

    void line(char* p, size_t len, bool ascii)
    {
        if (dates_ && failedDateLines_ <= ASCIIImport::maxFailedDateLines && !allBlank(p, len)) {
            switch (dates_->parseDateLine(p, len, ascii, rewritten_)) {
            case DateLines::Nothing:
                break;
            case DateLines::NoDate:
                ++failedDateLines_;
                break;
            case DateLines::Rewritten:
                sawDate_ = true;
                if (isAscii(rewritten_))
                    readLine(rewritten_.data(), rewritten_.size());
                return;
            }
        }
        if (ascii)
            readLine(p, len);
    }

    static bool allBlank(const char* p, size_t len)
    {
        for (size_t i = 0; i < len; ++i)
            if (!isBlank(p[i]))
                return false;
        return true;
    }

    void readLine(char* p, size_t len)
    {
        if (!cut_.isEmpty()) {
            if (void* hit = memmem(p, len, cut_.constData(), size_t(cut_.size()))) {
                len = size_t(static_cast<char*>(hit) - p);
                p[len] = '\0';
            }
        }
        if (len == 0)
            return;
        if (numericOnly_) {
            const char* q = p;
            while (isBlank(*q))
                ++q;
            const char c = *q;
            if (!(c >= '0' && c <= '9') && c != '+' && c != ',' && c != '-' && c != '.')
                return;
        }
        if (!ignore_.isEmpty() && memmem(p, len, ignore_.constData(), size_t(ignore_.size())))
            return;
        const int n = separator_.isEmpty() ? parseNumbersInLine(p, values_.data(), ASCIIImport::maxFields)
                                           : readFields(p, len);
        if (mode_ == ASCIIImport::ErrorMode)
            addErrorPoint(n);
        else
            addColumnPoints(n);
    }

    // The number of each field; a field of blanks only counts as empty.
    int readFields(char* p, size_t len)
    {
        const char* sep = separator_.constData();
        const size_t sepLen = size_t(separator_.size());
        char* const end = p + len;
        int n = 0;
        for (;;) {
            char* hit = sepLen == 1 ? static_cast<char*>(std::memchr(p, *sep, size_t(end - p)))
                                    : static_cast<char*>(memmem(p, size_t(end - p), sep, sepLen));
            char* const fieldEnd = hit ? hit : end;
            char* q = p;
            while (q < fieldEnd && isBlank(*q))
                ++q;
            if (q == fieldEnd) {
                values_[n] = 0;
                empty_[n] = 1;
            } else {
                // parseNumber reads to the end of its text, and the
                // separator may well be a character of a number.
                const char saved = *fieldEnd;
                *fieldEnd = '\0';
                values_[n] = parseNumber(q);
                *fieldEnd = saved;
                empty_[n] = 0;
            }
            ++n;
            if (!hit || n == ASCIIImport::maxFields)
                return n;
            p = hit + sepLen;
        }
    }

    void addColumnPoints(int n)
    {
        if (n == 1 && !empty_[0]) {
            if (single_->X.empty())
                reserveLinesLeft(*single_, false);
            single_->quickAddDoubleValue(singleCount_++, values_[0]);
        }
        if (n <= 0 || xIndex_ >= n)
            return;
        // A row without its x value has nothing to place its values at.
        if (xIndex_ < 0 || !empty_[xIndex_]) {
            const double x = xIndex_ < 0 ? rowCount_ : values_[xIndex_];
            const int count = n - (xIndex_ >= 0 ? 1 : 0);
            // New columns first: one is in step when nothing has gone to the
            // shared x values yet, as it has nothing itself.
            while (int(columns_.size()) < count) {
                columns_.push_back(newBuffer());
                const bool first = sharedX_.empty();
                inStep_.push_back(first ? 1 : 0);
                if (first && sharedX_.capacity() == 0)
                    reserveLinesLeft({&sharedX_});
                if (first)
                    reserveLinesLeft({&columns_.back()->Y.mutableVector()});
                else
                    reserveLinesLeft(*columns_.back(), false);
            }
            // The field of column k, and whether the row has a value there.
            const auto field = [this](int k) { return xIndex_ >= 0 && k >= xIndex_ ? k + 1 : k; };
            const auto gets = [&](int k) { return k < count && !empty_[field(k)]; };
            bool sharedGrows = false;
            for (int k = 0; k < int(columns_.size()) && !sharedGrows; ++k)
                sharedGrows = inStep_[std::size_t(k)] && gets(k);
            for (int k = 0; k < int(columns_.size()); ++k) {
                DataBuffer& b = *columns_[std::size_t(k)];
                if (inStep_[std::size_t(k)]) {
                    if (gets(k)) {
                        b.Y.push_back(values_[field(k)]);
                        continue;
                    }
                    if (!sharedGrows)
                        continue;
                    // It misses a row the others have: from now on it keeps
                    // x values of its own.
                    inStep_[std::size_t(k)] = 0;
                    b.X = sharedX_;
                    reserveLinesLeft({&b.X.mutableVector()});
                    continue;
                }
                if (gets(k))
                    b.quickAddDoubleValue(x, values_[field(k)]);
            }
            if (sharedGrows)
                sharedX_.push_back(x);
        }
        ++rowCount_;
    }

    void addErrorPoint(int n)
    {
        if (n < 2 || n > 4 || empty_[0] || empty_[1])
            return;
        const double ex = n == 4 ? values_[2] : 0;
        const double ey = n == 4 ? values_[3] : n == 3 ? values_[2] : 0;
        if (errors_->X.empty())
            reserveLinesLeft(*errors_, true);
        errors_->quickAddDoubleValueError(values_[0], values_[1], ex, ey);
    }
};

QString quoted(const QString& path)
{
    return QLatin1Char('"') + path + QLatin1Char('"');
}

} // namespace

Outcome ASCIIImport::importFile(VexaDocument& document, const ImportOptions& options)
{
    if (options.mode != ColumnMode && options.mode != ErrorMode)
        return Outcome::empty(QStringLiteral("Unknown import mode %1").arg(options.mode));
    const QString& path = options.path;
    const auto failed = [](const QString& message) { return Outcome::failed(message, alertTitle()); };
    try {
        AsciiTextFile file;
        if (const Outcome opened = file.open(path); !opened.ok())
            return opened.titled(alertTitle());

        Reader reader(options, options.source.isEmpty() ? path : options.source,
                      options.comment.isEmpty() ? QStringLiteral("Import") : options.comment,
                      document.defaults.buffer);
        switch (reader.readAll(file)) {
        case Reader::Outcome::Read:
            break;
        case Reader::Outcome::NotText:
            return failed(QStringLiteral("The file %1 is not a text file").arg(quoted(path)));
        case Reader::Outcome::Unreadable:
            return failed(QStringLiteral("The file %1 can not be read").arg(quoted(path)));
        }

        document.gdf = reader.dates() ? reader.dates()->gdf() : QString();
        document.gn = reader.dates() ? reader.dates()->gn() : 0;
        std::vector<std::unique_ptr<DataBuffer>> made = reader.takeBuffers();
        if (made.empty())
            return Outcome::empty(QStringLiteral("No numbers were found in %1").arg(quoted(path)));

        document.DB.reserve(document.DB.size() + made.size());
        for (auto& b : made) {
            if (reader.knownExtents(0))
                b->rescale(*reader.knownExtents(0), *reader.knownExtents(1));
            else
                b->rescale();
            document.DB.push_back(std::move(b));
        }
        // The rescale below replots, and with it the time axis.
        if (reader.sawDate())
            document.setAxis(AxisX1, &AxisSettings::axismode, int(AxisTime), VexaDocument::Redraw::Later);
        ManagerServices* manager = document.M ? document.M : &ManagerServices::idle();
        document.rescale(true, manager->axis12());
        return Outcome::done();
    } catch (const std::bad_alloc&) {
        return failed(QStringLiteral("The file %1 is too large to import").arg(quoted(path)));
    }
}

Outcome ASCIIImport::importText(VexaDocument& document, const QString& text, ImportOptions options)
{
    const QByteArray bytes = text.toUtf8();
    if (bytes.contains('\0'))
        return Outcome::empty(QStringLiteral("The text is not plain text"));
    QString error;
    std::unique_ptr<TempFile> file = makeTempFile(QStringLiteral(".tmp"), &error);
    if (!file || !file->write(bytes) || !file->close())
        return Outcome::failed(QStringLiteral("The text could not be stored for the import: %1")
                                   .arg(error.isEmpty() ? QStringLiteral("write error") : error),
                               alertTitle());
    options.path = file->path();
    return importFile(document, options);
}
