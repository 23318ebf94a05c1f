#include "IoFakes.h"

#include "io/ExportRenderer.h"
#include "io/PictureExport.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "view/VexaView.h"

#include <poppler-qt6.h>

#include <QFileInfo>
#include <QImageReader>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using namespace IoTest;

// A paint target that calls back at every primitive drawn on it, so a test
// can look at the program's state while the drawing happens.
class ProbeEngine : public QPaintEngine {
public:
    std::function<void()> onDraw;

    ProbeEngine()
            : QPaintEngine(QPaintEngine::AllFeatures)
    {
    }
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override { }
    Type type() const override { return QPaintEngine::User; }

    void drawPath(const QPainterPath&) override { onDraw(); }
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override { onDraw(); }
    void drawLines(const QLineF*, int) override { onDraw(); }
    void drawRects(const QRectF*, int) override { onDraw(); }
    void drawEllipse(const QRectF&) override { onDraw(); }
    void drawPoints(const QPointF*, int) override { onDraw(); }
    void drawTextItem(const QPointF&, const QTextItem&) override { onDraw(); }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override { onDraw(); }
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override
    {
        onDraw();
    }
};

class ProbeDevice : public QPaintDevice {
public:
    ProbeDevice(QSize size)
            : size_(size)
    {
    }
    ~ProbeDevice() override = default;
    mutable ProbeEngine engine;
    QPaintEngine* paintEngine() const override { return &engine; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
            return size_.width();
        case PdmHeight:
            return size_.height();
        case PdmWidthMM:
            return size_.width() * 254 / 720;
        case PdmHeightMM:
            return size_.height() * 254 / 720;
        case PdmNumColors:
            return 0;
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
            return int(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

private:
    QSize size_;
};

class PictureExportTest : public ::testing::Test {
protected:
    FakeManager manager;
    VexaDocument doc;
    VexaView view{QSizeF(400, 300), &manager};
    int displays = 0;

    PictureExportTest()
    {
        doc.M = &manager;
        doc.PV = &view;
        view.setVexaDocument(&doc);
        view.setDisplayHandler([this] { ++displays; });
        auto b = std::make_unique<DataBuffer>();
        for (double x : {0.0, 0.25, 0.5, 0.75, 1.0})
            b->addDoubleValue(x, x * x);
        b->style.plotsymbols = 1;
        doc.DB.push_back(std::move(b));
    }
};

TEST_F(PictureExportTest, PdfIsOnePageOfTheViewWithEmbeddedFonts)
{
    const QString path = scratchPath(QStringLiteral("graph.pdf"));
    const Outcome saved = PictureExport::savePDF(doc, path);
    ASSERT_TRUE(saved.ok()) << saved.message().toStdString();

    std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(path);
    ASSERT_TRUE(pdf);
    ASSERT_EQ(pdf->numPages(), 1);
    std::unique_ptr<Poppler::Page> page = pdf->page(0);
    EXPECT_EQ(page->pageSizeF(), QSizeF(400, 300));
    const QList<Poppler::FontInfo> fonts = pdf->fonts();
    EXPECT_FALSE(fonts.isEmpty()) << "the axis numbers need a font";
    for (const Poppler::FontInfo& f : fonts)
        EXPECT_TRUE(f.isEmbedded()) << f.name().toStdString();
    // Vector output: the numbers are text, not pixels.
    EXPECT_FALSE(page->text(QRectF()).trimmed().isEmpty());
}

TEST_F(PictureExportTest, EpsHasItsHeaderAndTheViewAsBoundingBox)
{
    const QString path = scratchPath(QStringLiteral("graph.eps"));
    const Outcome saved = PictureExport::saveEPS(doc, path);
    ASSERT_TRUE(saved.ok()) << saved.message().toStdString();
    const QByteArray eps = readAll(path);
    EXPECT_TRUE(eps.startsWith("%!PS-Adobe-3.0 EPSF-3.0\n")) << eps.left(40).toStdString();
    EXPECT_TRUE(eps.contains("\n%%BoundingBox: 0 0 400 300\n"));
}

TEST_F(PictureExportTest, BitmapsHaveTheViewSizeTimesDpiOver72)
{
    struct Case {
        bool png;
        int dpi;
        QSize pixels;
    };
    const Case cases[] = {
        {true, 72, {400, 300}},  {true, 144, {800, 600}}, {false, 144, {800, 600}},
        {false, 36, {200, 150}}, {true, 100, {556, 417}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.png ? "png " : "jpeg ") << c.dpi);
        const QString path = scratchPath(c.png ? QStringLiteral("graph.png") : QStringLiteral("graph.jpg"));
        const Outcome saved
            = c.png ? PictureExport::savePNG(doc, path, c.dpi) : PictureExport::saveJPG(doc, path, c.dpi);
        ASSERT_TRUE(saved.ok()) << saved.message().toStdString();
        QImageReader reader(path);
        EXPECT_EQ(reader.format(), c.png ? QByteArray("png") : QByteArray("jpeg"));
        const QImage img = reader.read();
        EXPECT_EQ(img.size(), c.pixels);
        // Something was drawn: not one colour all over.
        bool varied = false;
        for (int y = 0; y < img.height() && !varied; y += 3)
            for (int x = 0; x < img.width() && !varied; x += 3)
                varied = img.pixel(x, y) != img.pixel(0, 0);
        EXPECT_TRUE(varied);
    }
}

TEST_F(PictureExportTest, PrintModeHoldsWhileDrawingAndEndsAfterwards)
{
    ProbeDevice device(QSize(400, 300));
    int draws = 0, drawsOutsidePrintMode = 0;
    device.engine.onDraw = [&] {
        ++draws;
        if (manager.printmode != 1)
            ++drawsOutsidePrintMode;
    };
    {
        QPainter painter(&device);
        ExportRenderer::render(view, painter);
        EXPECT_EQ(manager.printmode, 0);
    }
    EXPECT_GT(draws, 0);
    EXPECT_EQ(drawsOutsidePrintMode, 0);

    // Every export, good or failed, ends out of print mode with the view
    // redrawn normally.
    const QString bad = scratchPath(QStringLiteral("no/such/dir/graph"));
    const QString good = scratchPath(QStringLiteral("graph.out"));
    const std::function<Outcome(const QString&)> exports[] = {
        [&](const QString& p) { return PictureExport::savePDF(doc, p); },
        [&](const QString& p) { return PictureExport::saveEPS(doc, p); },
        [&](const QString& p) { return PictureExport::savePNG(doc, p, 72); },
        [&](const QString& p) { return PictureExport::saveJPG(doc, p, 72); },
    };
    for (const auto& save : exports)
        for (const QString& p : {good, bad}) {
            const int before = displays;
            EXPECT_EQ(save(p).ok(), p == good);
            EXPECT_EQ(manager.printmode, 0);
            EXPECT_EQ(displays, before + 1);
        }
}

TEST_F(PictureExportTest, UnwritablePathsAreFailuresWithAReason)
{
    const QString dir = scratchPath(QStringLiteral("a-directory"));
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString missing = scratchPath(QStringLiteral("missing/graph"));
    using Save = std::function<Outcome(const QString&)>;
    const Save exports[] = {
        [&](const QString& p) { return PictureExport::savePDF(doc, p); },
        [&](const QString& p) { return PictureExport::saveEPS(doc, p); },
        [&](const QString& p) { return PictureExport::savePNG(doc, p, 144); },
        [&](const QString& p) { return PictureExport::saveJPG(doc, p, 144); },
    };
    ScriptedAlerts alerts;
    for (const Save& save : exports)
        for (const QString& p : {dir, missing}) {
            const Outcome refused = save(p);
            EXPECT_EQ(refused.kind(), Outcome::Kind::Failed);
            EXPECT_EQ(refused.title(), QStringLiteral("Export Error"));
            EXPECT_FALSE(refused.message().isEmpty());
        }
    EXPECT_TRUE(QFileInfo(dir).isDir());
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_TRUE(alerts.requests().empty());
}

TEST_F(PictureExportTest, FailedExportLeavesAnOlderFileAlone)
{
    const QString path = writeScratch(QStringLiteral("kept.png"), QByteArray("older picture"));
    ASSERT_FALSE(path.isEmpty());
    for (int dpi : {0, -72, 100000}) {
        const Outcome refused = PictureExport::savePNG(doc, path, dpi);
        EXPECT_FALSE(refused.ok()) << dpi;
        EXPECT_FALSE(refused.message().isEmpty());
    }
    view.setFrameSize(QSizeF(0, 0));
    EXPECT_FALSE(PictureExport::savePDF(doc, path).ok());
    EXPECT_FALSE(PictureExport::saveEPS(doc, path).ok());
    VexaDocument noView;
    EXPECT_FALSE(PictureExport::savePDF(noView, path).ok());
    EXPECT_EQ(readAll(path), QByteArray("older picture"));
}

} // namespace

