#pragma once

// A picture placed on a graph: the bytes it came from (a PNG, JPEG, TIFF,
// GIF or BMP file, or a PDF document) and the image decoded from them. The
// bytes are kept as they came, so a picture saved again is the very file
// that was pasted or dropped; the image is what gets drawn. A PDF shows its
// first page. Its size is read when the picture is made, but its page is
// rendered only when first drawn, once, within a time and a pixel limit:
// a page of forms that draw each other could take hours, and opening a
// document must not wait for any of it. A page that fails or runs out of
// time stays without an image, and is drawn as a placeholder.
//
// Pictures are values: a copy shares the bytes and the image (and the
// rendering of a PDF page, made at most once for all of them).

#include "platform/Outcome.h"

#include <QByteArray>
#include <QImage>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class Picture {
public:
    // The most bytes a picture may have.
    static constexpr qsizetype maxBytes = qsizetype(64) << 20;

    // A PDF page gets this long to render, from its first drawing.
    static constexpr int renderMilliseconds = 3000;

    // Asked for the bytes of pixels a picture will take (a PDF page's
    // rendering included) before any is made; false refuses the picture as
    // too large. A reader of untrusted bytes counts them against its budget.
    using PixelBudget = std::function<bool(qint64 bytes)>;

    // Decodes the bytes; nothing (with why, when asked) when they hold no
    // picture we can show: emptyMessage(), tooLargeMessage() or
    // unreadableMessage() as a failed outcome.
    static std::optional<Picture> fromData(const QByteArray& bytes, Outcome* why = nullptr,
                                           const PixelBudget& budget = {});
    // A picture of an image that has no file of its own (a pasted bitmap):
    // its bytes are the image as PNG. Nothing for a null image.
    static std::optional<Picture> fromImage(const QImage& image);

    static QString emptyMessage() { return QStringLiteral("The picture is empty."); }
    static QString tooLargeMessage() { return QStringLiteral("The picture is too large."); }
    static QString unreadableMessage() { return QStringLiteral("The picture could not be read."); }

    const QByteArray& data() const { return data_; }
    // The image to draw. For a PDF the first call renders the page; null
    // when that failed or ran out of time (and then for good).
    const QImage& image() const;
    // False for a PDF page not yet asked for its image.
    bool isRendered() const;
    // "png", "jpeg", "tiff", "gif", "bmp", "pdf", ...
    const QString& format() const { return format_; }
    // The size the picture asks for, in points: a PDF page's own size, an
    // image's pixels at its stored resolution (72 per inch when it has none).
    QSizeF naturalSize() const { return naturalSize_; }

private:
    Picture() = default;
    struct PdfPage;
    QByteArray data_;
    QImage image_;
    QString format_;
    QSizeF naturalSize_;
    std::shared_ptr<PdfPage> page_; // a PDF's page, rendered on first use
};
