#include "view/SymbolStamps.h"

#include "model/DataBuffer.h"
#include "platform/CpuFeatures.h"
#include "view/VexaView.h"

#include <QPaintEngine>
#include <QPainter>
#include <QRegion>

#include <algorithm>

#if defined(__x86_64__)
#include <immintrin.h>
#endif
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
    return t.type() <= QTransform::TxScale && t == painter.combinedTransform()
        && t == painter.worldTransform();
}

SymbolStamps::SymbolStamps(VexaView& view, const DataBuffer& b, const QTransform& toDevice,
                           const QRectF& visible)
        : view_(view)
        , buffer_(b)
        , toDevice_(toDevice)
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

const SymbolStamps::Stamp& SymbolStamps::stamp(int px, int py)
{
    Stamp& st = stamps_[std::size_t(py * Phases + px)];
    if (st.ready)
        return st;
    st.ready = true;
    const int size = 2 * half_ + 1;
    QImage& img = st.image;
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
        view_.plotSymbol(&buffer_, 0, 0, -1, false);
    }
    painter.end();
    // Transparent pixels leave what lies below as it was: only the box
    // around the others is copied.
    int left = size, right = -1, top = size, bottom = -1;
    for (int y = 0; y < size; ++y) {
        const auto* row = reinterpret_cast<const quint32*>(img.constScanLine(y));
        for (int x = 0; x < size; ++x) {
            if (row[x]) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    st.box = right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
    return st;
}

void SymbolStamps::begin(QPainter& pixels)
{
    target_ = nullptr;
    QPaintDevice* device = pixels.device();
    if (!device || device->devType() != QInternal::Image || pixels.opacity() != 1.0)
        return;
    auto* image = static_cast<QImage*>(device);
    // Writing into an image whose pixels are shared would copy them away
    // from the painter.
    if (!image->isDetached()
        || (image->format() != QImage::Format_ARGB32_Premultiplied
            && image->format() != QImage::Format_RGB32))
        return;
    QRect safe = image->rect();
    if (pixels.hasClipping()) {
        const QRegion clip = pixels.clipRegion();
        if (clip.rectCount() != 1)
            return;
        // A pixel's distance from the clip's edge, so that however the
        // painter rounds a fractional edge, the pixels blended here are
        // inside it.
        safe &= clip.boundingRect().adjusted(2, 2, -2, -2);
    }
    if (safe.isEmpty())
        return;
    target_ = image->bits();
    stride_ = image->bytesPerLine();
    safe_ = safe;
}

namespace {

// x * a / 255 per channel, rounded as the painter rounds it.
inline quint32 byteMul(quint32 x, quint32 a)
{
    quint32 t = (x & 0xff00ff) * a;
    t = (t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8;
    t &= 0xff00ff;
    x = ((x >> 8) & 0xff00ff) * a;
    x = (x + ((x >> 8) & 0xff00ff) + 0x800080);
    x &= 0xff00ff00;
    return x | t;
}

// One pixel: the painter skips transparent source pixels and copies opaque
// ones, which is also what the formula gives for them (d * 255 / 255 rounds
// back to d), so the vector form below can apply it to every pixel.
inline quint32 blendPixel(quint32 s, quint32 d)
{
    if (s >= 0xff000000u)
        return s;
    if (!s)
        return d;
    return s + byteMul(d, 255 - (s >> 24));
}

void blendRowScalar(quint32* d, const quint32* s, int n)
{
    for (int x = 0; x < n; ++x)
        d[x] = blendPixel(s[x], d[x]);
}

#if defined(__x86_64__)
// The whole box, eight pixels of a row at a time (the last ones of a row
// masked), in the same integer steps.
__attribute__((target("avx2"))) void blendBoxAvx2(uchar* dst, qsizetype stride, const uchar* src,
                                                  qsizetype srcStride, int w, int h)
{
    const __m256i lowMask = _mm256_set1_epi32(0x00ff00ff);
    const __m256i half = _mm256_set1_epi32(0x00800080);
    const __m256i all = _mm256_set1_epi32(255);
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    for (int y = 0; y < h; ++y) {
        auto* d = reinterpret_cast<int*>(dst + y * stride);
        const auto* s = reinterpret_cast<const int*>(src + y * srcStride);
        for (int x = 0; x < w; x += 8) {
            const __m256i mask = _mm256_cmpgt_epi32(_mm256_set1_epi32(w - x), lanes);
            const __m256i sv = _mm256_maskload_epi32(s + x, mask);
            const __m256i dv = _mm256_maskload_epi32(d + x, mask);
            const __m256i ia = _mm256_sub_epi32(all, _mm256_srli_epi32(sv, 24));
            __m256i t = _mm256_mullo_epi32(_mm256_and_si256(dv, lowMask), ia);
            t = _mm256_srli_epi32(
                _mm256_add_epi32(_mm256_add_epi32(t, _mm256_and_si256(_mm256_srli_epi32(t, 8), lowMask)),
                                 half),
                8);
            t = _mm256_and_si256(t, lowMask);
            __m256i g = _mm256_mullo_epi32(_mm256_and_si256(_mm256_srli_epi32(dv, 8), lowMask), ia);
            g = _mm256_add_epi32(_mm256_add_epi32(g, _mm256_and_si256(_mm256_srli_epi32(g, 8), lowMask)),
                                 half);
            g = _mm256_andnot_si256(lowMask, g);
            _mm256_maskstore_epi32(d + x, mask, _mm256_add_epi32(sv, _mm256_or_si256(g, t)));
        }
    }
    _mm256_zeroupper();
}

#endif

} // namespace

void SymbolStamps::blend(uchar* dst, qsizetype stride, QPoint at, const QImage& src, const QRect& box)
{
    const qsizetype srcStride = src.bytesPerLine();
    const uchar* from = src.constBits() + box.y() * srcStride + box.x() * 4;
    uchar* to = dst + at.y() * stride + at.x() * 4;
#if defined(__x86_64__)
    if (CpuFeatures::avx2) {
        blendBoxAvx2(to, stride, from, srcStride, box.width(), box.height());
        return;
    }
#endif
    for (int y = 0; y < box.height(); ++y)
        blendRowScalar(reinterpret_cast<quint32*>(to + y * stride),
                       reinterpret_cast<const quint32*>(from + y * srcStride), box.width());
}

void SymbolStamps::draw(QPainter& pixels, QPointF p)
{
    const double dx = toDevice_.m11() * p.x() + toDevice_.dx();
    const double dy = toDevice_.m22() * p.y() + toDevice_.dy();
    if (!(dx >= reachable_.left() && dx <= reachable_.right() && dy >= reachable_.top()
          && dy <= reachable_.bottom()))
        return;
    const double fx = std::floor(dx), fy = std::floor(dy);
    const int qx = std::min(Phases - 1, int((dx - fx) * Phases));
    const int qy = std::min(Phases - 1, int((dy - fy) * Phases));
    const Stamp& st = stamp(qx, qy);
    if (st.box.isEmpty())
        return;
    const QPoint at(int(fx) - half_ + st.box.x(), int(fy) - half_ + st.box.y());
    if (target_ && at.x() >= safe_.left() && at.y() >= safe_.top()
        && at.x() + st.box.width() <= safe_.right() + 1 && at.y() + st.box.height() <= safe_.bottom() + 1)
        blend(target_, stride_, at, st.image, st.box);
    else
        pixels.drawImage(at, st.image, st.box);
}