TEST_F(PictureExportTest, HairlinesInBitmapsCoverWholePixelRows)
{
    // The top edge of the frame, 10 points below the top of the view: a
    // rule of the frame's width across the plot area, drawn in full rows of
    // pixels with no grey rows beside it.
    const struct {
        double framewidth;
        int dpi;
        int rows;
    } cases[] = {{1, 72, 1}, {0, 144, 1}, {1, 144, 2}, {2, 72, 2}, {0.5, 300, 2}, {1, 100, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "frame width " << c.framewidth << " at " << c.dpi << " dpi");
        doc.page.framewidth = c.framewidth;
        const QString path = scratchPath(QStringLiteral("rules.png"));
        const Outcome saved = PictureExport::savePNG(doc, path, c.dpi);
        ASSERT_TRUE(saved.ok()) << saved.message().toStdString();
        const QImage img(path);
        ASSERT_FALSE(img.isNull());
        const double scale = c.dpi / 72.0;
        const int top = int(std::lround(10 * scale));
        const int from = int(120 * scale), to = int(380 * scale);
        int inked = 0, partly = 0;
        for (int y = std::max(0, top - 6); y <= top + 6; ++y) {
            int dark = 0, any = 0;
            for (int x = from; x < to; ++x) {
                const int g = qGray(img.pixel(x, y));
                dark += g < 80;
                any += g < 250;
            }
            inked += dark > (to - from) * 9 / 10;
            partly += any > (to - from) * 9 / 10;
        }
        EXPECT_EQ(inked, c.rows);
        EXPECT_EQ(partly, c.rows) << "grey rows beside the rule";
    }
}
