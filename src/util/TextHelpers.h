#pragma once

// Helpers over NUL-terminated byte strings. Results come from a ring of
// temporary strings, so callers never free them: a result stays valid until
// 512 further results have been made on the same thread. Copy what you keep.
//
// The ASCII import cuts every line with these and reads its numbers, so the
// number readers are written for multi-megabyte files: no heap traffic per
// number, and the process locale never changes what "1.5" means.

#include <cstddef>
#include <cstdio>

// The ring of temporary strings. Each thread has its own ring, so a worker
// thread (perl jobs make temporary names and read numbers) never frees a
// string the main thread is still reading.
class TempStringRing {
public:
    static constexpr int size = 512;

    // The calling thread's ring.
    static TempStringRing& current();

    // Makes the next slot a buffer of at least `bytes` bytes (first byte NUL)
    // and returns it; the slot used 512 results ago is reclaimed.
    char* alloc(size_t bytes);

    // Frees every string and starts afresh; earlier results become invalid.
    void freeAll();

    TempStringRing() = default;
    ~TempStringRing();
    TempStringRing(const TempStringRing&) = delete;
    TempStringRing& operator=(const TempStringRing&) = delete;

private:
    struct Slot {
        char* text = nullptr;
        size_t capacity = 0;
    };
    Slot slots_[size];
    int position_ = -1;
};

// A caller-owned table of up to 2048 heap strings that stringSplit fills and
// reuses line after line. Entries are null or owned by the table.
struct SplitParts {
    static constexpr int capacity = 2048;
    char* part[capacity] = {};

    SplitParts() = default;
    ~SplitParts(); // frees what splitPartsFree has not
    SplitParts(const SplitParts&) = delete;
    SplitParts& operator=(const SplitParts&) = delete;

    const char* operator[](int i) const { return part[i]; }
};

// --- the ring --------------------------------------------------------------

// A fresh ring string of n + 2 bytes (n below 0 counts as 0), first byte NUL.
char* tempStringAlloc(int n);
char* tempStringCopy(const char* text);
void tempStringFreeAll();

// --- searching and cutting (a null text counts as empty) -------------------

// Index of the first occurrence of the needle at or after start (a start
// below 0 counts as 0); -1 when absent, when start lies past the end, or when
// the needle is empty.
int stringIndexOf(int start, const char* needle, const char* text);
// Index of the first occurrence of c; -1 when absent, for an empty text, or
// for c == '\0'.
int stringIndexOfChar(const char* text, char c);
// Number of non-overlapping occurrences of the needle (0 for an empty needle).
int stringCount(const char* needle, const char* text);

// Cuts the text at every occurrence of the separator into parts (entries 0 ..
// n-1 are replaced; empty parts are kept) and returns n: 0 for an empty text,
// at most SplitParts::capacity, the text behind the last possible part being
// dropped. An empty separator gives the whole text as one part.
int stringSplit(const char* text, SplitParts& parts, const char* separator);
// Sets every entry to null without freeing (for a table of unknown content).
void splitPartsClear(SplitParts& parts);
// Frees every entry and sets it to null, so the table can be reused.
void splitPartsFree(SplitParts& parts);

// Replaces the leftmost occurrence and searches again from the start until
// none is left ("aaaa", "aa" -> "a" gives "a"). The text is returned unchanged
// when needle and replacement are equal, the needle or the text is empty, or
// the needle occurs in the replacement. Rewrites that keep creating new
// occurrences stop after a work budget proportional to the text.
char* stringReplaceAll(const char* needle, const char* replacement, const char* text);

char* stringTrimBlanks(const char* text); // blanks and tabs at both ends
// The first n characters; a negative n drops abs(n) characters at the end
// (more than the text holds gives the whole text).
char* stringLeft(int n, const char* text);
// The last n characters; a negative n drops the first abs(n).
char* stringRight(int n, const char* text);
char* stringCopy(const char* text);
char* stringLower(const char* text); // ASCII letters only
char* stringUpper(const char* text);

// Path pieces: after the last "/", before it ("" without one), the file
// name's extension after its last "." ("" without one), and the file name
// without that extension.
char* pathFileName(const char* path);
char* pathDirectory(const char* path);
char* pathExtension(const char* path);
char* pathBaseName(const char* path);

