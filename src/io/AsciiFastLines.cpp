#include "io/AsciiFastLines.h"

#include "platform/CpuFeatures.h"

#include <fast_float/fast_float.h>

#include <cstdint>
#include <cstring>
#include <string.h> // memmem
#include <string_view>
#include <system_error>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define VEXA_FAST_LINES_AVX2 1
#endif

namespace {

// What a byte may be to the wide reader of lines; 0 for a byte it leaves to
// the others.
enum ByteClass : unsigned char {
    Digit = 1,
    Delimiter = 2, // ends a word: a blank, a separator, the line feed
    Period = 4,
    Minus = 8,
    Plus = 16,
    LineFeed = 32,
    Separator = 64, // between fields, the line feed too
};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

constexpr std::uint64_t kHigh = 0x8080808080808080ull;

// Whether a word of bytes below 0x80 holds a control character other than
// a tab: exact per byte, as no byte carries into the next.
bool hasControl(std::uint64_t w)
{
    const std::uint64_t control = ~(w + 0x6060606060606060ull) & kHigh; // bytes below 0x20
    if (!control)
        return false;
    const std::uint64_t tab = ~((w ^ 0x0909090909090909ull) + 0x7F7F7F7F7F7F7F7Full) & kHigh;
    return (control & ~tab) != 0;
}

// Printable ASCII and tabs, eight bytes at a time: anything else (a byte
// above 0x7F, CR, VT, FF, NUL or another control) sends the line to the
// careful reader. Whole words may be read up to `limit`; bytes past the
// line count as blanks.
bool isPlain(const char* p, std::size_t n, const char* limit)
{
    std::size_t i = 0;
    for (; n - i >= 8; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        if ((w & kHigh) || hasControl(w))
            return false;
    }
    if (i == n)
        return true;
    if (limit - (p + i) >= 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        const std::uint64_t kept = (std::uint64_t(1) << (8 * (n - i))) - 1;
        w = (w & kept) | (0x2020202020202020ull & ~kept);
        return !(w & kHigh) && !hasControl(w);
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
// what stands at p is not such a number. Such text means the same to
// fast_float as to the careful reader's number syntax.
//
// Most numbers in a file have few digits: their digits as an integer below
// 2^53 and a power of ten up to 10^22 are both exact doubles, so one
// multiplication or division rounds the value exactly (correctly). The
// others go through fast_float.
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
    // The others, exactly rounded as strtod rounds them, past the double
    // range too (to infinity or to zero), as the careful reader does.
    const char* from = *start == '+' ? start + 1 : start;
    const auto [ptr, ec] = fast_float::from_chars(from, p, v);
    return ec == std::errc() && ptr == p ? p : nullptr;
}

// How many of the bytes at p (at most 8, and not past end) are digits;
// p + 8 must not pass the readable text.
unsigned leadingDigits(const char* p, const char* end, std::uint64_t& word)
{
    std::memcpy(&word, p, 8);
    // A byte is a digit when its high nibble is 3 and adding 6 keeps it 3.
    // Bytes of the line are below 0x80 and carry into no other; bytes past
    // the line may carry only into bytes further on.
    const std::uint64_t high = (word & 0xF0F0F0F0F0F0F0F0ull) ^ 0x3030303030303030ull;
    const std::uint64_t low
        = ((word + 0x0606060606060606ull) & 0xF0F0F0F0F0F0F0F0ull) ^ 0x3030303030303030ull;
    const std::uint64_t other = high | low; // a nonzero byte where no digit stands
    const std::uint64_t marks = (other | (other + 0x7F7F7F7F7F7F7F7Full)) & kHigh;
    const unsigned digits = marks ? unsigned(__builtin_ctzll(marks)) / 8 : 8u;
    const std::size_t room = std::size_t(end - p);
    return digits < room ? digits : unsigned(room);
}

// The value of the first `count` (1 to 8) digits of word.
std::uint64_t digitsValue(std::uint64_t word, unsigned count)
{
    // The digits to the top bytes, zeros before them.
    std::uint64_t v = (word & 0x0F0F0F0F0F0F0F0Full) << (8 * (8 - count));
    v = (v * 2561) >> 8;
    v = ((v & 0x00FF00FF00FF00FFull) * 6553601) >> 16;
    return ((v & 0x0000FFFF0000FFFFull) * 42949672960001ull) >> 32;
}

// plainNumber for the common numbers: a sign, up to seven digits, a period
// and up to seven more, no exponent, read a word at a time. Their digits
// make an integer below 2^53 and a power of ten up to 10^7, so the value is
// what plainNumber gives; every other text goes to plainNumber.
[[gnu::noinline]] const char* quickNumber(const char* p, const char* end, const char* limit, bool period,
                                          double& v)
{
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
    static constexpr std::uint64_t kScale[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};
    const char* q = p;
    const bool negative = *q == '-';
    if (*q == '-' || *q == '+')
        ++q;
    if (!period || limit - q < 16)
        return plainNumber(p, end, period, v);
    std::uint64_t word;
    const unsigned whole = leadingDigits(q, end, word);
    if (whole == 8)
        return plainNumber(p, end, period, v);
    std::uint64_t m = whole ? digitsValue(word, whole) : 0;
    q += whole;
    unsigned fraction = 0;
    if (q < end && *q == '.') {
        ++q;
        if (limit - q < 8)
            return plainNumber(p, end, period, v);
        fraction = leadingDigits(q, end, word);
        if (fraction == 8)
            return plainNumber(p, end, period, v);
        if (fraction)
            m = m * kScale[fraction] + digitsValue(word, fraction);
        q += fraction;
    }
    if (whole + fraction == 0 || (q < end && (*q == 'e' || *q == 'E')))
        return plainNumber(p, end, period, v);
    const double value = double(std::int64_t(m)) / kPowers[fraction];
    v = negative ? -value : value;
    return q;
}

#if defined(__SSE2__)
// quickNumber for the numbers of the common lines, with fewer branches: a
// sign, at most eight digits, a period and at most eight more, fifteen
// digits in all, no exponent, told apart in one load of sixteen bytes.
// Those give the same value as quickNumber; for any other text, or with
// fewer than 17 bytes readable at p, it is quickNumber's to read.
[[gnu::always_inline]] inline const char* hotNumber(const char* p, const char* end, double& v)
{
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    static constexpr std::uint64_t kScale[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    if (end - p < 17)
        return quickNumber(p, end, end, true, v);
    const bool negative = *p == '-';
    const char* const q = p + (negative | (*p == '+'));
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    const __m128i digits = _mm_sub_epi8(bytes, _mm_set1_epi8('0'));
    const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(digits, _mm_set1_epi8(9)), digits);
    const unsigned other = ~unsigned(_mm_movemask_epi8(isDigit)) | 0x10000u;
    const unsigned whole = unsigned(__builtin_ctz(other));
    if (whole > 8) // and q[whole] might lie past the text
        return quickNumber(p, end, end, true, v);
    unsigned fraction = 0, length = whole;
    if (q[whole] == '.') {
        fraction = unsigned(__builtin_ctz(other >> (whole + 1)));
        length = whole + 1 + fraction;
    }
    const char after = q[length < 16 ? length : 15];
    if (fraction > 8 || whole + fraction == 0 || whole + fraction > 15 || length >= 16 || after == '.'
        || after == 'e' || after == 'E')
        return quickNumber(p, end, end, true, v);
    // The digits of a word, the first `count` (0 to 8) of them.
    const auto value = [](const char* at, unsigned count) {
        std::uint64_t word;
        std::memcpy(&word, at, 8);
        // Two shifts: a count of 0 shifts all 64 bits away.
        std::uint64_t x = ((word & 0x0F0F0F0F0F0F0F0Full) << (4 * (8 - count))) << (4 * (8 - count));
        x = (x * 2561) >> 8;
        x = ((x & 0x00FF00FF00FF00FFull) * 6553601) >> 16;
        return ((x & 0x0000FFFF0000FFFFull) * 42949672960001ull) >> 32;
    };
    const std::uint64_t m = value(q, whole) * kScale[fraction] + value(q + whole + 1, fraction);
    // The sign without a branch: half the numbers of a file may be negative,
    // in no order a processor could guess.
    std::uint64_t bits;
    const double magnitude = double(std::int64_t(m)) / kPowers[fraction];
    std::memcpy(&bits, &magnitude, 8);
    bits |= std::uint64_t(negative) << 63;
    std::memcpy(&v, &bits, 8);
    return q + length;
}
#else
[[gnu::always_inline]] inline const char* hotNumber(const char* p, const char* end, double& v)
{
    return quickNumber(p, end, end, true, v);
}
#endif

#if VEXA_FAST_LINES_AVX2
#define VEXA_AVX2 __attribute__((target("avx2")))

// For a number of `whole` digits, a period and `fraction` digits (at most
// eight each, fifteen in all), the byte shuffle that puts its digits, without
// the period, at the end of sixteen bytes, zeros before them.
struct DigitShuffles {
    alignas(16) unsigned char at[9][9][16];
    constexpr DigitShuffles()
            : at()
    {
        for (int whole = 0; whole <= 8; ++whole)
            for (int fraction = 0; fraction <= 8; ++fraction) {
                const int digits = whole + fraction;
                for (int t = 0; t < 16; ++t) {
                    const int k = t - (16 - digits);
                    at[whole][fraction][t] = k < 0 ? 0x80 : static_cast<unsigned char>(k < whole ? k : k + 1);
                }
            }
    }
};
constexpr DigitShuffles kDigitShuffles;

// Lines of plain numbers and blanks (space, tab, and commas where they are
// blanks), one 32-byte load a line: the bytes are told apart by masks, the
// words found from them, and each number's digits turned into an integer
// with a few vector operations. A number here is a sign, at most eight
// digits, a period and at most eight more, fifteen digits in all: its value
// is that integer divided by a power of ten, both exact, so exactly rounded,
// as hotNumber and plainNumber round it. Reads lines from p while one fits
// in 32 bytes with 16 more readable after it, starts before `until` and
// there is room for its values; returns where it stopped, at the start of a
// line it leaves to the caller (or at end). Values go to v, counts of values
// to l.
VEXA_AVX2 const char* wordsAvx2(const char* p, const char* end, const char* until, bool commaBlank,
                                std::ptrdiff_t most, double*& v, const double* vLimit, std::int32_t*& l,
                                const std::int32_t* lLimit)
{
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    const __m256i zero = _mm256_set1_epi8('0'), nine = _mm256_set1_epi8(9);
    const __m256i lf = _mm256_set1_epi8('\n'), space = _mm256_set1_epi8(' '), tab = _mm256_set1_epi8('\t');
    const __m256i comma = commaBlank ? _mm256_set1_epi8(',') : space;
    const __m256i period = _mm256_set1_epi8('.'), minus = _mm256_set1_epi8('-'), plus = _mm256_set1_epi8('+');
    const __m128i tens = _mm_setr_epi8(10, 1, 10, 1, 10, 1, 10, 1, 10, 1, 10, 1, 10, 1, 10, 1);
    const __m128i hundreds = _mm_setr_epi16(100, 1, 100, 1, 100, 1, 100, 1);
    const __m128i tenThousands = _mm_setr_epi16(10000, 1, 10000, 1, 10000, 1, 10000, 1);
    const auto mask = [](__m256i m) VEXA_AVX2 { return std::uint32_t(_mm256_movemask_epi8(m)); };
    double* out = v;
    std::int32_t* counts = l;
    // The values before out still to be divided, by these.
    constexpr std::size_t kWaiting = 256;
    double divisors[kWaiting];
    std::size_t waiting = 0;
    const auto divide = [&]() VEXA_AVX2 {
        double* const x = out - waiting;
        std::size_t i = 0;
        for (; i + 4 <= waiting; i += 4)
            _mm256_storeu_pd(x + i, _mm256_div_pd(_mm256_loadu_pd(x + i), _mm256_loadu_pd(divisors + i)));
        for (; i < waiting; ++i)
            x[i] /= divisors[i];
        waiting = 0;
    };
    // Lines start before this: before `until`, with 48 bytes readable.
    const std::ptrdiff_t starting = until - p < end - p - 47 ? until - p : end - p - 47;
    const char* const stopAt = p + (starting > 0 ? starting : 0);
    while (p < stopAt && vLimit - out > most && counts < lLimit) {
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const std::uint32_t breaks = mask(_mm256_cmpeq_epi8(b, lf));
        if (!breaks)
            break;
        const unsigned length = unsigned(__builtin_ctz(breaks));
        const std::uint32_t line = (std::uint32_t(1) << length) - 1; // length < 32
        const __m256i d = _mm256_sub_epi8(b, zero);
        const std::uint32_t digit = mask(_mm256_cmpeq_epi8(_mm256_min_epu8(d, nine), d));
        const std::uint32_t blank
            = mask(_mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(b, space), _mm256_cmpeq_epi8(b, tab)),
                                   _mm256_cmpeq_epi8(b, comma)));
        const std::uint32_t dot = mask(_mm256_cmpeq_epi8(b, period));
        const std::uint32_t negative = mask(_mm256_cmpeq_epi8(b, minus));
        const std::uint32_t sign = negative | mask(_mm256_cmpeq_epi8(b, plus));
        if (((digit | blank | dot | sign) & line) != line)
            break;
        const std::uint32_t word = line & ~blank;
        std::uint32_t starts = word & ~(word << 1), ends = word & ~(word >> 1);
        // A sign only at the start of a word.
        if (!starts || (sign & line & ~starts))
            break;
        double* const first = out;
        bool read = true;
        while (starts) {
            const unsigned s = unsigned(__builtin_ctz(starts)), e = unsigned(__builtin_ctz(ends));
            starts &= starts - 1;
            ends &= ends - 1;
            const std::uint32_t dots = dot & ((std::uint32_t(2) << e) - (std::uint32_t(1) << s));
            if ((dots & (dots - 1)) || out - first == most) {
                read = false;
                break;
            }
            const unsigned from = s + ((sign >> s) & 1);
            unsigned whole = e + 1 - from, fraction = 0;
            if (dots) {
                const unsigned at = unsigned(__builtin_ctz(dots));
                whole = at - from;
                fraction = e - at;
            }
            if (whole + fraction == 0 || whole > 8 || fraction > 8 || whole + fraction > 15) {
                read = false;
                break;
            }
            const __m128i digits = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + from)),
                                                _mm_set1_epi8('0'));
            const __m128i aligned = _mm_shuffle_epi8(
                digits, _mm_load_si128(reinterpret_cast<const __m128i*>(kDigitShuffles.at[whole][fraction])));
            const __m128i pairs = _mm_madd_epi16(_mm_maddubs_epi16(aligned, tens), hundreds);
            const __m128i halves = _mm_madd_epi16(_mm_packus_epi32(pairs, pairs), tenThousands);
            const std::uint64_t both = std::uint64_t(_mm_cvtsi128_si64(halves));
            const std::uint64_t m = (both & 0xFFFFFFFFu) * 100000000u + (both >> 32);
            // The division waits for a few more: four at a time cost
            // about what one does. A divisor of the number's sign gives the
            // quotient that sign, exactly as negating it would.
            *out++ = double(std::int64_t(m));
            std::uint64_t bits;
            std::memcpy(&bits, &kPowers[fraction], 8);
            bits |= std::uint64_t((negative >> s) & 1) << 63;
            std::memcpy(&divisors[waiting++], &bits, 8);
        }
        if (!read) {
            waiting -= std::size_t(out - first);
            out = first;
            break;
        }
        *counts++ = std::int32_t(out - first);
        p += length + 1;
        if (waiting > kWaiting - 16)
            divide();
    }
    divide();
    v = out;
    l = counts;
    return p;
}
#undef VEXA_AVX2

