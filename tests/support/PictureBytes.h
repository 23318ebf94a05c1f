#pragma once

// Pictures as the pasteboard and drops carry them: encoded image files and
// a one-page PDF; and a PDF of a few kilobytes that takes hours to draw.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QList>
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

// A PDF of one page of 100 x 100 points whose form k draws form k - 1
// `times` times, `levels` deep, form 0 being a line: times^levels lines
// from a file of a kilobyte or two.
inline QByteArray formsDrawingEachOther(int levels, int times)
{
    const auto n = [](qsizetype v) { return QByteArray::number(v); };
    const auto stream = [&n](const QByteArray& dict, const QByteArray& data) {
        return "<< " + dict + " /Length " + n(data.size()) + " >>\nstream\n" + data + "\nendstream";
    };
    const QByteArray form = "/Type /XObject /Subtype /Form /BBox [0 0 100 100]";
    // Objects 1 to 4: catalogue, page list, page, page content; then form k
    // is object 5 + k.
    QList<QByteArray> objects{
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] /Resources << /XObject << /F " + n(5 + levels)
            + " 0 R >> >> /Contents 4 0 R >>",
        stream("", "/F Do"),
        stream(form, "0 0 m 100 100 l S"),
    };
    for (int k = 1; k <= levels; ++k)
        objects.append(stream(form + " /Resources << /XObject << /F " + n(4 + k) + " 0 R >> >>",
                              QByteArray("/F Do\n").repeated(times)));
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets.append(pdf.size());
        pdf += n(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + n(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        pdf += n(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + n(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" + n(xref)
        + "\n%%EOF\n";
    return pdf;
}

} // namespace PictureBytes
