#pragma once

// Reading a whole file that came from anywhere: a document, a list file, a
// macro file, a script. Only a regular file is read, and only up to a
// bound: a FIFO would block for ever, a device such as /dev/zero never
// ends, and a file larger than the bound is refused before its first byte
// is read. The file is opened without waiting (a FIFO is refused, not
// waited on) and checked again through the open descriptor, so a path
// swapped between the check and the read cannot slip anything else in.

#include <QByteArray>
#include <QString>

namespace RegularFile {

enum class Outcome {
    Read, // bytes holds the whole file
    Missing, // no such file
    NotRegular, // a folder, FIFO, socket or device
    TooLarge, // more than the bound (size says how much), or no memory for it
    Unreadable, // no permission or a read error (reason says which)
};

struct Contents {
    Outcome outcome = Outcome::Unreadable;
    QByteArray bytes;
    qint64 size = 0; // the file's size when it was too large
    qint64 bound = 0; // the bound it was read with
    QString reason; // the system's text for Unreadable
};

// The whole regular file at path, at most maxBytes of it.
Contents read(const QString& path, qint64 maxBytes);

// One sentence for a failed read, naming the file: "... is not a regular
// file", "... is too large (700 MB; at most 512 MB are read)", ...
QString message(const Contents& contents, const QString& path);

// A byte count as people read it: "812 bytes", "3.4 MB", "1.2 GB".
QString sizeText(qint64 bytes);

} // namespace RegularFile
