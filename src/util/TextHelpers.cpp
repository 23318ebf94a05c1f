#include "util/TextHelpers.h"

#include "platform/CNumber.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

// ---------------------------------------------------------------------------
// The ring

TempStringRing& TempStringRing::current()
{
    static thread_local TempStringRing ring;
    return ring;
}

TempStringRing::~TempStringRing()
{
    freeAll();
}

char* TempStringRing::alloc(size_t bytes)
{
    if (bytes == 0)
        bytes = 1;
    position_ = (position_ + 1) % size;
    Slot& slot = slots_[position_];
    // Keep a slot's buffer when it fits, but let one huge result go again
    // instead of pinning it for the life of the thread.
    const bool tooSmall = slot.capacity < bytes;
    const bool wasteful = slot.capacity > 65536 && bytes < slot.capacity / 4;
    if (tooSmall || wasteful) {
        std::free(slot.text);
        slot.text = static_cast<char*>(std::malloc(bytes));
        slot.capacity = slot.text ? bytes : 0;
        if (!slot.text)
            std::abort(); // out of memory: nothing sensible to hand back
    }
    slot.text[0] = '\0';
    return slot.text;
}

void TempStringRing::freeAll()
{
    for (Slot& slot : slots_) {
        std::free(slot.text);
        slot = Slot{};
    }
    position_ = -1;
}

SplitParts::~SplitParts()
{
    splitPartsFree(*this);
}

namespace {

const char* orEmpty(const char* text)
{
    return text ? text : "";
}

// A ring copy of len bytes of text, NUL-terminated.
char* ringCopy(const char* text, size_t len)
{
    char* out = TempStringRing::current().alloc(len + 2);
    if (len)
        std::memcpy(out, text, len);
    out[len] = '\0';
    return out;
}

char* heapCopy(const char* text, size_t len)
{
    char* out = static_cast<char*>(std::malloc(len + 1));
    if (!out)
        std::abort();
    if (len)
        std::memcpy(out, text, len);
    out[len] = '\0';
    return out;
}

// Position of the needle in text[from, len), or npos.
size_t findFrom(const char* text, size_t len, size_t from, const char* needle, size_t needleLen)
{
    if (needleLen == 0 || from > len || len - from < needleLen)
        return std::string::npos;
    const void* hit = memmem(text + from, len - from, needle, needleLen);
    return hit ? static_cast<size_t>(static_cast<const char*>(hit) - text) : std::string::npos;
}

// Cuts text into parts at each separator that find(text, len, from, separator, sepLen) reports
// from `from` on (npos: none left); the part at the capacity is the last one. Empty text: no part.
template <class Find> int splitAt(const char* text, SplitParts& parts, const char* separator, Find find)
{
    if (!text || !*text)
        return 0;
    separator = orEmpty(separator);
    const size_t len = std::strlen(text);
    const size_t sepLen = std::strlen(separator);
    size_t from = 0;
    int n = 0;
    for (;;) {
        const size_t hit = find(text, len, from, separator, sepLen);
        const size_t to = hit == std::string::npos ? len : hit;
        std::free(parts.part[n]);
        parts.part[n] = heapCopy(text + from, to - from);
        ++n;
        if (hit == std::string::npos || n == SplitParts::capacity)
            return n;
        from = to + sepLen;
    }
}

} // namespace

char* tempStringAlloc(int n)
{
    return TempStringRing::current().alloc(static_cast<size_t>(std::max(n, 0)) + 2);
}

char* tempStringCopy(const char* text)
{
    text = orEmpty(text);
    return ringCopy(text, std::strlen(text));
}

void tempStringFreeAll()
{
    TempStringRing::current().freeAll();
}

char* stringCopy(const char* text)
{
    return tempStringCopy(text);
}

// ---------------------------------------------------------------------------
// Searching and cutting

