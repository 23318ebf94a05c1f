#pragma once

// The graph of a document as a picture file: PDF and EPS (vector, fonts
// embedded, one page the size of the view) and PNG and JPEG (a bitmap of the
// view at a chosen resolution). Every picture is drawn by ExportRenderer in
// print mode.
//
// Files are replaced only once the new one is complete: a failed export
// leaves an older file of that name as it was. Failures give no alert; the
// result is false and *error says why, for the caller to show.

#include "platform/Outcome.h"

#include <QByteArray>
#include <QImage>
#include <QSizeF>
#include <QString>

class VexaDocument;
class VexaView;

class PictureExport {
public:
    // The document's own view (its PV) is drawn; a document without one
    // exports nothing. At 72 dots per inch a bitmap has the view's size in
    // pixels; other values scale it by dpi / 72. A failure is titled
    // alertTitle(), with the reason; nothing is shown.
    static Outcome savePDF(VexaDocument& document, const QString& path);
    static Outcome saveEPS(VexaDocument& document, const QString& path);
    static Outcome saveJPG(VexaDocument& document, const QString& path, int dpi);
    static Outcome savePNG(VexaDocument& document, const QString& path, int dpi);

    static QString alertTitle() { return QStringLiteral("Export Error"); }

    // The pictures themselves, for the pasteboard and printing. Empty (or a
    // null image) on failure, with the reason in *error.
    static QByteArray pdfData(VexaView& view, QString* error = nullptr);
    static QByteArray epsData(VexaView& view, QString* error = nullptr);
    // Opaque images have a white ground (JPEG); others start transparent.
    static QImage image(VexaView& view, int dpi, bool opaque, QString* error = nullptr);

    // Pixel size of a view of that size at dpi; empty when none can be made
    // (no size, dpi below 1, a side beyond maxImageSide).
    static QSize imageSize(QSizeF viewSize, int dpi);
    // The raster engine's coordinate range ends here.
    static constexpr int maxImageSide = 32767;
};
