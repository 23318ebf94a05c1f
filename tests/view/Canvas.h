#pragma once

// A document drawn by a view onto a 100 x 100 image with no margins and the
// ranges 0..100 on both pairs, so that a data value is a view point and a
// view point (x, y) lies in the image pixel (x, 100 - y).

#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "view/VexaView.h"

#include <QImage>
#include <QPainter>

#include <cmath>
#include <utility>
#include <vector>

struct Canvas {
    static constexpr int Size = 100;
    VexaDocument doc;
    VexaView view{QSizeF(Size, Size)};

    Canvas()
    {
        doc.page.marginleft = doc.page.marginright = doc.page.margintop = doc.page.marginbottom = 0;
        doc.xmin1 = doc.ymin1 = doc.xmin2 = doc.ymin2 = 0;
        doc.xmax1 = doc.ymax1 = doc.xmax2 = doc.ymax2 = 100;
        view.setVexaDocument(&doc);
        view.resize();
    }

    // A shown buffer in plain style (black, width 1, lines only).
    DataBuffer& add(const std::vector<std::pair<double, double>>& points)
    {
        auto b = std::make_unique<DataBuffer>();
        for (auto [x, y] : points)
            b->addDoubleValue(x, y);
        b->rescale();
        doc.DB.push_back(std::move(b));
        return *doc.DB.back();
    }

    // A white image of the view's size, with pixelRatio device pixels per
    // view point.
    static QImage blank(double pixelRatio = 1)
    {
        const int side = int(std::lround(Size * pixelRatio));
        QImage img(side, side, QImage::Format_ARGB32_Premultiplied);
        img.setDevicePixelRatio(pixelRatio);
        img.fill(Qt::white);
        return img;
    }

    // The buffers alone, without the graph's frame, axes and legend.
    QImage render(double pixelRatio = 1)
    {
        QImage img = blank(pixelRatio);
        QPainter painter(&img);
        painter.setRenderHint(QPainter::Antialiasing, true);
        VexaView::flipToViewPoints(painter, Size);
        view.resize();
        view.drawBuffersBehind(painter);
        view.drawBuffersFront(painter);
        return img;
    }

    // Whatever f draws with the view's mark operations, in view points.
    template <typename F> QImage paint(F&& f, double pixelRatio = 1)
    {
        QImage img = blank(pixelRatio);
        QPainter painter(&img);
        painter.setRenderHint(QPainter::Antialiasing, true);
        VexaView::flipToViewPoints(painter, Size);
        VexaView::PaintScope scope(view, painter);
        f();
        return img;
    }
};

// Colour of the pixel under the view point (x, y).
inline QColor colourAt(const QImage& img, double x, double y)
{
    return img.pixelColor(int(std::floor(x)), int(std::floor(Canvas::Size - y)));
}

inline bool inkAt(const QImage& img, double x, double y)
{
    return qGray(colourAt(img, x, y).rgb()) < 160;
}

inline bool blankImage(const QImage& img)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255))
                return false;
    return true;
}
