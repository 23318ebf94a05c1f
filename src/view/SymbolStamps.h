#pragma once

// One buffer's symbol, drawn once per eighth of a pixel in each direction into small
// images and then copied to each point, for raster targets (the screen, a
// QImage). A scatter plot of a million points is then a million small
// copies instead of a million filled and stroked paths. The stamps are made
// by the view's own symbol drawing, so they look as the symbol does; vector
// targets (PDF, printing) always get the paths.

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QTransform>

#include <array>

class DataBuffer;
class QPainter;
class VexaView;

class SymbolStamps {
public:
    // Whether stamps can stand in for symbols drawn with this painter: a
    // raster target at device pixel ratio 1, antialiased, blending normally,
    // with no rotation or shear between view points and pixels.
    static bool usable(const QPainter& painter);

    // Stamps of the buffer's fixed-size symbol for the painter's current
    // transform; points whose symbol cannot reach the visible rectangle (view
    // points) are skipped. valid() is false for a symbol too large to be
    // worth it.
    SymbolStamps(VexaView& view, const DataBuffer& buffer, const QTransform& toDevice, const QRectF& visible);

    bool valid() const { return valid_; }

    // Draws the symbol of the view point p. The painter must have an
    // identity transform (pixels) while stamps are drawn.
    void draw(QPainter& pixels, QPointF p);

private:
    static constexpr int Phases = 8; // per pixel and direction

    const QImage& stamp(int px, int py);

    VexaView& view_;
    const DataBuffer& buffer_;
    QTransform toDevice_;
    int half_ = 0;          // stamps are 2 * half_ + 1 pixels square
    QRectF reachable_;      // device points whose stamp can touch what is visible
    bool valid_ = false;
    std::array<QImage, Phases * Phases> stamps_;
};
