#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// A one-page PDF turned into EPS (with a bounding box and the fonts
// embedded) by the PDF library, which lives in a module of its own that is
// loaded on the first conversion. An installed program finds the module in
// <prefix>/lib/vexa; a build that runs from its tree, where the build made it.
namespace EpsConversion {

enum class Status { Done = 0, UnreadablePdf = 1, ConversionFailed = 2, NoConverter = 3 };

Status fromPdf(const QByteArray& pdf, int width, int height, QByteArray& eps);

// The module files a program in the given folder looks for, in order.
QStringList moduleCandidates(const QString& executableDir);

// The first of them that exists in a folder of this user's or root's that
// nobody else can write to; empty when there is none. Nothing is loaded.
QString moduleFileFor(const QString& executableDir);

} // namespace EpsConversion
