#pragma once

// The legend of a graph: whether it is drawn, where and how it is laid out,
// its colours and font. The fields carry the document file's key names.

#include "platform/Color.h"

#include <QColor>
#include <QFont>

#include <cstdint>

struct LegendSettings {
    using Flag = std::uint8_t;

    Flag plotlegend = 0; // the legend is drawn
    Flag legendbg = 0; // its background is filled
    Flag legendhorizontal = 0; // entries side by side
    std::int8_t legendalign = 0; // anchoring 0-8 of the box at (legendx, legendy)
    QFont legendfont;
    double legendwidth = 80; // length of an entry's sample
    double legendspace = 20; // spacing of the entries
    double legendx = -1, legendy = -1; // view points; -1 until placed
    QColor legendcolor = Color::black();
    QColor legendbgcolor = Color::white();

    // The document's layout reset: numbers, switches and the font back to a
    // new document's; the colours kept.
    void resetLayout(const QFont& font);

    friend bool operator==(const LegendSettings&, const LegendSettings&) = default;
};
