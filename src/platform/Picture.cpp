#include "platform/Picture.h"

#include "platform/PdfModule.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// More pixels than this is no picture anybody places on a graph; refusing
// it keeps a hostile file from taking the memory.
constexpr qint64 kMaxPixels = qint64(100) << 20;
// A PDF page is rendered once, sharp enough for print at its natural size
// and never larger than this on its longer side.
constexpr double kPdfDotsPerInch = 300;
constexpr int kPdfMaxSide = 4096;

bool isPdf(const QByteArray& bytes)
{
    // The header may follow a little junk, as readers have always allowed.
    return bytes.left(1024).contains("%PDF-");
}

// Whether a PNG file names its resolution: a pHYs chunk in dots per metre
// before the image data.
bool pngNamesResolution(const QByteArray& bytes)
{
    qsizetype at = 8;
    while (at + 12 <= bytes.size()) {
        const quint32 length = qFromBigEndian<quint32>(bytes.constData() + at);
        const QByteArray type = bytes.mid(at + 4, 4);
        if (type == "IDAT" || type == "IEND" || length > quint32(bytes.size() - at - 12))
            return false;
        if (type == "pHYs")
            return length >= 9 && bytes.at(at + 8 + 8) == 1;
        at += 12 + qsizetype(length);
    }
    return false;
}

// Whether the image's resolution came from its file. Qt's readers leave an
// image whose file names none at the screen's default, which says nothing
// about the picture; a PNG is asked directly, as it may name exactly that.
bool namesResolution(const QImage& image, const QString& format, const QByteArray& bytes)
{
    if (format == QLatin1String("png"))
        return pngNamesResolution(bytes);
    const QImage unnamed(1, 1, QImage::Format_Mono);
    return image.dotsPerMeterX() != unnamed.dotsPerMeterX()
        || image.dotsPerMeterY() != unnamed.dotsPerMeterY();
}

// The picture's size in points. A picture whose file names no resolution
// has 72 dots per inch: a pixel is a point.
QSizeF pointsOf(const QImage& image, bool resolutionNamed)
{
    auto points = [resolutionNamed](int pixels, int dotsPerMeter) {
        if (!resolutionNamed || dotsPerMeter <= 0)
            return double(pixels);
        const double dpi = dotsPerMeter * 0.0254;
        return dpi < 1 ? double(pixels) : pixels * 72.0 / dpi;
    };
    return QSizeF(points(image.width(), image.dotsPerMeterX()),
                  points(image.height(), image.dotsPerMeterY()));
}

} // namespace

std::optional<Picture> Picture::fromData(const QByteArray& bytes, PictureOutcome* why)
{
    auto fail = [why](PictureOutcome outcome) -> std::optional<Picture> {
        if (why)
            *why = outcome;
        return std::nullopt;
    };
    if (bytes.isEmpty())
        return fail(PictureOutcome::Empty);
    if (bytes.size() > maxBytes)
        return fail(PictureOutcome::TooLarge);

    Picture p;
    p.data_ = bytes;
    if (isPdf(bytes)) {
        // Rendered by the PDF module, loaded on the first PDF picture.
        using Render = bool (*)(const QByteArray*, double, int, QImage*, QSizeF*);
        const auto render = reinterpret_cast<Render>(PdfModule::function("vexaRenderPdfPage"));
        QSizeF size;
        if (!render || !render(&bytes, kPdfDotsPerInch, kPdfMaxSide, &p.image_, &size))
            return fail(PictureOutcome::NotAPicture);
        p.format_ = QStringLiteral("pdf");
        p.naturalSize_ = size;
        return p;
    }

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPixels)
        return fail(PictureOutcome::TooLarge);
    const QString format = QString::fromLatin1(reader.format());
    if (!reader.read(&p.image_) || p.image_.isNull())
        return fail(PictureOutcome::NotAPicture);
    p.format_ = format;
    p.naturalSize_ = pointsOf(p.image_, namesResolution(p.image_, format, bytes));
    return p;
}

std::optional<Picture> Picture::fromImage(const QImage& image)
{
    if (image.isNull())
        return std::nullopt;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return std::nullopt;
    Picture p;
    p.data_ = png;
    p.image_ = image;
    p.format_ = QStringLiteral("png");
    p.naturalSize_ = pointsOf(image, namesResolution(image, QString(), QByteArray()));
    return p;
}

QString Picture::message(PictureOutcome outcome)
{
    switch (outcome) {
    case PictureOutcome::Ok:
        return QString();
    case PictureOutcome::Empty:
        return QStringLiteral("The picture is empty.");
    case PictureOutcome::TooLarge:
        return QStringLiteral("The picture is too large.");
    case PictureOutcome::NotAPicture:
        break;
    }
    return QStringLiteral("The picture could not be read.");
}
