#include "io/PictureExport.h"

#include "io/EpsConversion.h"
#include "io/ExportRenderer.h"
#include "io/PngEncoding.h"
#include "model/DocumentView.h"
#include "model/VexaDocument.h"
#include "platform/AtomicFile.h"
#include "view/VexaView.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

bool usableSize(QSizeF s)
{
    return std::isfinite(s.width()) && std::isfinite(s.height()) && s.width() > 0 && s.height() > 0;
}

VexaView* viewOf(VexaDocument& document, QString* error)
{
    auto* view = dynamic_cast<VexaView*>(document.PV);
    if (!view)
        setError(error, QStringLiteral("the document has no view to export"));
    return view;
}

// Draws the view's picture (failure or not), writes it, and lets the screen
// show the view without print mode again.
template <typename MakeData> Outcome exportPicture(VexaDocument& document, const QString& path, MakeData make)
{
    QString error;
    VexaView* view = viewOf(document, &error);
    if (!view)
        return Outcome::failed(error, PictureExport::alertTitle());
    const QByteArray data = make(*view, &error);
    const bool ok = !data.isEmpty() && AtomicFile::writeFile(path, data, &error);
    view->displayNow();
    return ok ? Outcome::done() : Outcome::failed(error, PictureExport::alertTitle());
}

QByteArray encodeImage(const QImage& image, const char* format, QString* error)
{
    if (image.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image)) {
        setError(error, writer.errorString());
        return {};
    }
    return bytes;
}

} // namespace

QByteArray PictureExport::pdfData(VexaView& view, QString* error)
{
    const QSizeF size = view.boundsSize();
    if (!usableSize(size)) {
        setError(error, QStringLiteral("the view has no size"));
        return {};
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("Vexa"));
        writer.setPageLayout(QPageLayout(QPageSize(size, QPageSize::Point, QString(), QPageSize::ExactMatch),
                                         QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        QPainter painter;
        if (!painter.begin(&writer)) {
            setError(error, QStringLiteral("could not start the PDF"));
            return {};
        }
        // The writer counts in its own resolution; the view draws in points.
        const double k = writer.resolution() / 72.0;
        painter.scale(k, k);
        ExportRenderer::render(view, painter);
        if (!painter.end()) {
            setError(error, QStringLiteral("could not finish the PDF"));
            return {};
        }
    }
    return bytes;
}

QByteArray PictureExport::epsData(VexaView& view, QString* error)
{
    const QByteArray pdf = pdfData(view, error);
    if (pdf.isEmpty())
        return {};
    const QSizeF size = view.boundsSize();
    QByteArray eps;
    switch (EpsConversion::fromPdf(pdf, int(std::ceil(size.width())), int(std::ceil(size.height())), eps)) {
    case EpsConversion::Status::Done:
        return eps;
    case EpsConversion::Status::UnreadablePdf:
        setError(error, QStringLiteral("could not read back the PDF for the EPS"));
        return {};
    case EpsConversion::Status::ConversionFailed:
        setError(error, QStringLiteral("could not convert the PDF to EPS"));
        return {};
    case EpsConversion::Status::NoConverter:
        setError(error, QStringLiteral("the PDF to EPS converter could not be loaded"));
        return {};
    }
    return {};
}

QSize PictureExport::imageSize(QSizeF viewSize, int dpi)
{
    if (!usableSize(viewSize) || dpi < 1)
        return {};
    const double k = dpi / 72.0;
    const double w = std::max(1.0, std::round(viewSize.width() * k));
    const double h = std::max(1.0, std::round(viewSize.height() * k));
    if (w > maxImageSide || h > maxImageSide)
        return {};
    return QSize(int(w), int(h));
}

QImage PictureExport::image(VexaView& view, int dpi, bool opaque, QString* error)
{
    const QSize px = imageSize(view.boundsSize(), dpi);
    if (px.isEmpty()) {
        setError(error, QStringLiteral("no picture of this size can be made"));
        return {};
    }
    QImage img(px, opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    if (img.isNull()) {
        setError(error, QStringLiteral("not enough memory for a picture of this size"));
        return {};
    }
    const int dotsPerMeter = int(std::lround(dpi / 0.0254));
    img.setDotsPerMeterX(dotsPerMeter);
    img.setDotsPerMeterY(dotsPerMeter);
    img.fill(opaque ? Qt::white : Qt::transparent);
    QPainter painter(&img);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing
                           | QPainter::SmoothPixmapTransform);
    const double k = dpi / 72.0;
    painter.scale(k, k);
    ExportRenderer::render(view, painter);
    painter.end();
    return img;
}

Outcome PictureExport::savePDF(VexaDocument& document, const QString& path)
{
    return exportPicture(document, path, [](VexaView& v, QString* error) { return pdfData(v, error); });
}

Outcome PictureExport::saveEPS(VexaDocument& document, const QString& path)
{
    return exportPicture(document, path, [](VexaView& v, QString* error) { return epsData(v, error); });
}

Outcome PictureExport::saveJPG(VexaDocument& document, const QString& path, int dpi)
{
    return exportPicture(document, path, [dpi](VexaView& v, QString* error) {
        return encodeImage(image(v, dpi, true, error), "jpeg", error);
    });
}

Outcome PictureExport::savePNG(VexaDocument& document, const QString& path, int dpi)
{
    return exportPicture(document, path, [dpi](VexaView& v, QString* error) {
        const QImage picture = image(v, dpi, false, error);
        if (picture.isNull())
            return QByteArray();
        QByteArray png = PngEncoding::encode(picture);
        if (png.isEmpty())
            setError(error, QStringLiteral("the PNG could not be made"));
        return png;
    });
}
