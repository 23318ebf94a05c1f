#pragma once

// The layout of a raw binary data file: a plain run of numbers of one type,
// no header. c numbers form a record (x, then c - 1 y values); the records
// follow one another, or every column is stored whole before the next.

#include <QtGlobal>

class BinaryRecordLayout {
public:
    // Number types; any other type takes 8 bytes and reads as 0.
    enum NumberType : int { Double = 0, Float = 1, Int32 = 2, Int16 = 3 };
    // Layout modes; any mode but RecordsInRow stores whole columns.
    enum Mode : int { RecordsInRow = 0, ColumnsInRow = 1 };

    // The largest file we read: sizes, rows and point counts stay within int.
    static constexpr qint64 maxFileSize = 0x7fffffff;

    BinaryRecordLayout(int type_, int mode_, bool swap_, int columns_)
            : type(type_)
            , mode(mode_)
            , swap(swap_)
            , columns(columns_)
    {
    }

    int type;
    int mode;
    bool swap; // every number is byte-reversed before it is read
    int columns; // at least 1 for a usable layout

    static int bytesPerNumber(int type);
    int numberBytes() const { return bytesPerNumber(type); }
    // Bytes of one record; 0 when columns < 1.
    qint64 recordBytes() const { return columns >= 1 ? qint64(numberBytes()) * columns : 0; }
    // Whole records in a file of that size; bytes past the last are ignored.
    qint64 rows(qint64 fileSize) const;
    bool byColumns() const { return mode != RecordsInRow; }

    // The number stored in the numberBytes() bytes at p, in the host's byte
    // order (reversed first when swap is set), as a double.
    double decode(const unsigned char* p) const;
};
