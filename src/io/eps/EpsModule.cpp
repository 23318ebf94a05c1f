// The PDF reader behind EPS export and PDF pictures, built as a module of
// its own: the PDF library and the two dozen libraries it pulls in are
// loaded when the first EPS or PDF picture is made, not each time the
// program starts.

#include "io/EpsConversion.h"

#include <poppler-qt6.h>

#include <QBuffer>
#include <QByteArray>
#include <QDeadlineTimer>
#include <QImage>
#include <QSizeF>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>

#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern "C" __attribute__((visibility("default"))) int vexaPdfToEps(const QByteArray* pdf, int width,
                                                                   int height, QByteArray* eps)
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

namespace {

// The document's first page; null when the bytes are no readable, unlocked
// PDF with a page of finite size.
std::unique_ptr<Poppler::Page> firstPage(const std::unique_ptr<Poppler::Document>& document)
{
    if (!document || document->isLocked() || document->numPages() < 1)
        return nullptr;
    std::unique_ptr<Poppler::Page> page = document->page(0);
    if (!page)
        return nullptr;
    const QSizeF points = page->pageSizeF();
    if (!(points.width() > 0 && points.height() > 0 && std::isfinite(points.width())
          && std::isfinite(points.height())))
        return nullptr;
    return page;
}

} // namespace

// The size in points of the first page of a PDF, its content left unread.
// False when the bytes are no readable, unlocked PDF with a page of finite
// size.
extern "C" __attribute__((visibility("default"))) bool vexaPdfPageSize(const QByteArray* pdf, QSizeF* size)
{
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(*pdf);
    const std::unique_ptr<Poppler::Page> page = firstPage(document);
    if (!page)
        return false;
    *size = page->pageSizeF();
    return true;
}

// The first page of a PDF as an image at dpi dots per inch, of at most
// maxBytes of pixels, given up after milliseconds: false then, or when the
// page cannot be read or rendered.
//
// The page is drawn in a child process of its own. The PDF library offers
// to stop a drawing when asked, but never asks while forms draw forms, and a
// page of a few kilobytes can draw for hours; nor does a damaged file that
// makes the library fail take the program with it. The child hands its
// pixels back through memory shared with us, and is ended when its time is
// up.
extern "C" __attribute__((visibility("default"))) bool
vexaRenderPdfPageWithin(const QByteArray* pdf, double dpi, int milliseconds, qint64 maxBytes, QImage* image)
{
    struct Header {
        qint32 width;
        qint32 height;
        qint32 done;
    };
    if (maxBytes <= 0)
        return false;
    const std::size_t size = sizeof(Header) + std::size_t(maxBytes);
    void* shared = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED)
        return false;
    auto* header = static_cast<Header*>(shared);
    uchar* pixels = static_cast<uchar*>(shared) + sizeof(Header);

    const QDeadlineTimer deadline(milliseconds);
    const pid_t child = ::fork();
    if (child == 0) {
        const std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(*pdf);
        const std::unique_ptr<Poppler::Page> page = firstPage(document);
        if (page) {
            document->setRenderHint(Poppler::Document::Antialiasing);
            document->setRenderHint(Poppler::Document::TextAntialiasing);
            const QImage drawn
                = page->renderToImage(dpi, dpi).convertToFormat(QImage::Format_ARGB32_Premultiplied);
            const qint64 rowBytes = qint64(drawn.width()) * 4;
            if (!drawn.isNull() && rowBytes * drawn.height() <= maxBytes) {
                for (int y = 0; y < drawn.height(); ++y)
                    std::memcpy(pixels + y * rowBytes, drawn.constScanLine(y), std::size_t(rowBytes));
                header->width = drawn.width();
                header->height = drawn.height();
                header->done = 1;
            }
        }
        ::_exit(0);
    }

    bool ended = false;
    int status = 0;
    while (child > 0) {
        const pid_t r = ::waitpid(child, &status, WNOHANG);
        if (r == child) {
            ended = true;
            break;
        }
        if ((r < 0 && errno != EINTR) || deadline.hasExpired())
            break;
        const timespec pause{0, 2'000'000};
        ::nanosleep(&pause, nullptr);
    }
    if (child > 0 && !ended) {
        ::kill(child, SIGKILL);
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) { }
    }

    const bool drawn = ended && WIFEXITED(status) && WEXITSTATUS(status) == 0 && header->done == 1
        && header->width > 0 && header->height > 0 && qint64(header->width) * header->height * 4 <= maxBytes;
    if (drawn) {
        QImage out(header->width, header->height, QImage::Format_ARGB32_Premultiplied);
        const qint64 rowBytes = qint64(header->width) * 4;
        for (int y = 0; !out.isNull() && y < header->height; ++y)
            std::memcpy(out.scanLine(y), pixels + y * rowBytes, std::size_t(rowBytes));
        *image = out;
    }
    ::munmap(shared, size);
    return drawn && !image->isNull();
}
