#pragma once

// The quick reading of the plain lines of an import: lines of printable
// ASCII whose every field is a plain decimal number (or, with a separator, an
// empty field) are read here, straight from the file's bytes and without
// copying them; every other line is marked for the careful line reader, which
// knows dates, Unicode blanks and breaks, decimal commas, thousands periods
// and every oddity of the number syntax. A line read here gives exactly what
// the careful reader would give for it. Pieces of a file may be read on
// several threads; the caller applies their lines in order.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class AsciiFastLines {
public:
    struct Syntax {
        // Numbers between blanks; else fields between separator bytes.
        bool whitespace = true;
        char separator = '\t';
        // Whitespace syntax: these characters separate numbers like blanks.
        bool commaBlank = false, periodBlank = false;
        std::string cut; // a line ends where this starts
        std::string ignore; // lines holding this give nothing
        bool numericOnly = true;
        int maxFields = 2048;
    };

    // Per line: the number of fields read (their values follow in order),
    // or one of these.
    enum : std::int32_t {
        Skip = -1, // the careful reader would take nothing from it either
        Careful = -2, // for the careful reader: its offset and length follow
    };
    struct Result {
        std::vector<std::int32_t> lines;
        std::vector<double> values;
        std::vector<unsigned char> empty; // separator syntax: per value, the field was empty
        std::vector<std::size_t> careful; // offset and length per Careful line
        void clear()
        {
            lines.clear();
            values.clear();
            empty.clear();
            careful.clear();
        }
    };

    explicit AsciiFastLines(const Syntax& syntax);

    // Reads the lines of text[0, n) (separated by line feeds; a last line
    // without one counts) into out, after what it holds. Offsets count from
    // text + base.
    void read(const char* text, std::size_t n, std::size_t base, Result& out) const;

private:
    // One line [p, end); whole words may be read up to limit.
    std::int32_t line(const char* p, const char* end, const char* limit, Result& out) const;
    // The common lines, read as their bytes come: numbers and blanks (or
    // separators) only, up to the line feed, which goes to lineEnd. Careful
    // for any other line, which then goes to line().
    std::int32_t hotWords(const char* p, const char* end, const char*& lineEnd, Result& out) const;
    std::int32_t hotFields(const char* p, const char* end, const char*& lineEnd, Result& out) const;

    Syntax syntax_;
    unsigned char blank_[256] = {};
    // Whether a line of numbers and blanks alone can be read at once: it
    // cannot hold a cut or ignored text made of other characters.
    bool hot_ = false;
};
