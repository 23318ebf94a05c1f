#include "platform/Color.h"

#include "platform/CNumber.h"

#include <QList>

#include <algorithm>
#include <cmath>

namespace Color {

QColor black() { return QColor::fromRgbF(0.f, 0.f, 0.f, 1.f); }
QColor white() { return QColor::fromRgbF(1.f, 1.f, 1.f, 1.f); }
QColor darkGray() { return QColor::fromRgbF(1.f / 3.f, 1.f / 3.f, 1.f / 3.f, 1.f); }
QColor lightGray() { return QColor::fromRgbF(2.f / 3.f, 2.f / 3.f, 2.f / 3.f, 1.f); }

QColor rgb(double r, double g, double b, double a)
{
    auto clamp01 = [](double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; };
    return QColor::fromRgbF(float(clamp01(r)), float(clamp01(g)), float(clamp01(b)), float(clamp01(a)));
}

// Plain "rgba r g b a" text with locale-free numbers.
QByteArray archivedData(const QColor& color)
{
    return QByteArray::fromStdString(CNumber::format("rgba %.9g %.9g %.9g %.9g", color.redF(),
                                                     color.greenF(), color.blueF(), color.alphaF()));
}

std::optional<QColor> colorFromArchivedData(const QByteArray& data)
{
    if (data.size() > 256 || !data.startsWith("rgba "))
        return std::nullopt;
    const QList<QByteArray> parts = data.mid(5).split(' ');
    if (parts.size() != 4)
        return std::nullopt;
    double c[4];
    for (int i = 0; i < 4; ++i) {
        if (!CNumber::parseExact(std::string_view(parts[i].constData(), size_t(parts[i].size())), c[i]) ||
            !std::isfinite(c[i]))
            return std::nullopt;
    }
    return rgb(c[0], c[1], c[2], c[3]);
}

} // namespace Color
