#pragma once

// The page around the plot area: margins, the fills of the plot area and the
// margins, the frame with its style and arrows, and two drawing options. The
// fields carry the document file's key names.

#include "platform/Color.h"

#include <QColor>

#include <cstdint>

struct PageSettings {
    using Flag = std::uint8_t;

    QColor framecolor = Color::black();
    QColor backgroundcolor = Color::white(); // plot area
    QColor margincolor = Color::white();
    double marginleft = 80, marginright = 10, margintop = 10, marginbottom = 80;
    double arrowsize = 10; // length of the frame arrows
    double framewidth = 2;
    int framestyle = 0; // 0 box, 1 axes crossing at zero, 2 left and bottom edges
    int arrowtype = 0; // FrameArrowType
    int crossarrows = 0; // which axis ends get arrows: 0 both, 1 min, 2 max
    Flag framearrows = 0;
    Flag forceframe = 0;
    Flag drawbackground = 1;
    Flag drawmargin = 1;
    Flag drawframe = 1;
    Flag forcerenderhigh = 0; // a buffer's line always stroked as one path
    Flag alldraw = 0; // every point of a line drawn, none thinned

    // The document's layout reset: margins, frame numbers and switches back
    // to a new document's; the colours and the two drawing options kept.
    void resetLayout();

    friend bool operator==(const PageSettings&, const PageSettings&) = default;
};
