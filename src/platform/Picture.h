#pragma once

// A picture placed on a graph: the bytes it came from (a PNG, JPEG, TIFF,
// GIF or BMP file, or a PDF document) and the image decoded from them. The
// bytes are kept as they came, so a picture saved again is the very file
// that was pasted or dropped; the image is what gets drawn. A PDF shows its
// first page, rendered once when the picture is made.
//
// Pictures are values: a copy shares the bytes and the image.

#include <QByteArray>
#include <QImage>
#include <QSizeF>
#include <QString>

#include <optional>

enum class PictureOutcome {
    Ok,
    Empty, // no bytes at all
    TooLarge, // more bytes or pixels than any picture we take
    NotAPicture, // no reader took the bytes, or they are damaged
};

class Picture {
public:
    // The most bytes a picture may have.
    static constexpr qsizetype maxBytes = qsizetype(64) << 20;

    // Decodes the bytes; nothing (with why, when asked) when they hold no
    // picture we can show.
    static std::optional<Picture> fromData(const QByteArray& bytes, PictureOutcome* why = nullptr);
    // A picture of an image that has no file of its own (a pasted bitmap):
    // its bytes are the image as PNG. Nothing for a null image.
    static std::optional<Picture> fromImage(const QImage& image);

    static QString message(PictureOutcome outcome);

    const QByteArray& data() const { return data_; }
    const QImage& image() const { return image_; }
    // "png", "jpeg", "tiff", "gif", "bmp", "pdf", ...
    const QString& format() const { return format_; }
    // The size the picture asks for, in points: a PDF page's own size, an
    // image's pixels at its stored resolution (72 per inch when it has none).
    QSizeF naturalSize() const { return naturalSize_; }

private:
    Picture() = default;
    QByteArray data_;
    QImage image_;
    QString format_;
    QSizeF naturalSize_;
};
