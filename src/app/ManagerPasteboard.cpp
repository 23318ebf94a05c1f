// Copy, Cut and Paste through the system clipboard: buffers and graphics
// between documents in formats of our own, the graph as a picture for other
// programs, and text and pictures from them.

#include "app/Manager.h"

#include "app/DocumentWindowQt.h"
#include "io/AsciiImport.h"
#include "io/PictureExport.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "util/TempFiles.h"
#include "view/VexaView.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImageWriter>
#include <QMimeData>

namespace {

const QString pdfType = QStringLiteral("application/pdf");
const QString tiffType = QStringLiteral("image/tiff");
const QString pngType = QStringLiteral("image/png");

QClipboard* clipboard()
{
    return QGuiApplication::clipboard();
}

void pasteError(const QString& message)
{
    Alert::run(QStringLiteral("Paste Error"), message, {QStringLiteral("Ok")});
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly))
        return {};
    QImageWriter writer(&buffer, format);
    return writer.write(image) ? bytes : QByteArray();
}

} // namespace

QString Manager::bufferMimeType()
{
    return QStringLiteral("application/x-vexa-buffer");
}

QString Manager::graphicMimeType()
{
    return QStringLiteral("application/x-vexa-graphic");
}

// --- copy and cut ---------------------------------------------------------------------------------

void Manager::copy()
{
    if (!PD) {
        Alert::beep();
        return;
    }

    // From the inspector window: the buffers selected in its list.
    if (QApplication::activeWindow() == inspector) {
        std::vector<const DataBuffer*> buffers;
        for (int row : selectedBuffers())
            buffers.push_back(PD->DB[std::size_t(row)].get());
        if (buffers.empty())
            return;
        auto* data = new QMimeData;
        data->setData(bufferMimeType(), DataBuffer::archivedBuffers(buffers));
        clipboard()->setMimeData(data);
        return;
    }

    // The whole graph as a picture: a PDF page for programs that keep
    // vectors, bitmaps for the others.
    auto* view = MPD ? dynamic_cast<VexaView*>(MPD->PV) : nullptr;
    if (!view) {
        Alert::beep();
        return;
    }
    QString error;
    const QByteArray pdf = PictureExport::pdfData(*view, &error);
    const QImage picture = pdf.isEmpty() ? QImage() : PictureExport::image(*view, 72, false, &error);
    if (picture.isNull()) {
        Alert::run(QStringLiteral("Copy Error"), error, {QStringLiteral("Ok")});
        return;
    }
    auto* data = new QMimeData;
    data->setData(pdfType, pdf);
    data->setData(tiffType, encoded(picture, "tiff"));
    data->setData(pngType, encoded(picture, "png"));
    clipboard()->setMimeData(data);
}

void Manager::cut()
{
    if (!PD || !G) {
        Alert::beep();
        return;
    }
}

// --- paste --------------------------------------------------------------------------------------------

namespace {

// Text is imported as an ASCII file would be: numbers picked out of each
// line, x in the first column, dates recognised.
void pasteText(VexaDocument& document, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    if (bytes.contains('\0')) {
        pasteError(QStringLiteral("The pasted text is not plain text"));
        return;
    }
    QString error;
    std::unique_ptr<TempFile> file = makeTempFile(QStringLiteral(".tmp"), &error);
    if (!file || !file->write(bytes) || !file->close()) {
        pasteError(QStringLiteral("The pasted text could not be stored for the import: %1")
                       .arg(error.isEmpty() ? QStringLiteral("write error") : error));
        return;
    }
    ASCIIImport::ImportOptions options;
    options.path = file->path();
    options.source = QStringLiteral("Pasteboard");
    QString why;
    if (!ASCIIImport::importFile(document, options, &why) && why.startsWith(QStringLiteral("No numbers")))
        pasteError(QStringLiteral("The pasted text holds no numbers"));
    // The file goes with `file`, whatever the import did.
}

} // namespace

void Manager::paste()
{
    if (!PD) {
        Alert::beep();
        return;
    }
    const QMimeData* data = clipboard()->mimeData();
    if (!data)
        return;
    VexaDocument& d = *PD;

    if (data->hasText()) {
        pasteText(d, data->text());
        return;
    }
    if (data->hasFormat(bufferMimeType())) {
        QString error;
        auto buffers = DataBuffer::buffersFromArchive(data->data(bufferMimeType()), &error);
        if (!buffers) {
            pasteError(QStringLiteral("The pasted buffers could not be read: %1").arg(error));
            return;
        }
        for (auto& b : *buffers)
            d.DB.push_back(std::move(b));
        d.rescale(true, axis12());
        d.replot();
        return;
    }
}