#define VEXA_AVX512                                                                                          \
    __attribute__((target("avx512f,avx512bw,avx512dq,avx512vbmi,avx512vbmi2,bmi,bmi2,popcnt")))

// Where the wide reader stopped, at the start of a line, and why.
struct WideStop {
    enum class Why {
        Room, // too little for a window's values and counts
        Tail, // fewer than 64 bytes left
        Refused, // a window with what it does not read
    };
    const char* at;
    Why why;
};

// The integers of sixteen digits per 16-byte lane, least significant first,
// in both quadwords of the lane. (The masked forms of the operations, with
// every lane taken, leave nothing undefined.)
[[gnu::always_inline]] inline VEXA_AVX512 __m512i laneIntegers(__m512i digits)
{
    const __m512i pairs = _mm512_maddubs_epi16(digits, _mm512_set1_epi16(0x0A01));
    const __m512i fours = _mm512_madd_epi16(pairs, _mm512_set1_epi32(0x00640001));
    const __m512i eights
        = _mm512_madd_epi16(_mm512_packus_epi32(fours, fours), _mm512_set1_epi32(0x27100001));
    return _mm512_add_epi64(
        _mm512_maskz_mul_epu32(0xFF, _mm512_maskz_srli_epi64(0xFF, eights, 32), _mm512_set1_epi64(100000000)),
        _mm512_and_si512(eights, _mm512_set1_epi64(0xFFFFFFFF)));
}

