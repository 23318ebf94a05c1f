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

    // Call once the painter has an identity transform (pixels), before the
    // first draw(). On an image of 32-bit premultiplied or RGB pixels, stamps
    // that lie wholly inside the clip are then blended straight into its
    // scan lines instead of going through the painter.
    void begin(QPainter& pixels);

    // Draws the symbol of the view point p. The painter must have an
    // identity transform (pixels) while stamps are drawn.
    void draw(QPainter& pixels, QPointF p);

    // Source-over blending of box (in src) onto the 32-bit pixels of dst
    // (rows `stride` bytes apart) with box's corner at `at`, as the painter
    // blends a premultiplied image onto a 32-bit one: the same formula, so
    // the same pixels. The box must lie inside the destination.
    static void blend(uchar* dst, qsizetype stride, QPoint at, const QImage& src, const QRect& box);

private:
    static constexpr int Phases = 8; // per pixel and direction

    struct Stamp {
        QImage image;
        QRect box; // the pixels that are not transparent
        bool ready = false;
    };
    const Stamp& stamp(int px, int py);

    VexaView& view_;
    const DataBuffer& buffer_;
    QTransform toDevice_;
    int half_ = 0; // stamps are 2 * half_ + 1 pixels square
    QRectF reachable_; // device points whose stamp can touch what is visible
    bool valid_ = false;
    std::array<Stamp, Phases * Phases> stamps_;
    uchar* target_ = nullptr; // pixels blended into directly, inside safe_
    qsizetype stride_ = 0;
    QRect safe_;
};
