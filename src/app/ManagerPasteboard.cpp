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
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/Picture.h"
#include "view/Graphic.h"
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

QByteArray archivedGraphic(const Graphic& graphic)
{
    KeyedArchiver coder;
    coder.encodeObject(QStringLiteral("root"), graphic);
    return coder.encodedData();
}

// The graphic of an archive of one graphic; nothing, with the reason, for
// bytes that hold none.
std::unique_ptr<Graphic> graphicFromArchive(const QByteArray& bytes, QString* why)
{
    KeyedUnarchiver coder(bytes);
    QString damage;
    Graphic::Record::registerClass(coder, [&damage](const QString& reason) { damage = reason; });
    const auto record = coder.decodeObject<Graphic::Record>(QStringLiteral("root"));
    std::unique_ptr<Graphic> graphic = record ? record->take() : nullptr;
    if (!coder.ok() || !graphic) {
        *why = !coder.ok()      ? coder.errorString()
            : !damage.isEmpty() ? damage
                                : QStringLiteral("no graphic in the data");
        return nullptr;
    }
    return graphic;
}

// A pasted picture as a new graphic of the document, the current one:
// centred in the view, placed and sized as a picture dropped there.
void pastePicture(VexaDocument& d, Picture picture)
{
    auto* view = dynamic_cast<VexaView*>(d.PV);
    const QSizeF size = view ? view->boundsSize() : QSizeF();
    if (!view || !view->addPicture(std::move(picture), QPointF(size.width() / 2, size.height() / 2)))
        pasteError(QStringLiteral("The pasted picture has no size"));
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

    // The current graphic, for documents of ours, with a PDF of the graph
    // for other programs.
    if (auto* graphic = dynamic_cast<Graphic*>(G)) {
        pasteoffset = 0;
        QString error;
        const QByteArray pdf = graphPDF(&error);
        auto* data = new QMimeData;
        data->setData(graphicMimeType(), archivedGraphic(*graphic));
        if (!pdf.isEmpty())
            data->setData(pdfType, pdf);
        clipboard()->setMimeData(data);
        return;
    }

    // The whole graph as a picture: a PDF page for programs that keep
    // vectors, bitmaps for the others.
    QString error;
    const QByteArray pdf = graphPDF(&error);
    auto* view = pdf.isEmpty() ? nullptr : dynamic_cast<VexaView*>(MPD->PV);
    const QImage picture = view ? PictureExport::image(*view, 72, false, &error) : QImage();
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

QByteArray Manager::graphPDF(QString* error) const
{
    auto* view = MPD ? dynamic_cast<VexaView*>(MPD->PV) : nullptr;
    if (!view) {
        if (error)
            *error = QStringLiteral("the graph has no view to copy");
        return {};
    }
    return PictureExport::pdfData(*view, error);
}

void Manager::cut()
{
    auto* graphic = PD ? dynamic_cast<Graphic*>(G) : nullptr;
    if (!graphic) {
        Alert::beep();
        return;
    }
    pasteoffset = 0;
    auto* data = new QMimeData;
    data->setData(graphicMimeType(), archivedGraphic(*graphic));
    clipboard()->setMimeData(data);
    VexaDocument* d = PD;
    d->removeGraphic(graphic);
    setCurrentGraphic(nullptr);
    d->replot();
}

// --- paste --------------------------------------------------------------------------------------------

namespace {

// Text is imported as an ASCII file would be: numbers picked out of each
// line, x in the first column, dates recognised.
void pasteText(VexaDocument& document, const QString& text)
{
    ASCIIImport::ImportOptions options;
    options.source = QStringLiteral("Pasteboard");
    const Outcome outcome = ASCIIImport::importText(document, text, options);
    if (outcome.ok() || Alert::show(outcome))
        return;
    if (outcome.message().startsWith(QStringLiteral("No numbers")))
        pasteError(QStringLiteral("The pasted text holds no numbers"));
    else if (text.contains(QChar(0)))
        pasteError(QStringLiteral("The pasted text is not plain text"));
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
    if (data->hasFormat(graphicMimeType())) {
        QString why;
        std::unique_ptr<Graphic> graphic = graphicFromArchive(data->data(graphicMimeType()), &why);
        if (!graphic) {
            pasteError(QStringLiteral("The pasted graphic could not be read: %1").arg(why));
            return;
        }
        graphic->setup(this, &d);
        // Each paste lands 20 points further along, measured in view points
        // whatever the graphic is anchored to.
        const int mode = graphic->posmode;
        double x1, y1, x2, y2;
        graphic->getPoints(x1, y1, x2, y2);
        graphic->posmode = 0;
        graphic->setPoints(x1, y1, x2, y2);
        pasteoffset += 20;
        graphic->setPoints(x1 + pasteoffset, y1 + pasteoffset, x2 + pasteoffset, y2 + pasteoffset);
        graphic->getPoints(x1, y1, x2, y2);
        graphic->posmode = mode;
        graphic->setPoints(x1, y1, x2, y2);
        GraphicItem* pasted = graphic.get();
        d.G.push_back(std::move(graphic));
        setCurrentGraphic(pasted);
        d.replot();
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
    for (const QString& type : {pdfType, tiffType, pngType}) {
        if (!data->hasFormat(type))
            continue;
        Outcome outcome;
        std::optional<Picture> picture = Picture::fromData(data->data(type), &outcome);
        if (!picture) {
            pasteError(QStringLiteral("The pasted picture could not be read: %1").arg(outcome.message()));
            return;
        }
        pastePicture(d, std::move(*picture));
        return;
    }
}