// Seconds as "dd:hh:mm:ss.s", "hh:mm:ss.s" or "mm:ss.s" (leading fields only
// when non-zero). Negative or non-finite durations count as 0.
char* formatDuration(double seconds);

// --- less used members --------------------------------------------------------

// One line of a file in the ring, without its line feed; carriage returns and
// NUL bytes are dropped. Null at the end of the file (nothing left to read).
char* readLine(std::FILE* file);
// As readLine, but a carriage return also ends the line (one "\r\n" pair
// ends one line, not two).
char* readLineToCr(std::FILE* file);
// As readLine, but NUL bytes are kept; *length (when given) receives the byte
// count, as the text itself cannot tell it.
char* readLineKeepNul(std::FILE* file, size_t* length = nullptr);
// As readLine, keeping only printable ASCII (blank to "~").
char* readLinePrintable(std::FILE* file);

// Like stringSplit, but a separator inside a stretch between double quotes
// does not cut; the quotes stay in the parts.
int stringSplitQuoted(const char* text, SplitParts& parts, const char* separator);
// Copy without leading and trailing white space and control characters.
char* stringTrimSpace(const char* text);
char* stringReplaceChar(const char* text, char from, char to);
// Every occurrence replaced in one left-to-right pass; inserted text is not
// searched again ("aaaa", "aa" -> "a" gives "aa"). An empty needle changes
// nothing.
char* stringReplaceAllOnce(const char* needle, const char* replacement, const char* text);
// The insertion placed after character n of the text (0 is the first
// character): in front for a negative n, appended when n is at or past the
// last character.
char* stringInsert(int n, const char* insertion, const char* text);
// The current local time through a strftime format, at most 63 characters
// ("" when the result does not fit).
char* timeNowFormatted(const char* format);
// A short number text: zero is "0.0"; magnitudes outside [0.001, 10000] use
// "%.<decimals>e"; the rest "%.<decimals>f" without trailing zeros, cut to
// decimals + 3 characters - but never inside the digits before the decimal
// point, which would show a different number (1234.5 with 1 decimal gives
// "1234", not "123").
char* formatNumberShort(int decimals, double value);
// Copies keeping only ASCII letters, digits and "-", ".", "/", "_" (name) or
// letters, digits, blank, "-", "." and "_" (word).
char* stringKeepNameChars(const char* text);
char* stringKeepWordChars(const char* text);
// Approximate search: of the stretches of the text that match the pattern
// with the fewest edits (insertions, deletions, substitutions), at most
// maxEdits, the one that ends first. Returns the text from the start of that stretch and sets
// *edits; without a match returns "" and sets *edits to -1. An empty pattern
// matches at 0 with 0 edits.
char* stringFuzzyFind(const char* pattern, const char* text, int maxEdits, int* edits);

// --- numbers ---------------------------------------------------------------

// The leading number of a text as typed by users: the run of digits and
// ".,-+eEInNaAfF" at its start, a comma read as a period, a trailing period
// dropped, every period but the last a thousands separator (at most 2047 of
// them count; the text from the 2048th on is ignored), then read like atof in
// the "C" locale. "1,5" gives 1.5, "1.234.567,89" gives 1234567.89, "Inf"
// gives infinity, "inf" (lower-case i) and anything without a number give 0.
// The scratch table is accepted for old callers and left untouched.
double parseNumber(const char* text, SplitParts& scratch);
double parseNumber(const char* text);

// Every number of a line: a number starts at a digit or one of
// ".,-+iInNaAfF" and runs on over digits and ".,-+eEInNaAfF"; its value is
// parseNumber of the text from its start. The character that ends a number is
// not itself looked at again. A word starting with one of those letters
// yields 0 ("and 5" gives 0 and 5). Stores at most `capacity` values and
// returns how many were stored.
int parseNumbersInLine(const char* line, double* values, int capacity, SplitParts& scratch);
int parseNumbersInLine(const char* line, double* values, int capacity);

// 12 characters from [0-9a-zA-Z] for temporary file names, in the ring.
// Drawn from a per-thread std::mt19937 seeded from std::random_device (and the
// time), not from rand(): names from the perl worker thread and the main
// thread never share generator state, and two processes started in the same
// second do not walk the same sequence.
char* randomTempName();
