// The PDF reader behind EPS export, built as a module of its own: the PDF
// library and the two dozen libraries it pulls in are loaded when the first
// EPS is made, not each time the program starts.

#include "io/EpsConversion.h"

#include <poppler-qt6.h>

#include <QBuffer>
#include <QByteArray>

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
