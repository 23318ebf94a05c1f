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
#include <cstring>
#include <memory>
#include <string>

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
        // Whether lines may be read with the processor's vector instructions
        // where it has them (the same values either way), and with its widest
        // ones, 64 bytes at a time.
        bool vectors = true;
        bool wideVectors = true;
    };

    // Per line: the number of fields read (their values follow in order),
    // or one of these.
    enum : std::int32_t {
        Skip = -1, // the careful reader would take nothing from it either
        Careful = -2, // for the careful reader: its offset and length follow
    };
    // A growing array of plain values whose new room is not zeroed: the
    // reader writes straight into it, with one check of the room per line.
    template <typename T> class Array {
    public:
        std::size_t size() const { return size_; }
        bool empty() const { return size_ == 0; }
        const T* data() const { return data_.get(); }
        const T& operator[](std::size_t i) const { return data_[i]; }
        void clear() { size_ = 0; }
        void push_back(T v)
        {
            *room(1) = v;
            ++size_;
        }
        // Drops the values from n on.
        void truncate(std::size_t n) { size_ = n < size_ ? n : size_; }
        // Where at least n more values may be written; setEnd counts them.
        T* room(std::size_t n)
        {
            if (capacity_ - size_ < n)
                grow(n);
            return data_.get() + size_;
        }
        void setEnd(const T* end) { size_ = std::size_t(end - data_.get()); }

    private:
        void grow(std::size_t n)
        {
            std::size_t capacity = capacity_ ? 2 * capacity_ : 1024;
            if (capacity < size_ + n)
                capacity = size_ + n;
            std::unique_ptr<T[]> data(new T[capacity]);
            if (size_)
                std::memcpy(data.get(), data_.get(), size_ * sizeof(T));
            data_ = std::move(data);
            capacity_ = capacity;
        }

        std::unique_ptr<T[]> data_;
        std::size_t size_ = 0, capacity_ = 0;
    };

    struct Result {
        Array<std::int32_t> lines;
        Array<double> values;
        Array<unsigned char> empty; // separator syntax: per value, the field was empty
        Array<std::size_t> careful; // offset and length per Careful line
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
    // The common lines, read as their bytes come, one after another from p
    // on: numbers and blanks (or separators) only, up to the line feed.
    // Returns where it stopped: the end, or the start of a line that is for
    // line(), of which nothing was added.
    // Where the wide reader takes lines again, over all the runs of one
    // read(): lines from `until` on are for it, and after `refusals` of its
    // windows in a row it leaves more lines to the others each time.
    struct WideTurn {
        const char* until;
        unsigned refusals = 0;
    };
    const char* hotLines(const char* p, const char* end, WideTurn& wide, Result& out) const;
    template <bool Fields, bool Period>
    const char* hotRun(const char* p, const char* end, WideTurn& wide, Result& out) const;

    Syntax syntax_;
    unsigned char blank_[256] = {};
    // Whether a line of numbers and blanks alone can be read at once: it
    // cannot hold a cut or ignored text made of other characters.
    bool hot_ = false;
    bool avx2_ = false; // plain lines of numbers and blanks read 32 bytes at a time
    // Plain lines read 64 bytes at a time, their bytes classed by this table
    // of the ByteClass of every ASCII byte.
    bool wide_ = false;
    unsigned char classes_[128] = {};
};