[[gnu::always_inline]] inline VEXA_AVX512 __m128i low128(__m512i x)
{
    return _mm512_maskz_extracti32x4_epi32(0xF, x, 0);
}

// The lines from p on, 64 bytes at a time: each window of the text is cut
// after its last blank, separator or line feed, its bytes classed by one
// table look-up, its words found from masks, and the digits of up to eight
// numbers put into 16-byte lanes, least significant first, to be turned
// into integers together. A line may span windows. A number here is a sign,
// digits with at most one period, fifteen digits in all: its digits as an
// integer and the power of ten of its fraction are both exact doubles, so
// their quotient is exactly rounded, as plainNumber rounds it. With
// separators (`fields`), every field holds exactly one number. A window
// holding anything else, or a line without a number, stops the reading at
// the start of its line (as does text of fewer than 64 bytes, and room too
// small for a window's values). Values go to v (and their empty marks, all
// clear, to em when `fields`), counts to l.
[[gnu::noinline]] VEXA_AVX512 WideStop linesAvx512(const char* p, const char* end,
                                                   const unsigned char* classes, bool fields,
                                                   std::ptrdiff_t most, double*& v, const double* vLimit,
                                                   unsigned char*& em, std::int32_t*& l,
                                                   const std::int32_t* lLimit)
{
    struct Constants {
        alignas(64) unsigned char iota[64], laneNumber[64], laneIota[64];
        alignas(64) double powers[16];
        constexpr Constants()
                : iota()
                , laneNumber()
                , laneIota()
                , powers()
        {
            for (int i = 0; i < 64; ++i) {
                iota[i] = static_cast<unsigned char>(i);
                laneNumber[i] = static_cast<unsigned char>(i / 16);
                laneIota[i] = static_cast<unsigned char>(i % 16);
            }
            double power = 1;
            for (double& x : powers) {
                x = power;
                power *= 10;
            }
        }
    };
    static constexpr Constants k;
    using u64 = unsigned long long;
    const __m512i tableLo = _mm512_loadu_si512(classes), tableHi = _mm512_loadu_si512(classes + 64);
    const __m512i iota = _mm512_load_si512(k.iota), laneNumber = _mm512_load_si512(k.laneNumber);
    const __m512i laneIota = _mm512_load_si512(k.laneIota);
    const __m512i previous = _mm512_sub_epi8(iota, _mm512_set1_epi8(1)); // byte i takes byte i - 1
    const __m512d powersLo = _mm512_load_pd(k.powers), powersHi = _mm512_load_pd(k.powers + 8);
    const __m512i digitBit = _mm512_set1_epi8(Digit), delimiterBit = _mm512_set1_epi8(Delimiter);
    const __m512i periodBit = _mm512_set1_epi8(Period), minusBit = _mm512_set1_epi8(Minus);
    const __m512i periodOrSign = _mm512_set1_epi8(Period | Minus | Plus);
    const __m512i signBits = _mm512_set1_epi8(Minus | Plus), lineFeedBit = _mm512_set1_epi8(LineFeed);
    const __m512i separatorBit = _mm512_set1_epi8(Separator);
    const __m512i zeroChar = _mm512_set1_epi8('0'), one = _mm512_set1_epi8(1), fifteen = _mm512_set1_epi8(15);
    const __m512i four = _mm512_set1_epi8(4), ones32 = _mm512_set1_epi32(1),
                  most32 = _mm512_set1_epi32(int(most));
    const __m512i evens = _mm512_setr_epi64(0, 2, 4, 6, 8, 10, 12, 14);
    const __m512i signBit = _mm512_set1_epi64(std::int64_t(1) << 63);
    const auto test = [](__m512i x, __m512i bits) VEXA_AVX512 { return u64(_mm512_test_epi8_mask(x, bits)); };
    // Byte i of x moved to byte i - shift.
    const auto down = [&iota](__m512i x, unsigned shift) VEXA_AVX512 __attribute__((always_inline))
    {
        if (!shift)
            return x;
        return _mm512_maskz_permutexvar_epi8(~0ull, _mm512_add_epi8(iota, _mm512_set1_epi8(char(shift))), x);
    };

    double* out = v;
    std::int32_t* counts = l;
    // The line not finished yet: where it starts, where its values start.
    const char* line = p;
    double* lineOut = out;
    u64 carry = 0; // its values so far
    unsigned phase = 0; // fields: 1 after a number, where a separator must come
    WideStop stop;
    for (;;) {
        if (end - p < 64) {
            stop = {line, WideStop::Why::Tail};
            break;
        }
        if (lLimit - counts < 64 || vLimit - out < 48) {
            stop = {line, WideStop::Why::Room};
            break;
        }
        const __m512i b = _mm512_loadu_si512(p);
        const __m512i c = _mm512_permutex2var_epi8(tableLo, b, tableHi);
        const u64 known = test(c, c) & ~u64(_mm512_movepi8_mask(b));
        const u64 delimiter = test(c, delimiterBit);
        if (!delimiter) {
            stop = {line, WideStop::Why::Refused};
            break;
        }
        // The window ends after its last delimiter; the word after it is
        // the next window's.
        const unsigned cut = 64 - unsigned(__builtin_clzll(delimiter));
        const u64 span = _bzhi_u64(~0ull, cut);
        const u64 digit = test(c, digitBit), period = test(c, periodBit), minus = test(c, minusBit);
        const u64 sign = test(c, signBits), lf = test(c, lineFeedBit) & span;
        const u64 word = span & ~delimiter;
        const u64 starts = word & ~(word << 1);
        // From the period of a word to its end: a second period of the word
        // falls outside.
        const u64 tail = ((word + period) ^ word) & word;
        if (span & ~known) {
            // A byte of no number, nor blank: the commonest refusal.
            stop = {line, WideStop::Why::Refused};
            break;
        }
        u64 bad = (sign & span & ~starts) | (period & span & ~tail);
        const unsigned n = unsigned(_mm_popcnt_u64(starts));
        if (fields) {
            // Numbers and separators (or line feeds) by turns, a number first.
            const u64 events = starts | (test(c, separatorBit) & span);
            const unsigned count = unsigned(_mm_popcnt_u64(events));
            const u64 turns = phase ? 0xAAAAAAAAAAAAAAAAull : 0x5555555555555555ull;
            bad |= _pext_u64(starts, events) ^ _bzhi_u64(turns, count);
            phase ^= count & 1;
        }

        // The window with the signs and periods taken out: each number a
        // run of digits, and where its period stood.
        const __mmask64 kept = _mm512_testn_epi8_mask(c, periodOrSign);
        const __m512i packed = _mm512_maskz_compress_epi8(kept, _mm512_sub_epi8(b, zeroChar));
        const u64 packedDigits = _pext_u64(digit & span, kept),
                  packedFraction = _pext_u64(tail & digit, kept);
        const u64 last = packedDigits & ~(packedDigits >> 1);
        const u64 point = (packedFraction & ~(packedFraction << 1)) | ((last & ~packedFraction) << 1);
        bad |= u64(unsigned(_mm_popcnt_u64(last)) != n); // a word without digits
        // Byte j: where number j's last digit stands, its count of digits,
        // and of digits after the period.
        const __m512i at = _mm512_maskz_compress_epi8(last, iota);
        const __m512i length = _mm512_sub_epi8(
            _mm512_add_epi8(at, one), _mm512_maskz_compress_epi8(packedDigits & ~(packedDigits << 1), iota));
        const __m512i fraction
            = _mm512_sub_epi8(_mm512_add_epi8(at, one), _mm512_maskz_compress_epi8(point, iota));
        bad |= u64(_mm512_cmpgt_epu8_mask(length, fifteen)) & _bzhi_u64(~0ull, n);
        const u64 negative = _pext_u64(minus, starts);
        // Each number in a lane of its own, least significant digit first,
        // zeros above its most significant.
        const auto eight = [&](unsigned first) VEXA_AVX512 __attribute__((always_inline))
        {
            const __m512i numberA = _mm512_add_epi8(laneNumber, _mm512_set1_epi8(char(first)));
            const __m512i numberB = _mm512_add_epi8(numberA, four);
            const __mmask64 keepA
                = _mm512_cmplt_epu8_mask(laneIota, _mm512_maskz_permutexvar_epi8(~0ull, numberA, length));
            const __mmask64 keepB
                = _mm512_cmplt_epu8_mask(laneIota, _mm512_maskz_permutexvar_epi8(~0ull, numberB, length));
            const __m512i lanesA = _mm512_maskz_permutexvar_epi8(
                keepA, _mm512_sub_epi8(_mm512_maskz_permutexvar_epi8(~0ull, numberA, at), laneIota), packed);
            const __m512i lanesB = _mm512_maskz_permutexvar_epi8(
                keepB, _mm512_sub_epi8(_mm512_maskz_permutexvar_epi8(~0ull, numberB, at), laneIota), packed);
            const __m512i m = _mm512_permutex2var_epi64(laneIntegers(lanesA), evens, laneIntegers(lanesB));
            const __m512i fractions = _mm512_maskz_cvtepu8_epi64(0xFF, low128(down(fraction, first)));
            const __m512i quotients = _mm512_castpd_si512(
                _mm512_div_pd(_mm512_cvtepu64_pd(m), _mm512_permutex2var_pd(powersLo, fractions, powersHi)));
            // The sign as negating gives it, to zero too.
            _mm512_storeu_si512(
                out + first,
                _mm512_mask_xor_epi64(quotients, __mmask8((negative >> first) & 0xFF), quotients, signBit));
        };
        eight(0);
        for (unsigned first = 8; first < n; first += 8)
            eight(first);

        // The count of numbers of each line ended here: the line feeds
        // among the numbers' starts, in order.
        const u64 events = starts | lf;
        const unsigned eventCount = unsigned(_mm_popcnt_u64(events));
        const u64 breaks = ~_pext_u64(starts, events) & _bzhi_u64(~0ull, eventCount);
        const unsigned lines = unsigned(_mm_popcnt_u64(lf));
        if (lines) {
            const __m512i z = _mm512_maskz_compress_epi8(breaks, iota);
            const __m512i gaps = _mm512_sub_epi8(z, _mm512_maskz_permutexvar_epi8(~1ull, previous, z));
            const auto sixteen = [&](unsigned firstLine) VEXA_AVX512 __attribute__((always_inline))
            {
                __m512i count = _mm512_sub_epi32(
                    _mm512_maskz_cvtepu8_epi32(0xFFFF, low128(down(gaps, firstLine))), ones32);
                if (firstLine == 0)
                    count = _mm512_mask_add_epi32(count, 1, count, _mm512_set1_epi32(int(carry + 1)));
                bad |= u64(_mm512_cmplt_epi32_mask(count, ones32) | _mm512_cmpgt_epi32_mask(count, most32))
                    & _bzhi_u64(~0ull, lines - firstLine);
                _mm512_storeu_si512(counts + firstLine, count);
            };
            sixteen(0);
            for (unsigned firstLine = 16; firstLine < lines; firstLine += 16)
                sixteen(firstLine);
            carry = eventCount - 1 - (63 - __builtin_clzll(breaks));
        } else {
            carry += n;
        }
        // A line of more values than a line may hold is refused here, while
        // the room for values still takes it.
        bad |= u64(carry > u64(most));
        if (bad) {
            stop = {line, WideStop::Why::Refused};
            break;
        }
        out += n;
        counts += lines;
        if (lines) {
            line = p + (63 - __builtin_clzll(lf)) + 1;
            lineOut = out - carry;
        }
        p += cut;
    }
    if (fields) {
        // The marks of empty fields, in step with the values: none here.
        std::memset(em, 0, std::size_t(lineOut - v));
        em += lineOut - v;
    }
    v = lineOut;
    l = counts;
    return stop;
}
#undef VEXA_AVX512
#endif

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
    // The bytes a line read by hotRun may hold.
    std::string number = "0123456789+-.eE \t,";
    number += syntax_.separator;
    const auto cannotHold = [&number](const std::string& t) {
        return t.empty() || t.find_first_not_of(number) != std::string::npos;
    };
    hot_ = cannotHold(syntax_.cut) && cannotHold(syntax_.ignore);
