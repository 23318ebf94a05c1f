#pragma once

// Font lookup by the names documents and preferences carry: a family name
// ("DejaVu Sans") or a PostScript name ("Helvetica-Bold", "Times-Roman").
// Needs a QGuiApplication.

#include <QFont>
#include <QString>

#include <optional>

namespace Font {

// True when the name resolves to an installed face.
bool exists(const QString& name);

// The font of that name at the size (points), or nothing when no such face
// is installed or the size is not a usable point size.
std::optional<QFont> withName(const QString& name, double size);

// The standard user font at the size.
QFont userFont(double size);

// The name under which the font is stored (round-trips through withName).
QString storedName(const QFont& font);

} // namespace Font
