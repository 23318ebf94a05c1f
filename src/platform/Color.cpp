#include "platform/Color.h"

#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <algorithm>
#include <cmath>

namespace Color {

QColor black()
{
    return QColor::fromRgbF(0.f, 0.f, 0.f, 1.f);
}
QColor white()
{
    return QColor::fromRgbF(1.f, 1.f, 1.f, 1.f);
}
QColor darkGray()
{
    return QColor::fromRgbF(1.f / 3.f, 1.f / 3.f, 1.f / 3.f, 1.f);
}
QColor lightGray()
{
    return QColor::fromRgbF(2.f / 3.f, 2.f / 3.f, 2.f / 3.f, 1.f);
}

QColor rgb(double r, double g, double b, double a)
{
    auto clamp01 = [](double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; };
    return QColor::fromRgbF(float(clamp01(r)), float(clamp01(g)), float(clamp01(b)), float(clamp01(a)));
}

// A colour in the user-defaults store is the keyed archive of one colour
// object, the same encoding documents use for their colours.
QByteArray archivedData(const QColor& color)
{
    KeyedArchiver archiver;
    archiver.encodeColor(QStringLiteral("root"), color);
    return archiver.encodedData();
}

std::optional<QColor> colorFromArchivedData(const QByteArray& data)
{
    // One colour is a few hundred bytes; anything far larger is not one.
    KeyedUnarchiver::Limits limits;
    limits.maxInputBytes = 64 * 1024;
    KeyedUnarchiver unarchiver(data, limits);
    std::optional<QColor> color = unarchiver.decodeColor(QStringLiteral("root"));
    if (!unarchiver.ok())
        return std::nullopt;
    return color;
}

} // namespace Color