int stringIndexOf(int start, const char* needle, const char* text)
{
    text = orEmpty(text);
    needle = orEmpty(needle);
    const size_t len = std::strlen(text);
    const size_t from = static_cast<size_t>(std::max(start, 0));
    const size_t hit = findFrom(text, len, from, needle, std::strlen(needle));
    if (hit == std::string::npos || hit > static_cast<size_t>(INT_MAX))
        return -1;
    return static_cast<int>(hit);
}

int stringIndexOfChar(const char* text, char c)
{
    if (!text || c == '\0')
        return -1;
    const char* hit = std::strchr(text, c);
    if (!hit || hit - text > INT_MAX)
        return -1;
    return static_cast<int>(hit - text);
}

int stringCount(const char* needle, const char* text)
{
    text = orEmpty(text);
    needle = orEmpty(needle);
    const size_t len = std::strlen(text);
    const size_t needleLen = std::strlen(needle);
    int count = 0;
    size_t from = 0;
    for (;;) {
        const size_t hit = findFrom(text, len, from, needle, needleLen);
        if (hit == std::string::npos || count == INT_MAX)
            return count;
        ++count;
        from = hit + needleLen;
    }
}

int stringSplit(const char* text, SplitParts& parts, const char* separator)
{
    return splitAt(text, parts, separator, findFrom);
}

void splitPartsClear(SplitParts& parts)
{
    std::fill(std::begin(parts.part), std::end(parts.part), nullptr);
}

void splitPartsFree(SplitParts& parts)
{
    for (char*& p : parts.part) {
        std::free(p);
        p = nullptr;
    }
}

char* stringReplaceAll(const char* needle, const char* replacement, const char* text)
{
    text = orEmpty(text);
    needle = orEmpty(needle);
    replacement = orEmpty(replacement);
    const size_t textLen = std::strlen(text);
    const size_t m = std::strlen(needle);
    const size_t replLen = std::strlen(replacement);
    if (m == 0 || textLen == 0 || std::strcmp(needle, replacement) == 0 || std::strstr(replacement, needle))
        return ringCopy(text, textLen);

    // Replacing the leftmost occurrence and rescanning from the start is the
    // same as streaming the text through a matcher: the text before a match
    // holds no occurrence, so only the matcher state at the splice matters.
    // Output characters carry their KMP state; a match pops the needle and
    // feeds the replacement back in front of the rest of the input.
    std::vector<uint32_t> fail(m, 0);
    for (size_t i = 1, k = 0; i < m; ++i) {
        while (k > 0 && needle[i] != needle[k])
            k = fail[k - 1];
        if (needle[i] == needle[k])
            ++k;
        fail[i] = static_cast<uint32_t>(k);
    }
    const std::string reversedReplacement(std::make_reverse_iterator(replacement + replLen),
                                          std::make_reverse_iterator(replacement));

    std::string out;
    out.reserve(textLen + 1);
    std::vector<uint32_t> state;
    state.reserve(textLen + 1);
    std::string pending; // replacement text still to be scanned, next char at the back
    size_t pos = 0;
    // Some needle/replacement pairs create new occurrences without end (or
    // double the text at every pass); give up rewriting past this much work.
    size_t budget = 64 * (textLen + replLen) + (size_t(1) << 20);

    for (;;) {
        char c;
        if (!pending.empty()) {
            c = pending.back();
            pending.pop_back();
        } else if (pos < textLen) {
            c = text[pos++];
        } else {
            break;
        }
        size_t s = state.empty() ? 0 : state.back();
        while (s > 0 && needle[s] != c)
            s = fail[s - 1];
        if (needle[s] == c)
            ++s;
        out.push_back(c);
        state.push_back(static_cast<uint32_t>(s));
        if (s == m) {
            out.resize(out.size() - m);
            state.resize(state.size() - m);
            if (budget < replLen + 1) {
                out.append(replacement, replLen);
                break;
            }
            budget -= replLen + 1;
            pending += reversedReplacement;
        }
    }
    out.append(pending.rbegin(), pending.rend());
    out.append(text + pos, textLen - pos);
    return ringCopy(out.data(), out.size());
}

