#pragma once

// Pictures as the pasteboard and drops carry them: encoded image files and
// a one-page PDF.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace PictureBytes {

// A blue image of `pixels` at `dotsPerMeter` (2835 is 72 dots per inch: a
// pixel is a point), encoded in `format` ("png", "tiff", ...); empty when Qt
// cannot write the format.
inline QByteArray image(QSize pixels, const char* format, int dotsPerMeter = 2835)
{
    QImage picture(pixels, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    picture.setDotsPerMeterX(dotsPerMeter);
    picture.setDotsPerMeterY(dotsPerMeter);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    return writer.write(picture) ? bytes : QByteArray();
}

// A PNG of `pixels` that names no resolution: Qt always writes one (a pHYs
// chunk), which is cut out again.
inline QByteArray pngWithoutResolution(QSize pixels)
{
    QByteArray bytes = image(pixels, "png");
    for (qsizetype at = 8; at + 12 <= bytes.size();) {
        const auto* p = reinterpret_cast<const uchar*>(bytes.constData() + at);
        const qsizetype length = (qsizetype(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
        if (bytes.mid(at + 4, 4) == "pHYs") {
            bytes.remove(at, 12 + length);
            break;
        }
        at += 12 + length;
    }
    return bytes;
}

// A PDF of one page of `points` with a line on it.
inline QByteArray pdf(QSizeF points = QSizeF(200, 100))
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(points, QPageSize::Point));
    QPainter p(&writer);
    p.drawLine(0, 0, 100, 100);
    p.end();
    return bytes;
}

} // namespace PictureBytes
