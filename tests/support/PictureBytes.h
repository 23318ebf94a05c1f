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

// A blue image of `pixels` at 72 dots per inch (a pixel is a point), encoded
// in `format` ("png", "tiff", ...); empty when Qt cannot write the format.
inline QByteArray image(QSize pixels, const char* format)
{
    QImage picture(pixels, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    picture.setDotsPerMeterX(2835);
    picture.setDotsPerMeterY(2835);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    return writer.write(picture) ? bytes : QByteArray();
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
