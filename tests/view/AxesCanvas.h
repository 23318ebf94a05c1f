#pragma once

#include "support/TestSupport.h"

// A 300 x 240 view with margins 60 left, 40 right, 40 top, 60 bottom: the
// plot area spans x 60..260 and y 60..200 (view points, y up). X1 runs 0..10
// (20 points a unit), Y1 0..14 (10 points a unit). The view point (x, y) is
// the image pixel (x, 240 - y).
//
// RecordingDevice paints nowhere and remembers the largest device coordinate
// the painter was handed, and whether any was not finite.

#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/Calendar.h"
#include "view/VexaView.h"

#include <QFont>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <memory>

namespace axestest {

struct AxesCanvas {
    static constexpr int W = 300, H = 240;
    VexaDocument doc;
    VexaView view{QSizeF(W, H)};

    AxesCanvas()
    {
        doc.page.marginleft = 60;
        doc.page.marginright = 40;
        doc.page.margintop = 40;
        doc.page.marginbottom = 60;
        doc.xmin1 = doc.xmin2 = 0;
        doc.xmax1 = doc.xmax2 = 10;
        doc.ymin1 = doc.ymin2 = 0;
        doc.ymax1 = doc.ymax2 = 14;
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPointSizeF(10);
        for (int i = 0; i < 4; ++i) {
            doc.axes[i].numfont = f;
            doc.axes[i].textfont = f;
            doc.axes[i].text = 0;
            doc.axes[i].mticks = 0;
        }
        doc.legend.legendfont = f;
        view.setVexaDocument(&doc);
        view.resize();
    }

    // Axis i on its own, with no numbers, minor ticks or title: just what a
    // test switches on.
    void bare(int i)
    {
        doc.axes[i].numbers = 0;
        doc.axes[i].mticks = 0;
        doc.axes[i].text = 0;
    }

    DataBuffer& add(const QString& comment)
    {
        auto b = std::make_unique<DataBuffer>();
        b->comment = comment;
        doc.DB.push_back(std::move(b));
        return *doc.DB.back();
    }

    double rangeMin(int axis) const
    {
        return axis == 0 ? doc.xmin1 : axis == 1 ? doc.ymin1 : axis == 2 ? doc.xmin2 : doc.ymin2;
    }
    double rangeMax(int axis) const
    {
        return axis == 0 ? doc.xmax1 : axis == 1 ? doc.ymax1 : axis == 2 ? doc.xmax2 : doc.ymax2;
    }

    static QImage blank()
    {
        QImage img(W, H, QImage::Format_ARGB32_Premultiplied);
        // 72 dots per inch: a pixel is a point, so glyphs land where the
        // point measurements put them.
        img.setDotsPerMeterX(2835);
        img.setDotsPerMeterY(2835);
        img.fill(Qt::white);
        return img;
    }

    // Whatever f draws, with the painter in view points.
    template <typename F> QImage paint(F&& f)
    {
        QImage img = blank();
        QPainter painter(&img);
        painter.setRenderHint(QPainter::Antialiasing, true);
        VexaView::flipToViewPoints(painter, H);
        view.resize();
        f(painter);
        return img;
    }

    // One axis with its stored range; its size lands in `size`.
    QImage axisImage(int axis, QSizeF* size = nullptr)
    {
        return paint([&](QPainter& p) {
            const QSizeF s = view.drawAxis(p, axis, rangeMin(axis), rangeMax(axis));
            if (size)
                *size = s;
        });
    }

    QImage gridImage(int axis, bool front)
    {
        return paint([&](QPainter& p) { view.drawGrid(p, axis, rangeMin(axis), rangeMax(axis), front); });
    }

    QImage legendImage()
    {
        return paint([&](QPainter& p) { view.plotLegend(p); });
    }
};

inline QColor colourAt(const QImage& img, double x, double y)
{
    const int px = int(std::floor(x)), py = int(std::floor(AxesCanvas::H - y));
    if (px < 0 || py < 0 || px >= img.width() || py >= img.height())
        return Qt::white;
    return img.pixelColor(px, py);
}

inline bool inkAt(const QImage& img, double x, double y)
{
    return qGray(colourAt(img, x, y).rgb()) < 160;
}

// Dark pixels in the view-point rectangle [x0, x1] x [y0, y1].
inline int inkIn(const QImage& img, double x0, double y0, double x1, double y1)
{
    int n = 0;
    for (int px = int(std::floor(std::min(x0, x1))); px <= int(std::floor(std::max(x0, x1))); ++px)
        for (double vy = std::floor(std::min(y0, y1)); vy <= std::floor(std::max(y0, y1)); vy += 1)
            n += inkAt(img, px + 0.5, vy + 0.5) ? 1 : 0;
    return n;
}

// Pixels of exactly this colour (give or take antialiasing) in the rectangle.
inline int colourIn(const QImage& img, const QColor& c, double x0, double y0, double x1, double y1)
{
    int n = 0;
    for (int px = int(std::floor(std::min(x0, x1))); px <= int(std::floor(std::max(x0, x1))); ++px)
        for (double vy = std::floor(std::min(y0, y1)); vy <= std::floor(std::max(y0, y1)); vy += 1) {
            const QColor p = colourAt(img, px + 0.5, vy + 0.5);
            if (std::abs(p.red() - c.red()) < 40 && std::abs(p.green() - c.green()) < 40
                && std::abs(p.blue() - c.blue()) < 40)
                ++n;
        }
    return n;
}

inline bool blankImage(const QImage& img)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255))
                return false;
    return true;
}

// Sets the process's default time zone for as long as it lives.
using ZoneGuard = TestSupport::PinnedTimeZone;

class RecordingEngine : public QPaintEngine {
public:
    RecordingEngine()
            : QPaintEngine(QPaintEngine::AllFeatures)
    {
    }
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& changed) override
    {
        if (changed.state() & QPaintEngine::DirtyTransform)
            transform_ = changed.transform();
    }
    void drawPixmap(const QRectF& r, const QPixmap&, const QRectF&) override
    {
        see(r.topLeft());
        see(r.bottomRight());
    }
    void drawPath(const QPainterPath& path) override
    {
        for (int i = 0; i < path.elementCount(); ++i) {
            const QPainterPath::Element e = path.elementAt(i);
            see(QPointF(e.x, e.y));
        }
    }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode) override
    {
        for (int i = 0; i < count; ++i)
            see(points[i]);
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        see(p);
        texts.append(item.text());
    }
    Type type() const override { return QPaintEngine::User; }

    bool nonFinite = false;
    double farthest = 0;
    int calls = 0;
    QStringList texts;

private:
    void see(QPointF p)
    {
        ++calls;
        const QPointF d = transform_.map(p);
        if (!std::isfinite(d.x()) || !std::isfinite(d.y())) {
            nonFinite = true;
            return;
        }
        farthest = std::max({farthest, std::fabs(d.x()), std::fabs(d.y())});
    }
    QTransform transform_;
};

class RecordingDevice : public QPaintDevice {
public:
    QPaintEngine* paintEngine() const override { return &engine; }
    mutable RecordingEngine engine;

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
            return AxesCanvas::W;
        case PdmHeight:
            return AxesCanvas::H;
        case PdmWidthMM:
            return AxesCanvas::W * 254 / 720;
        case PdmHeightMM:
            return AxesCanvas::H * 254 / 720;
        case PdmNumColors:
            return 1 << 24;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 72;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(QPaintDevice::devicePixelRatioFScale());
        default:
            return 0;
        }
    }
};

} // namespace axestest
