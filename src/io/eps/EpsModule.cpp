// The PDF reader behind EPS export and PDF pictures, built as a module of
// its own: the PDF library and the two dozen libraries it pulls in are
// loaded when the first EPS or PDF picture is made, not each time the
// program starts.

#include "io/EpsConversion.h"

#include <poppler-qt6.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QSizeF>

#include <algorithm>
#include <cmath>
#include <memory>

extern "C" __attribute__((visibility("default"))) int vexaPdfToEps(const QByteArray* pdf, int width, int height,
                                                                   QByteArray* eps)
{
    std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(*pdf);
    if (!document || document->isLocked() || document->numPages() != 1)
        return int(EpsConversion::Status::UnreadablePdf);
    std::unique_ptr<Poppler::PSConverter> converter = document->psConverter();
    eps->clear();
    QBuffer out(eps);
    out.open(QIODevice::WriteOnly);
    converter->setOutputDevice(&out);
    converter->setPageList({1});
    converter->setPaperWidth(width);
    converter->setPaperHeight(height);
    converter->setPSOptions(Poppler::PSConverter::PrintToEPS | Poppler::PSConverter::HideAnnotations);
    if (!converter->convert() || eps->isEmpty())
        return int(EpsConversion::Status::ConversionFailed);
    return int(EpsConversion::Status::Done);
}

// The first page of a PDF as an image, at most maxDpi dots per inch and
// maxSide pixels on its longer side, with its size in points. False when
// the bytes are no readable, unlocked PDF with a page of finite size.
extern "C" __attribute__((visibility("default"))) bool
vexaRenderPdfPage(const QByteArray* pdf, double maxDpi, int maxSide, QImage* image, QSizeF* size)
{
    std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(*pdf);
    if (!document || document->isLocked() || document->numPages() < 1)
        return false;
    std::unique_ptr<Poppler::Page> page = document->page(0);
    if (!page)
        return false;
    const QSizeF points = page->pageSizeF();
    if (!(points.width() > 0 && points.height() > 0 && std::isfinite(points.width())
          && std::isfinite(points.height())))
        return false;
    const double longer = std::max(points.width(), points.height()) / 72.0;
    const double dpi = std::min(maxDpi, maxSide / longer);
    document->setRenderHint(Poppler::Document::Antialiasing);
    document->setRenderHint(Poppler::Document::TextAntialiasing);
    *image = page->renderToImage(dpi, dpi);
    *size = points;
    return !image->isNull();
}