char* stringTrimBlanks(const char* text)
{
    text = orEmpty(text);
    while (*text == ' ' || *text == '\t')
        ++text;
    size_t len = std::strlen(text);
    while (len > 0 && (text[len - 1] == ' ' || text[len - 1] == '\t'))
        --len;
    return ringCopy(text, len);
}

char* stringLeft(int n, const char* text)
{
    text = orEmpty(text);
    const long long len = static_cast<long long>(std::strlen(text));
    long long k = n;
    if (std::llabs(k) > len)
        k = len; // so a negative n longer than the text keeps all of it
    const long long end = k >= 0 ? k : len + k;
    return ringCopy(text, static_cast<size_t>(end));
}

char* stringRight(int n, const char* text)
{
    text = orEmpty(text);
    const long long len = static_cast<long long>(std::strlen(text));
    long long k = n;
    if (std::llabs(k) > len)
        k = k < 0 ? -len : len;
    const long long start = k >= 0 ? len - k : -k;
    return ringCopy(text + start, static_cast<size_t>(len - start));
}

namespace {

template <typename F> char* mapChars(const char* text, F f)
{
    text = orEmpty(text);
    const size_t len = std::strlen(text);
    char* out = ringCopy(text, len);
    for (size_t i = 0; i < len; ++i)
        out[i] = f(out[i]);
    return out;
}

const char* lastSlash(const char* path)
{
    return std::strrchr(path, '/');
}

} // namespace

