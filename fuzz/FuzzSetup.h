#pragma once

// Caches that Qt and fontconfig fill on first use. Filled once before the
// first input, so the leak checker does not take them for leaks of it.

#include "platform/Font.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

namespace FuzzSetup {

inline void warmCaches()
{
    (void)Font::exists(QStringLiteral("DejaVu Sans"));
    (void)Font::withName(QStringLiteral("Helvetica-Bold"), 12);
    QImage probe(2, 2, QImage::Format_ARGB32);
    probe.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    probe.save(&buffer, "PNG");
    (void)QImage::fromData(png, "PNG");
}

} // namespace FuzzSetup
