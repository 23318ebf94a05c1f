#include "view/SymbolStamps.h"

#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "view/VexaView.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>

namespace {

struct Random {
    std::uint64_t state = 0x243F6A8885A308D3ull;
    unsigned next(unsigned below)
    {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return unsigned(state >> 33) % below;
    }
    // A valid premultiplied pixel, often fully transparent or opaque.
    quint32 premultiplied()
    {
        const unsigned pick = next(4);
        const unsigned a = pick == 0 ? 0 : pick == 1 ? 255 : next(256);
        return (a << 24) | (next(a + 1) << 16) | (next(a + 1) << 8) | next(a + 1);
    }
};

bool samePixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.format() != b.format())
        return false;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), size_t(a.width()) * 4) != 0)
            return false;
    return true;
}

TEST(SymbolStamps, BlendingGivesThePaintersPixels)
{
    Random r;
    for (const QImage::Format format : {QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB32}) {
        for (int round = 0; round < 40; ++round) {
            QImage src(23, 17, QImage::Format_ARGB32_Premultiplied);
            for (int y = 0; y < src.height(); ++y)
                for (int x = 0; x < src.width(); ++x)
                    reinterpret_cast<quint32*>(src.scanLine(y))[x] = r.premultiplied();
            QImage dst(64, 48, format);
            for (int y = 0; y < dst.height(); ++y)
                for (int x = 0; x < dst.width(); ++x) {
                    const quint32 p = r.premultiplied();
                    reinterpret_cast<quint32*>(dst.scanLine(y))[x]
                        = format == QImage::Format_RGB32 ? p | 0xff000000u : p;
                }
            const QRect box(int(r.next(5)), int(r.next(5)), 1 + int(r.next(18)), 1 + int(r.next(12)));
            const QPoint at(int(r.next(40)), int(r.next(30)));

            QImage painted = dst.copy();
            {
                QPainter p(&painted);
                p.drawImage(at, src, box);
            }
            QImage blended = dst.copy();
            SymbolStamps::blend(blended.bits(), blended.bytesPerLine(), at, src, box);
            EXPECT_TRUE(samePixels(painted, blended)) << "format " << int(format) << ", round " << round;
        }
    }
}

// Many symbols of every shape, half transparent, partly beyond the frame:
// straight into the image's pixels, or (while the image's pixels are shared,
// which rules that out) through the painter, the same picture.
TEST(SymbolStamps, DirectBlendingDrawsWhatThePainterDraws)
{
    for (const int symbol : {0, 1, 3, 7, 12, 15}) {
        VexaDocument doc;
        auto b = std::make_unique<DataBuffer>();
        Random r;
        for (int i = 0; i < 3000; ++i)
            b->addDoubleValue(double(r.next(12000)) / 100.0 - 10, double(r.next(12000)) / 100.0 - 10);
        b->rescale();
        b->style.plotlines = 0;
        b->style.plotsymbols = 1;
        b->style.symbol = symbol;
        b->style.symbolsize = 7;
        b->style.symfill = symbol % 2;
        b->style.color = QColor(200, 30, 60, 140);
        doc.DB.push_back(std::move(b));
        doc.xmin1 = doc.ymin1 = 0;
        doc.xmax1 = doc.ymax1 = 100;
        VexaView view(QSizeF(300, 200));
        view.setVexaDocument(&doc);

        QImage direct(300, 200, QImage::Format_ARGB32_Premultiplied);
        direct.fill(Qt::white);
        {
            QPainter painter(&direct);
            view.drawIn(painter);
        }
        QImage throughPainter(300, 200, QImage::Format_ARGB32_Premultiplied);
        throughPainter.fill(Qt::white);
        {
            QPainter painter(&throughPainter);
            const QImage sharer = throughPainter; // pixels shared while painting
            view.drawIn(painter);
        }
        EXPECT_TRUE(samePixels(direct, throughPainter)) << "symbol " << symbol;
    }
}

} // namespace
