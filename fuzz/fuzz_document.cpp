// libFuzzer target: arbitrary bytes opened as a document file, whole and as
// one section merged into an open document. Any crash, hang, sanitizer report
// or runaway memory is a finding, in reading or in drawing what was read; so
// is a file that opens but is not saved the same way after it is saved and
// opened once more, and a refused file that changed the document it was
// refused for.

#include "FuzzSetup.h"
#include "io/DocumentArchive.h"
#include "model/VexaDocument.h"
#include "view/VexaView.h"

#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void finding(const char* what, const QString& detail = QString())
{
    std::fprintf(stderr, "%s %s\n", what, qPrintable(detail));
    std::abort();
}

QByteArray saved(const VexaDocument& d)
{
    const DocumentArchive::WindowFrame window{double(d.winx), double(d.winy), double(d.winw), double(d.winh)};
    QString error;
    auto bytes
        = DocumentArchive::dataRepresentationOfType(d, DocumentArchive::documentType(), &window, &error);
    if (!bytes)
        finding("an opened document could not be saved:", error);
    return *bytes;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSetup::startApplication("fuzz_document");
    QImageReader::setAllocationLimit(32);

    // Caches filled once, so the leak checker does not take them for leaks
    // of the first input.
    FuzzSetup::warmCaches();
    VexaDocument warm;
    (void)saved(warm);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // One section into an open document: a refusal leaves it as it was.
    {
        VexaDocument open;
        open.newBuffer();
        DocumentArchive::SubviewViews views;
        const QByteArray before = saved(open);
        const QString section
            = DocumentArchive::sectionTypeName(DocumentArchive::PartialLoadSection(size % 7));
        if (!DocumentArchive::loadDataRepresentation(open, bytes, section, views).ok()
            && saved(open) != before)
            finding("a refused section changed the document");
    }

    VexaDocument first;
    DocumentArchive::SubviewViews firstViews;
    if (!DocumentArchive::loadDataRepresentation(first, bytes, DocumentArchive::documentType(), firstViews)
             .ok())
        return 0;
    const QByteArray once = saved(first);

    VexaDocument second;
    DocumentArchive::SubviewViews secondViews;
    if (!DocumentArchive::loadDataRepresentation(second, once, DocumentArchive::documentType(), secondViews)
             .ok())
        finding("a saved document could not be opened again");
    if (saved(second) != once)
        finding("a document changed in a save and open");

    // Drawn as a window shows it, sub-views and all; small, so that inputs
    // are many.
    VexaView view(QSizeF(160, 120));
    view.setVexaDocument(&first);
    QImage image(160, 120, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    view.drawIn(painter);
    return 0;
}
