#include "view/SymbolStamps.h"

#include "model/DataBuffer.h"
#include "view/VexaView.h"

#include <QPaintEngine>
#include <QPainter>

#include <cmath>

namespace {
// Larger symbols cover so many pixels that a copy saves little over the
// path, and sixteen large images cost memory.
constexpr int MaxHalf = 40;
} // namespace

bool SymbolStamps::usable(const QPainter& painter)
{
    const QPaintEngine* engine = painter.paintEngine();
    const QPaintDevice* device = painter.device();
    if (!engine || !device || engine->type() != QPaintEngine::Raster)
        return false;
    if (device->devicePixelRatio() != 1)
        return false;
    if (!painter.testRenderHint(QPainter::Antialiasing))
        return false;
    if (painter.compositionMode() != QPainter::CompositionMode_SourceOver)
        return false;
    // Stamps are copied in pixels, with the world transform set aside.
    const QTransform t = painter.deviceTransform();
    return t.type() <= QTransform::TxScale && t == painter.combinedTransform() && t == painter.worldTransform();
}

SymbolStamps::SymbolStamps(VexaView& view, const DataBuffer& b, const QTransform& toDevice,
                           const QRectF& visible)
    : view_(view), buffer_(b), toDevice_(toDevice)
{
    const double K = b.style.symbolsize / 2 > 0 ? b.style.symbolsize / 2 : 0;
    const double scale = std::max(std::fabs(toDevice.m11()), std::fabs(toDevice.m22()));
    const double reach = (1.4 * K + std::fabs(0.7 * b.style.linewidth) + 2) * scale;
    if (!(reach <= MaxHalf))
        return;
    half_ = int(std::ceil(reach)) + 1;
    reachable_ = toDevice.mapRect(visible).adjusted(-half_ - 1, -half_ - 1, half_ + 1, half_ + 1);
    valid_ = true;
}

const QImage& SymbolStamps::stamp(int px, int py)
{
    QImage& img = stamps_[std::size_t(py * Phases + px)];
    if (!img.isNull())
        return img;
    const int size = 2 * half_ + 1;
    img = QImage(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter painter(&img);
    painter.setRenderHint(QPainter::Antialiasing, true);
    // The symbol's centre sits at the middle of its eighth of a pixel.
    painter.translate(half_ + (px + 0.5) / Phases, half_ + (py + 0.5) / Phases);
    painter.scale(toDevice_.m11(), toDevice_.m22());
    {
        const double room = half_ * 4.0 + 8;
        VexaView::PaintScope scope(view_, painter, QRectF(-room, -room, 2 * room, 2 * room));
        view_.plotSymbol(&buffer_, 0, 0, -1, 0, 0);
    }
    painter.end();
    return img;
}

void SymbolStamps::draw(QPainter& pixels, QPointF p)
{
    const double dx = toDevice_.m11() * p.x() + toDevice_.dx();
    const double dy = toDevice_.m22() * p.y() + toDevice_.dy();
    if (!(dx >= reachable_.left() && dx <= reachable_.right() && dy >= reachable_.top() && dy <= reachable_.bottom()))
        return;
    const double fx = std::floor(dx), fy = std::floor(dy);
    const int qx = std::min(Phases - 1, int((dx - fx) * Phases));
    const int qy = std::min(Phases - 1, int((dy - fy) * Phases));
    pixels.drawImage(QPoint(int(fx) - half_, int(fy) - half_), stamp(qx, qy));
}