#if VEXA_FAST_LINES_AVX2
    avx2_ = syntax_.vectors && CpuFeatures::avx2;
    wide_ = syntax_.vectors && syntax_.wideVectors && CpuFeatures::avx512Bytes;
#endif
    // The bytes of plain lines, as hotRun reads them. A separator that could
    // be part of a number leaves the lines to the narrower readers.
    const auto set = [this](char c, unsigned char bits) { classes_[static_cast<unsigned char>(c)] = bits; };
    for (char c = '0'; c <= '9'; ++c)
        set(c, Digit);
    set('-', Minus);
    set('+', Plus);
    set('.', Period);
    set(' ', Delimiter);
    set('\t', Delimiter);
    if (syntax_.whitespace) {
        set('\n', LineFeed | Delimiter);
        if (syntax_.commaBlank)
            set(',', Delimiter);
        if (syntax_.periodBlank)
            set('.', Delimiter);
    } else {
        const unsigned char s = static_cast<unsigned char>(syntax_.separator);
        if (s >= 0x80 || s == '\n'
            || std::string_view("0123456789+-.eE").find(char(s)) != std::string_view::npos)
            wide_ = false;
        set('\n', LineFeed | Separator | Delimiter);
        if (s < 0x80)
            set(syntax_.separator, Separator | Delimiter);
    }
}

