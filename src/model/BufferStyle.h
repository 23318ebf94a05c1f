#pragma once

// How a buffer is drawn: which elements (lines, symbols, filled area, bars,
// sticks, dots, histograms), their colours, widths, patterns and sizes, its
// own free ranges and where its bars start. This is what copying a style
// copies; the legend entry switch, the error bars and the size expression
// stay with the buffer. The fields carry the document file's key names.

#include "platform/Color.h"

#include <QColor>

#include <cstdint>

struct BufferStyle {
    using Flag = std::uint8_t;

    QColor color = Color::black();
    QColor fillcolor = Color::lightGray();
    QColor errorcolor = Color::black();
    QColor barcolor = Color::black(); // frame of the bars
    QColor stickcolor = Color::black();
    double linewidth = 1;
    double dashwidth = 0; // width of the dash pattern
    double symbolsize = 10; // also the bar width
    double sticksize = 20;
    int dash = 0; // DashPattern
    int symbol = 0; // SymbolKind
    Flag plotlines = 1;
    Flag plotsymbols = 0;
    Flag plotybars = 0;
    Flag plotxbars = 0;
    Flag plotfhist = 0;
    Flag plotysticks = 0;
    Flag plotxsticks = 0;
    Flag plotdots = 0;
    Flag plotarea = 0;
    Flag plothist = 0;
    Flag stickabs = 0;
    Flag symfill = 0;
    Flag freex = 0; // x drawn on fxmin..fxmax instead of the axis range
    Flag freey = 0;
    double fxmin = 0, fxmax = 1;
    double fymin = 0, fymax = 1;
    Flag barytop = 0; // bars start at an edge of the plot area
    Flag barybottom = 0;
    Flag barxleft = 0;
    Flag barxright = 0;

    friend bool operator==(const BufferStyle&, const BufferStyle&) = default;
};
