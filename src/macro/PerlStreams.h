#pragma once

// The two binary streams between the program and a perl filter or import.
// Every integer is a 32-bit signed little-endian number, every number a
// 64-bit IEEE double in little-endian order; a text is its length (int32)
// followed by its UTF-8 bytes, with no terminating zero.
//
// Input stream (the program to perl, on perl's standard input):
//   filter only: buffer count N, then per buffer the point count P, the
//   column count C (4 with errors, else 2), P rows of x, y (and x error,
//   y error when C is 4), the source text and the comment text;
//   then the numeric variables: count V, V times name text and value;
//   then the string variables: count W, W times name text and value text.
//
// Result stream (perl to the program, on perl's standard output):
//   buffer count N, then per new buffer the point count P and the mode
//   (1: y, x being the point's index; 2: x y; 3: x y, y error; 4: x y,
//   x error, y error; any other mode refuses the result: its points could
//   not be read),
//   then per point the mode's numbers, a comment and a source (a length of
//   0 or less carries no bytes and changes nothing; the last text given
//   wins); then the numeric variables: count V, per entry a name length and,
//   when it is above 0, the name and the value; then the string variables:
//   count W, per entry a name length and, when above 0, the name and a value
//   length, and when that is above 0 the value. An entry whose name or value
//   is empty sets nothing.
//
// The reader checks every count and length against the bytes that are left
// and reads the whole stream before anything is applied: a stream that is
// cut short, claims more than it holds or carries bytes after its end is
// refused as a whole, with the reason.

#include <QByteArray>
#include <QHash>
#include <QString>

#include <utility>
#include <vector>

class DataBuffer;

namespace PerlInputStream {

// The filter's input: the buffers, then the variables.
QByteArray forFilter(const std::vector<const DataBuffer*>& buffers, const QHash<QString, double>& numbers,
                     const QHash<QString, QString>& texts);
// The import's input: the variables alone.
QByteArray forImport(const QHash<QString, double>& numbers, const QHash<QString, QString>& texts);
// The variable part of both (appended to data).
void appendVariables(QByteArray& data, const QHash<QString, double>& numbers,
                     const QHash<QString, QString>& texts);

} // namespace PerlInputStream

// One buffer of a result: the columns as they will enter the document.
struct PerlResultBuffer {
    std::vector<double> X, Y, EX, EY; // EX and EY empty for modes 1 and 2
    QString comment; // empty: left as the new buffer has it
    QString source;
};

struct PerlResult {
    std::vector<PerlResultBuffer> buffers;
    std::vector<std::pair<QString, double>> numbers;
    std::vector<std::pair<QString, QString>> texts;
};

namespace PerlResultStream {

enum class Outcome { Ok, EndsEarly, TooManyBuffers, UnknownMode, TrailingBytes };

// More new buffers than a document can sensibly show come only from a
// damaged or hostile stream.
constexpr qint32 maxBuffers = 100000;

struct Reading {
    Outcome outcome = Outcome::Ok;
    PerlResult result;
    // Where reading stopped, for the message.
    qsizetype offset = 0;
    qsizetype size = 0;
    qint32 announced = 0; // the buffer count, for TooManyBuffers; the mode, for UnknownMode
    bool ok() const { return outcome == Outcome::Ok; }
    // "the result ends early: ..." and the like; empty when ok.
    QString message() const;
};

Reading read(const QByteArray& data);

} // namespace PerlResultStream