void AsciiFastLines::read(const char* text, std::size_t n, std::size_t base, Result& out) const
{
    const char* p = text;
    const char* const end = text + n;
    WideTurn wide{wide_ ? p : end};
    while (p < end) {
        if (hot_) {
            p = hotLines(p, end, wide, out);
            if (p == end)
                break;
        }
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', std::size_t(end - p)));
        const char* const e = nl ? nl : end;
        const std::int32_t kind = line(p, e, end, out);
        out.lines.push_back(kind);
        if (kind == Careful) {
            out.careful.push_back(base + std::size_t(p - text));
            out.careful.push_back(std::size_t(e - p));
        }
        p = e < end ? e + 1 : end;
    }
}

const char* AsciiFastLines::hotLines(const char* p, const char* end, WideTurn& wide, Result& out) const
{
    if (!syntax_.whitespace)
        return hotRun<true, true>(p, end, wide, out);
    return syntax_.periodBlank ? hotRun<false, false>(p, end, wide, out)
                               : hotRun<false, true>(p, end, wide, out);
}

// The lines from p on, each read in one go: numbers and blanks only (or
// fields of one number or of blanks only), up to its line feed. The values
// go straight into the result's room, which is checked once per line. A
// line read here is plain ASCII and numeric, and holds neither the cut nor
// the ignored text.
template <bool Fields, bool Period>
const char* AsciiFastLines::hotRun(const char* p, const char* end, [[maybe_unused]] WideTurn& wide,
                                   Result& out) const
{
    constexpr std::size_t kLines = 4096; // room asked for at a time
    const std::ptrdiff_t most = syntax_.maxFields;
    const char separator = syntax_.separator;
    const auto blank = [this, separator](char c) {
        if constexpr (Fields)
            return (c == ' ' || c == '\t') && c != separator;
        else
            return blank_[static_cast<unsigned char>(c)] != 0;
    };
    // Where the next value and line count go, and how far there is room.
    double* v = out.values.room(0);
    double* vLimit = v;
    unsigned char* em = Fields ? out.empty.room(0) : nullptr; // in step with v
    std::int32_t* l = out.lines.room(0);
    std::int32_t* lLimit = l;
    const auto makeRoom = [&] {
        out.values.setEnd(v);
        v = out.values.room(std::size_t(most) + kLines);
        vLimit = v + most + kLines;
        if constexpr (Fields) {
            out.empty.setEnd(em);
            em = out.empty.room(std::size_t(most) + kLines);
        }
        out.lines.setEnd(l);
        l = out.lines.room(kLines);
        lLimit = l + kLines;
    };
    makeRoom();

    // One line from q: true with q at its line feed (or the end), its values
    // added; false for a line that is for line().
    const auto words = [&](const char*& q, double* first) {
        for (;;) {
            while (q < end && blank(*q))
                ++q;
            if (q == end || *q == '\n')
                break;
            double x;
            const char* e = Period ? hotNumber(q, end, x) : quickNumber(q, end, end, false, x);
            if (!e || v - first == most)
                return false;
            *v++ = x;
            q = e;
            if (q == end || *q == '\n')
                break;
            if (!blank(*q))
                return false;
        }
        return v != first;
    };
    const auto fields = [&](const char*& q, double* first) {
        for (;;) {
            while (q < end && blank(*q))
                ++q;
            if (v - first == most)
                return false;
            if (q == end || *q == '\n' || *q == separator) {
                // A numeric line starts with a number.
                if (v == first)
                    return false;
                *v++ = 0.0;
                *em++ = 1;
            } else {
                double x;
                const char* e = hotNumber(q, end, x);
                if (!e)
                    return false;
                q = e;
                while (q < end && blank(*q))
                    ++q;
                if (q < end && *q != '\n' && *q != separator)
                    return false;
                *v++ = x;
                *em++ = 0;
            }
            if (q == end || *q == '\n')
                return true;
            ++q;
        }
    };

    while (p < end) {
        if (vLimit - v <= most || l == lLimit)
            makeRoom();
#if VEXA_FAST_LINES_AVX2
        if (p >= wide.until) {
            const std::int32_t* const before = l;
            const WideStop stop = linesAvx512(p, end, classes_, Fields, most, v, vLimit, em, l, lLimit);
            p = stop.at;
            if (stop.why == WideStop::Why::Room) {
                makeRoom();
                continue;
            }
            if (stop.why == WideStop::Why::Tail) {
                wide.until = end;
            } else {
                // The lines of the refused window are for the others, and
                // after refusals in a row, more lines each time: a file of
                // lines the wide reader does not take costs it little.
                wide.refusals = l == before ? wide.refusals + 1 : 0;
                const std::ptrdiff_t others = std::ptrdiff_t(64) << (wide.refusals < 8 ? wide.refusals : 8);
                wide.until = end - p > others ? p + others : end;
            }
            if (p == end)
                break;
            if (vLimit - v <= most || l == lLimit)
                makeRoom();
        }
        if constexpr (!Fields && Period) {
            if (avx2_) {
                p = wordsAvx2(p, end, wide.until, blank_[static_cast<unsigned char>(',')] != 0, most, v,
                              vLimit, l, lLimit);
                if (p == end)
                    break;
                if (vLimit - v <= most || l == lLimit)
                    makeRoom();
                if (p >= wide.until)
                    continue;
            }
        }
#endif
        double* const first = v;
        unsigned char* const emFirst = em;
        const char* q = p;
        bool read;
        if constexpr (Fields)
            read = fields(q, first);
        else
            read = words(q, first);
        if (!read) {
            v = first;
            em = emFirst;
            break;
        }
        *l++ = std::int32_t(v - first);
        p = q < end ? q + 1 : end;
    }
    out.values.setEnd(v);
    if constexpr (Fields)
        out.empty.setEnd(em);
    out.lines.setEnd(l);
    return p;
}

std::int32_t AsciiFastLines::line(const char* p, const char* end, const char* limit, Result& out) const
{
    if (!isPlain(p, std::size_t(end - p), limit))
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
        out.values.truncate(first);
        if (!s.whitespace)
            out.empty.truncate(first);
        return Careful;
    };
    if (s.whitespace) {
        for (;;) {
            while (p < end && blank_[static_cast<unsigned char>(*p)])
                ++p;
            if (p == end)
                return count;
            double v;
            const char* e = quickNumber(p, end, limit, !s.periodBlank, v);
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
            if (quickNumber(a, b, limit, true, v) != b)
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
