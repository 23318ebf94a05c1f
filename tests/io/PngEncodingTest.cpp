#include "io/PngEncoding.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

// A picture like a graph's: a background, lines at every angle, a
// half-transparent area and an odd size.
QImage picture(QImage::Format format, QColor background)
{
    QImage image(301, 157, format);
    image.setDotsPerMeterX(5906); // 150 dots per inch
    image.setDotsPerMeterY(3937); // 100
    image.fill(background);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 40; ++i) {
        p.setPen(QPen(QColor::fromHsv(i * 9, 200, 200, 60 + i * 4), 0.5 + i % 3));
        p.drawLine(QPointF(i * 7.3, 0), QPointF(300 - i * 3.1, 156));
    }
    p.fillRect(QRectF(20, 20, 80, 50), QColor(0, 128, 255, 100));
    p.end();
    return image;
}

TEST(PngEncoding, PicturesReadBackPixelForPixel)
{
    const struct {
        const char* name;
        QImage image;
        bool alpha;
    } cases[] = {
        {"opaque", picture(QImage::Format_RGB32, Qt::white), false},
        {"transparent background", picture(QImage::Format_ARGB32_Premultiplied, Qt::transparent), true},
        {"straight alpha", picture(QImage::Format_ARGB32, QColor(255, 255, 0, 30)), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray bytes = PngEncoding::encode(c.image);
        ASSERT_TRUE(bytes.startsWith("\x89PNG\r\n\x1a\n"));
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer, "png");
        const QImage back = reader.read();
        ASSERT_FALSE(back.isNull()) << reader.errorString().toStdString();
        EXPECT_EQ(back.hasAlphaChannel(), c.alpha);
        EXPECT_EQ(back.dotsPerMeterX(), 5906);
        EXPECT_EQ(back.dotsPerMeterY(), 3937);
        EXPECT_EQ(back.convertToFormat(QImage::Format_ARGB32),
                  c.image.convertToFormat(QImage::Format_ARGB32));
    }
    EXPECT_TRUE(PngEncoding::encode(QImage()).isEmpty());
}

} // namespace
