// A line of a million points exported as pictures: the points that stand
// out are in every picture, however many share a pixel column.

#include "IoFakes.h"

#include "io/PictureExport.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "view/VexaView.h"

#include <poppler-qt6.h>

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>

namespace {

using namespace IoTest;

constexpr int kPoints = 1000000;
constexpr int kUp = 250000, kDown = 700001; // the two spikes

// 0 +- 0.001 everywhere but y = 1 at one point and y = -0.5 at another.
class DenseLineExportTest : public ::testing::Test {
protected:
    FakeManager manager;
    VexaDocument doc;
    VexaView view{QSizeF(1200, 800), &manager};

    DenseLineExportTest()
    {
        doc.M = &manager;
        doc.PV = &view;
        view.setVexaDocument(&doc);
        auto b = std::make_unique<DataBuffer>();
        b->X.resize(kPoints);
        b->Y.resize(kPoints);
        double* x = b->X.mutableData();
        double* y = b->Y.mutableData();
        std::uint64_t s = 7;
        for (int i = 0; i < kPoints; ++i) {
            s = s * 6364136223846793005ull + 1442695040888963407ull;
            x[i] = i;
            y[i] = i == kUp ? 1 : i == kDown ? -0.5 : 0.002 * (double(s >> 40) / double(1ull << 24) - 0.5);
        }
        b->rescale();
        b->style.color = Qt::black;
        b->style.linewidth = 1;
        doc.DB.push_back(std::move(b));
        doc.xmin1 = 0;
        doc.xmax1 = kPoints - 1;
        doc.ymin1 = -0.6;
        doc.ymax1 = 1.1;
    }

    // Most ink on the pixel row of value y within a pixel of the column of
    // value x, in a picture of `scale` pixels per point.
    int inkNear(const QImage& img, double scale, double x, double y)
    {
        const int px = int(std::floor(view.xPoint(x, 1) * scale));
        const int py = int(std::floor((view.boundsSize().height() - view.yPoint(y, 1)) * scale));
        int ink = 0;
        for (int u = px - 1; u <= px + 1; ++u)
            ink = std::max(ink, 255 - qGray(img.pixel(u, py)));
        return ink;
    }
};

} // namespace

TEST_F(DenseLineExportTest, BothSpikesOfAMillionPointsAreInEveryPicture)
{
    struct Case {
        const char* name;
        double dpi;
        std::function<QImage(const QString&, double)> picture;
    };
    auto png = [this](const QString& path, double dpi) {
        const Outcome saved = PictureExport::savePNG(doc, path, int(dpi));
        EXPECT_TRUE(saved.ok()) << saved.message().toStdString();
        return QImage(path);
    };
    auto pdf = [this](const QString& path, double dpi) {
        const Outcome saved = PictureExport::savePDF(doc, path);
        EXPECT_TRUE(saved.ok()) << saved.message().toStdString();
        std::unique_ptr<Poppler::Document> file = Poppler::Document::load(path);
        if (!file)
            return QImage();
        file->setRenderHint(Poppler::Document::Antialiasing, true);
        return file->page(0)->renderToImage(dpi, dpi);
    };
    const Case cases[] = {
        {"png.png", 72, png},
        {"png150.png", 150, png},
        {"pdf.pdf", 72, pdf},
        {"pdf200.pdf", 200, pdf},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage img = c.picture(scratchPath(QString::fromLatin1(c.name)), c.dpi);
        ASSERT_FALSE(img.isNull());
        const double scale = c.dpi / 72;
        for (double y : {0.2, 0.5, 0.8, 0.95})
            EXPECT_GE(inkNear(img, scale, kUp, y), 96) << "up to 1, at " << y;
        for (double y : {-0.1, -0.25, -0.45})
            EXPECT_GE(inkNear(img, scale, kDown, y), 96) << "down to -0.5, at " << y;
        // The band of noise is there, and nothing rises beside the spikes.
        EXPECT_GE(inkNear(img, scale, kPoints / 2, 0), 96);
        EXPECT_EQ(inkNear(img, scale, kPoints / 2, 0.5), 0);
        EXPECT_EQ(inkNear(img, scale, kPoints / 2, -0.25), 0);
    }
}