char* stringLower(const char* text)
{
    return mapChars(text, [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
}

char* stringUpper(const char* text)
{
    return mapChars(text, [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; });
}

char* pathFileName(const char* path)
{
    path = orEmpty(path);
    const char* slash = lastSlash(path);
    return tempStringCopy(slash ? slash + 1 : path);
}

char* pathDirectory(const char* path)
{
    path = orEmpty(path);
    const char* slash = lastSlash(path);
    return ringCopy(path, slash ? static_cast<size_t>(slash - path) : 0);
}

char* pathExtension(const char* path)
{
    path = orEmpty(path);
    const char* slash = lastSlash(path);
    const char* name = slash ? slash + 1 : path;
    const char* dot = std::strrchr(name, '.');
    return tempStringCopy(dot ? dot + 1 : "");
}

char* pathBaseName(const char* path)
{
    path = orEmpty(path);
    const char* slash = lastSlash(path);
    const char* name = slash ? slash + 1 : path;
    const char* dot = std::strrchr(name, '.');
    return ringCopy(name, dot ? static_cast<size_t>(dot - name) : std::strlen(name));
}

char* formatDuration(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    // Beyond this the day count no longer fits an int; such a duration is
    // shown at the limit rather than wrapped round.
    seconds = std::min(seconds, 86400.0 * INT_MAX);
    const double days = std::floor(seconds / 86400);
    double rest = seconds - days * 86400;
    const double hours = std::floor(rest / 3600);
    rest -= hours * 3600;
    const double minutes = std::floor(rest / 60);
    rest -= minutes * 60;
    const int d = static_cast<int>(days), h = static_cast<int>(hours), mi = static_cast<int>(minutes);
    std::string s;
    if (d > 0)
        s = CNumber::format("%02d:%02d:%02d:%04.1f", d, h, mi, rest);
    else if (h > 0)
        s = CNumber::format("%02d:%02d:%04.1f", h, mi, rest);
    else
        s = CNumber::format("%02d:%04.1f", mi, rest);
    return ringCopy(s.data(), s.size());
}

// ---------------------------------------------------------------------------
// Numbers

namespace {

enum : unsigned char { kContinue = 1, kStart = 2 };

struct CharClasses {
    unsigned char bits[256] = {};
    constexpr CharClasses()
    {
        for (int c = '0'; c <= '9'; ++c)
            bits[c] = kContinue | kStart;
        for (const char* p = ".,-+eEInNaAfF"; *p; ++p)
            bits[static_cast<unsigned char>(*p)] |= kContinue;
        for (const char* p = ".,-+iInNaAfF"; *p; ++p)
            bits[static_cast<unsigned char>(*p)] |= kStart;
    }
};
constexpr CharClasses kClasses;

inline bool isContinue(char c)
{
    return kClasses.bits[static_cast<unsigned char>(c)] & kContinue;
}

inline bool isStart(char c)
{
    return kClasses.bits[static_cast<unsigned char>(c)] & kStart;
}

// The split into "."-separated parts is capped at this many parts; whatever
// follows the period that would start one more part is ignored.
constexpr int kMaxParts = SplitParts::capacity;

// Reads one run of number characters [p, q): commas become periods, a
// trailing period goes, every period but the last is a thousands separator.
double parseRun(const char* p, const char* q)
{
    size_t n = static_cast<size_t>(q - p);
    if (n == 0)
        return 0.0;
    char small[128];
    std::unique_ptr<char[]> big;
    char* buf = small;
    if (n > sizeof small) {
        big = std::make_unique<char[]>(n);
        buf = big.get();
    }
    size_t periods = 0;
    for (size_t i = 0; i < n; ++i) {
        char c = p[i] == ',' ? '.' : p[i];
        buf[i] = c;
        periods += c == '.';
    }
    if (buf[n - 1] == '.') {
        --n;
        --periods;
    }
    if (periods >= 2) {
        // Drop the part-capped tail, then squeeze out all periods but the last.
        if (periods >= static_cast<size_t>(kMaxParts)) {
            size_t seen = 0;
            for (size_t i = 0; i < n; ++i) {
                if (buf[i] == '.' && ++seen == static_cast<size_t>(kMaxParts)) {
                    n = i;
                    break;
                }
            }
            periods = kMaxParts - 1;
        }
        size_t toDrop = periods - 1;
        size_t w = 0;
        for (size_t i = 0; i < n; ++i) {
            if (buf[i] == '.' && toDrop > 0) {
                --toDrop;
                continue;
            }
            buf[w++] = buf[i];
        }
        n = w;
    }
    return CNumber::parsePrefix(buf, buf + n);
}

} // namespace

double parseNumber(const char* text)
{
    if (!text)
        return 0.0;
    const char* q = text;
    while (isContinue(*q))
        ++q;
    return parseRun(text, q);
}

double parseNumber(const char* text, SplitParts&)
{
    return parseNumber(text);
}

int parseNumbersInLine(const char* line, double* values, int capacity)
{
    if (!line || !values || capacity <= 0)
        return 0;
    int count = 0;
    const char* p = line;
    while (*p) {
        if (!isStart(*p)) {
            ++p;
            continue;
        }
        // A number starts here. Its value is read from the run of continue
        // characters at p (empty for a leading "i"); the number itself goes
        // on over continue characters after its first one.
        const char* q = p;
        while (isContinue(*q))
            ++q;
        values[count++] = parseRun(p, q);
        if (count == capacity)
            return count;
        const char* r = q > p ? q : p + 1;
        while (isContinue(*r))
            ++r;
        if (!*r)
            break;
        p = r + 1; // the character that ended the number starts nothing
    }
    return count;
}

int parseNumbersInLine(const char* line, double* values, int capacity, SplitParts&)
{
    return parseNumbersInLine(line, values, capacity);
}

// ---------------------------------------------------------------------------
// Temporary names

namespace {

std::mt19937& nameGenerator()
{
    static thread_local std::mt19937 generator = [] {
        std::vector<std::uint32_t> seed;
        try {
            std::random_device device;
            for (int i = 0; i < 4; ++i)
                seed.push_back(device());
        } catch (...) {
            // No entropy source: the time and the thread still tell threads
            // and runs apart.
        }
        const auto now = static_cast<std::uint64_t>(
            std::chrono::high_resolution_clock::now().time_since_epoch().count());
        const auto tid = static_cast<std::uint64_t>(std::hash<std::thread::id>{}(std::this_thread::get_id()));
        seed.push_back(static_cast<std::uint32_t>(now));
        seed.push_back(static_cast<std::uint32_t>(now >> 32));
        seed.push_back(static_cast<std::uint32_t>(tid));
        std::seed_seq sequence(seed.begin(), seed.end());
        return std::mt19937(sequence);
    }();
    return generator;
}

} // namespace

char* randomTempName()
{
    static constexpr char kAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    static constexpr int kAlphabetSize = sizeof kAlphabet - 1;
    static_assert(kAlphabetSize == 62);
    constexpr int kLength = 12;
    std::uniform_int_distribution<int> pick(0, kAlphabetSize - 1);
    std::mt19937& generator = nameGenerator();
    char* out = tempStringAlloc(kLength);
    for (int i = 0; i < kLength; ++i)
        out[i] = kAlphabet[pick(generator)];
    out[kLength] = '\0';
    return out;
}

// ---------------------------------------------------------------------------
// Less used members

namespace {

enum class LineMode { DropCr, EndAtCr, KeepNul, Printable };

char* readLineImpl(std::FILE* file, LineMode mode, size_t* length)
{
    if (!file)
        return nullptr;
    std::string line;
    bool readAny = false;
    int c;
    while ((c = std::getc(file)) != EOF) {
        readAny = true;
        if (c == '\n')
            break;
        if (c == '\r') {
            if (mode != LineMode::EndAtCr)
                continue;
            const int next = std::getc(file);
            if (next != '\n' && next != EOF)
                std::ungetc(next, file);
            break;
        }
        if (c == '\0' && mode != LineMode::KeepNul)
            continue;
        if (mode == LineMode::Printable && (c < 0x20 || c > 0x7e))
            continue;
        line.push_back(static_cast<char>(c));
    }
    if (!readAny)
        return nullptr;
    if (length)
        *length = line.size();
    return ringCopy(line.data(), line.size());
}

template <typename Keep> char* keepChars(const char* text, Keep keep)
{
    text = orEmpty(text);
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (keep(*p))
            out.push_back(*p);
    }
    return ringCopy(out.data(), out.size());
}

bool isAsciiAlnum(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

} // namespace

char* readLine(std::FILE* file)
{
    return readLineImpl(file, LineMode::DropCr, nullptr);
}

char* readLineToCr(std::FILE* file)
{
    return readLineImpl(file, LineMode::EndAtCr, nullptr);
}

char* readLineKeepNul(std::FILE* file, size_t* length)
{
    return readLineImpl(file, LineMode::KeepNul, length);
}

char* readLinePrintable(std::FILE* file)
{
    return readLineImpl(file, LineMode::Printable, nullptr);
}

int stringSplitQuoted(const char* text, SplitParts& parts, const char* separator)
{
    // The next separator outside double quotes. A search starts just past a separator, which
    // only counts outside quotes, so every search starts unquoted.
    auto findUnquoted = [](const char* s, size_t len, size_t from, const char* sep, size_t sepLen) {
        bool quoted = false;
        for (size_t i = from; sepLen > 0 && i < len; ++i) {
            if (s[i] == '"')
                quoted = !quoted;
            else if (!quoted && len - i >= sepLen && std::memcmp(s + i, sep, sepLen) == 0)
                return i;
        }
        return size_t(std::string::npos);
    };
    return splitAt(text, parts, separator, findUnquoted);
}

char* stringTrimSpace(const char* text)
{
    text = orEmpty(text);
    auto isSpaceOrControl = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u <= 0x20 || u == 0x7f;
    };
    while (*text && isSpaceOrControl(*text))
        ++text;
    size_t len = std::strlen(text);
    while (len > 0 && isSpaceOrControl(text[len - 1]))
        --len;
    return ringCopy(text, len);
}

char* stringReplaceChar(const char* text, char from, char to)
{
    return mapChars(text, [from, to](char c) { return c == from ? to : c; });
}

char* stringReplaceAllOnce(const char* needle, const char* replacement, const char* text)
{
    text = orEmpty(text);
    needle = orEmpty(needle);
    replacement = orEmpty(replacement);
    const size_t len = std::strlen(text);
    const size_t m = std::strlen(needle);
    std::string out;
    size_t from = 0;
    for (;;) {
        const size_t hit = findFrom(text, len, from, needle, m);
        if (hit == std::string::npos)
            break;
        out.append(text + from, hit - from);
        out.append(replacement);
        from = hit + m;
    }
    out.append(text + from, len - from);
    return ringCopy(out.data(), out.size());
}

char* stringInsert(int n, const char* insertion, const char* text)
{
    text = orEmpty(text);
    insertion = orEmpty(insertion);
    const long long len = static_cast<long long>(std::strlen(text));
    const long long at = n < 0 ? 0 : (static_cast<long long>(n) >= len - 1 ? len : n + 1LL);
    std::string out(text, static_cast<size_t>(at));
    out.append(insertion);
    out.append(text + at);
    return ringCopy(out.data(), out.size());
}

char* timeNowFormatted(const char* format)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char buf[64];
    size_t n = 0;
    if (format && localtime_r(&now, &local))
        n = std::strftime(buf, sizeof buf, format, &local);
    return ringCopy(buf, n);
}

