#pragma once

#include <QByteArray>
#include <QString>

// A one-page PDF turned into EPS (with a bounding box and the fonts
// embedded) by the PDF library, which lives in a module of its own that is
// loaded on the first conversion. The module is found where the build made
// it, or beside an installed program in <prefix>/lib/vexa.
namespace EpsConversion {

enum class Status { Done = 0, UnreadablePdf = 1, ConversionFailed = 2, NoConverter = 3 };

Status fromPdf(const QByteArray& pdf, int width, int height, QByteArray& eps);

// The module's file when it can be loaded, else empty.
QString modulePath();

} // namespace EpsConversion
