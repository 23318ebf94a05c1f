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

// The resolution a page of this size in points is rendered at.
double renderDpi(QSizeF points)
{
    const double longer = std::max(points.width(), points.height()) / 72.0;
    return std::min(kPdfDotsPerInch, kPdfMaxSide / longer);
}

// The bytes of the image a page of this size renders to (a pixel more on
// each side than it will have).
qint64 renderBytes(QSizeF points)
{
    const double dpi = renderDpi(points);
    const auto side = [dpi](double p) { return qint64(std::ceil(p / 72.0 * dpi)) + 1; };
    return side(points.width()) * side(points.height()) * 4;
}

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

struct Picture::PdfPage {
    bool asked = false;
    QImage image;
};

std::optional<Picture> Picture::fromData(const QByteArray& bytes, Outcome* why, const PixelBudget& budget)
{
    auto fail = [why](const QString& message) -> std::optional<Picture> {
        if (why)
            *why = Outcome::failed(message);
        return std::nullopt;
    };
    if (bytes.isEmpty())
        return fail(emptyMessage());
    if (bytes.size() > maxBytes)
        return fail(tooLargeMessage());

    Picture p;
    p.data_ = bytes;
    if (isPdf(bytes)) {
        // Read by the PDF module, loaded on the first PDF picture; only the
        // page's size now, the page itself when it is first drawn.
        using PageSize = bool (*)(const QByteArray*, QSizeF*);
        const auto pageSize = reinterpret_cast<PageSize>(PdfModule::function("vexaPdfPageSize"));
        QSizeF size;
        if (!pageSize || !pageSize(&bytes, &size))
            return fail(unreadableMessage());
        if (budget && !budget(renderBytes(size)))
            return fail(tooLargeMessage());
        p.format_ = QStringLiteral("pdf");
        p.naturalSize_ = size;
        p.page_ = std::make_shared<PdfPage>();
        return p;
    }

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPixels)
        return fail(tooLargeMessage());
    if (budget && size.isValid() && !budget(qint64(size.width()) * size.height() * 4))
        return fail(tooLargeMessage());
    const QString format = QString::fromLatin1(reader.format());
    if (!reader.read(&p.image_) || p.image_.isNull())
        return fail(unreadableMessage());
    // A reader that tells no size beforehand decodes within its own
    // allocation limit; what it made counts all the same.
    if (budget && !size.isValid() && !budget(p.image_.sizeInBytes()))
        return fail(tooLargeMessage());
    p.format_ = format;
    p.naturalSize_ = pointsOf(p.image_, namesResolution(p.image_, format, bytes));
    return p;
}

const QImage& Picture::image() const
{
    if (!page_ || page_->asked)
        return page_ ? page_->image : image_;
    page_->asked = true;
    using Render = bool (*)(const QByteArray*, double, int, qint64, QImage*);
    const auto render = reinterpret_cast<Render>(PdfModule::function("vexaRenderPdfPageWithin"));
    if (!render
        || !render(&data_, renderDpi(naturalSize_), renderMilliseconds, renderBytes(naturalSize_),
                   &page_->image))
        page_->image = QImage();
    return page_->image;
}

bool Picture::isRendered() const
{
    return !page_ || page_->asked;
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