char* formatNumberShort(int decimals, double value)
{
    decimals = std::clamp(decimals, 0, 64);
    if (value == 0)
        return tempStringCopy("0.0");
    const double a = std::fabs(value);
    std::string s;
    if (!(a >= 0.001 && a <= 10000)) {
        s = CNumber::format("%.*e", decimals, value);
    } else {
        s = CNumber::format("%.*f", decimals, value);
        const size_t point = s.find('.');
        if (point != std::string::npos) {
            while (s.back() == '0')
                s.pop_back();
            const size_t limit = std::max(static_cast<size_t>(decimals) + 3, point);
            if (s.size() > limit)
                s.resize(limit);
            if (s.back() == '.')
                s.pop_back();
        }
    }
    return ringCopy(s.data(), s.size());
}

char* stringKeepNameChars(const char* text)
{
    return keepChars(text,
                     [](char c) { return isAsciiAlnum(c) || c == '-' || c == '.' || c == '/' || c == '_'; });
}

char* stringKeepWordChars(const char* text)
{
    return keepChars(text,
                     [](char c) { return isAsciiAlnum(c) || c == ' ' || c == '-' || c == '.' || c == '_'; });
}

char* stringFuzzyFind(const char* pattern, const char* text, int maxEdits, int* edits)
{
    pattern = orEmpty(pattern);
    text = orEmpty(text);
    const size_t m = std::strlen(pattern);
    const size_t n = std::strlen(text);
    // Edit-distance table with a free start anywhere in the text, one column
    // per text position; each cell also carries where its stretch begins.
    std::vector<long long> cost(m + 1), nextCost(m + 1);
    std::vector<size_t> start(m + 1, 0), nextStart(m + 1);
    for (size_t i = 0; i <= m; ++i)
        cost[i] = static_cast<long long>(i);
    long long best = cost[m];
    size_t bestStart = 0;
    for (size_t j = 1; j <= n && best > 0; ++j) {
        nextCost[0] = 0;
        nextStart[0] = j;
        for (size_t i = 1; i <= m; ++i) {
            long long c = cost[i - 1] + (pattern[i - 1] != text[j - 1]);
            size_t s = start[i - 1];
            if (cost[i] + 1 < c || (cost[i] + 1 == c && start[i] < s)) {
                c = cost[i] + 1;
                s = start[i];
            }
            if (nextCost[i - 1] + 1 < c || (nextCost[i - 1] + 1 == c && nextStart[i - 1] < s)) {
                c = nextCost[i - 1] + 1;
                s = nextStart[i - 1];
            }
            nextCost[i] = c;
            nextStart[i] = s;
        }
        cost.swap(nextCost);
        start.swap(nextStart);
        if (cost[m] < best) {
            best = cost[m];
            bestStart = start[m];
        }
    }
    if (maxEdits < 0 || best > maxEdits) {
        if (edits)
            *edits = -1;
        return tempStringCopy("");
    }
    if (edits)
        *edits = static_cast<int>(best);
    return tempStringCopy(text + bestStart);
}
