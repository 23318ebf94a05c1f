// Copy, Cut and Paste through the clipboard: buffers between documents, the
// graph as a picture, text from other programs, and data that cannot be read.

#include "app/DocumentWindowQt.h"
#include "app/Manager.h"
#include "model/DataBuffer.h"
#include "model/DocumentView.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "support/PictureBytes.h"
#include "support/TestSupport.h"
#include "view/Graphic.h"
#include "view/VexaView.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QMainWindow>
#include <QMimeData>

#include <gtest/gtest.h>

#include <memory>

namespace {

VexaDocument& openDocument(Manager& m, int buffers)
{
    auto d = std::make_unique<VexaDocument>();
    for (int i = 0; i < buffers; ++i) {
        auto b = std::make_unique<DataBuffer>();
        for (int k = 0; k < 3 + i; ++k)
            b->addDoubleValueError(k, 10 * i + k, 0.5, 0.25 * k);
        b->setComment(QStringLiteral("b%1").arg(i));
        b->style.symbol = i;
        b->style.color = QColor(20 * i, 0, 0);
        d->DB.push_back(std::move(b));
    }
    DocumentWindowQt* w = m.openDocument(std::move(d), false);
    w->resize(500, 400);
    return w->document();
}

// Makes the inspector window the active one, as a click into it does.
void activateInspector(Manager& m)
{
    m.inspector->show();
    QApplication::setActiveWindow(m.inspector);
    QApplication::processEvents();
}

void putOnClipboard(const QString& type, const QByteArray& bytes, const QString& text = QString())
{
    auto* data = new QMimeData;
    if (!type.isEmpty())
        data->setData(type, bytes);
    if (!text.isNull())
        data->setText(text);
    QApplication::clipboard()->setMimeData(data);
}

// Points of a temporary folder of its own while alive.
class TempFolder {
public:
    TempFolder()
            : path_(TestSupport::scratchDir() + QStringLiteral("/paste-tmp"))
            , saved_(qgetenv("TMPDIR"))
    {
        QDir().mkpath(path_);
        qputenv("TMPDIR", path_.toLocal8Bit());
    }
    ~TempFolder()
    {
        if (saved_.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", saved_);
    }
    QStringList files() const { return QDir(path_).entryList(QDir::Files | QDir::Hidden); }

private:
    QString path_;
    QByteArray saved_;
};

} // namespace

TEST(Pasteboard, BuffersGoFromOneDocumentToAnother)
{
    Manager m;
    ScriptedAlerts alerts;
    VexaDocument& from = openDocument(m, 3);
    VexaDocument& to = openDocument(m, 1);

    // Copied in the inspector window: the selected buffers, in list order.
    m.setCurrentDoc(&from, &from);
    m.setSelectedBufferRows({2, 0});
    activateInspector(m);
    ASSERT_EQ(QApplication::activeWindow(), m.inspector);
    m.copy();
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->formats(), QStringList{Manager::bufferMimeType()});

    m.setCurrentDoc(&to, &to);
    m.paste();
    m.paste(); // and once more: a second pair of copies
    ASSERT_EQ(to.bufferCount(), 5);
    const char* order[] = {"b0", "b0", "b2", "b0", "b2"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(to.DB[std::size_t(i)]->comment, QLatin1String(order[i]));
    const DataBuffer& copy = *to.DB[2];
    const DataBuffer& original = *from.DB[2];
    EXPECT_EQ(copy.X, original.X);
    EXPECT_EQ(copy.Y, original.Y);
    EXPECT_EQ(copy.EX, original.EX);
    EXPECT_EQ(copy.EY, original.EY);
    EXPECT_EQ(copy.style.symbol, original.style.symbol);
    EXPECT_EQ(copy.style.color, original.style.color);
    // The ranges take the pasted buffers in.
    EXPECT_LE(to.ymin1, 0);
    EXPECT_GE(to.ymax1, 24);
    EXPECT_TRUE(alerts.requests().empty());

    // No selected row: nothing is copied, nothing said.
    m.setCurrentDoc(&from, &from);
    QApplication::clipboard()->clear();
    m.bSelectNone();
    m.copy();
    const QMimeData* after = QApplication::clipboard()->mimeData();
    EXPECT_TRUE(!after || !after->hasFormat(Manager::bufferMimeType()));
    EXPECT_EQ(alerts.beeps(), 0);
}

TEST(Pasteboard, TheGraphIsCopiedAsPictures)
{
    Manager m;
    ScriptedAlerts alerts;
    VexaDocument& d = openDocument(m, 2);
    m.setCurrentDoc(&d, &d);
    m.copy(); // the inspector window is not active: the whole graph
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->data(QStringLiteral("application/pdf")).startsWith("%PDF"));
    const QSizeF size = d.PV->boundsSize();
    for (const char* type : {"image/tiff", "image/png"}) {
        SCOPED_TRACE(type);
        QByteArray bytes = data->data(QLatin1String(type));
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer);
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
        EXPECT_EQ(image.size(), size.toSize());
    }
    EXPECT_FALSE(data->hasFormat(Manager::bufferMimeType()));
    EXPECT_TRUE(alerts.requests().empty());
}

TEST(Pasteboard, TextIsImportedAndComesFirst)
{
    Manager m;
    ScriptedAlerts alerts;
    TempFolder temp;
    VexaDocument& d = openDocument(m, 0);
    m.setCurrentDoc(&d, &d);

    // Text and buffers on offer: the text wins.
    auto other = std::make_unique<DataBuffer>();
    other->addDoubleValue(1, 1);
    putOnClipboard(Manager::bufferMimeType(), DataBuffer::archivedBuffers({other.get()}),
                   QStringLiteral("# from a spreadsheet\n1\t2\t3\n2\t4\t9\n3\t6\t27\n"));
    m.paste();
    ASSERT_EQ(d.bufferCount(), 2); // one per value column
    EXPECT_EQ(d.DB[0]->source, QStringLiteral("Pasteboard"));
    EXPECT_EQ(d.DB[1]->Y, (std::vector<double>{3, 9, 27}));
    EXPECT_EQ(d.DB[1]->X, (std::vector<double>{1, 2, 3}));
    EXPECT_TRUE(alerts.requests().empty());
    // The text went through a file that is gone now.
    EXPECT_TRUE(temp.files().isEmpty()) << temp.files().join(' ').toStdString();
}

TEST(Pasteboard, DataThatCannotBeReadChangesNothingAndSaysWhy)
{
    Manager m;
    TempFolder temp;
    VexaDocument& d = openDocument(m, 1);
    m.setCurrentDoc(&d, &d);
    d.xmin1 = -5;
    d.xmax1 = 5;

    // An archive of some other class, one that refers to itself, and bytes
    // that are no archive at all.
    const QByteArray foreign = [] {
        KeyedArchiver coder;
        class Stranger : public ArchivableObject {
        public:
            QString className() const override { return QStringLiteral("NSTask"); }
            void encodeWithCoder(KeyedArchiver& c) const override { c.encodeString("path", "/bin/sh"); }
        } stranger;
        std::vector<const ArchivableObject*> list{&stranger};
        coder.encodeArrayOfObjects(QStringLiteral("root"), list);
        return coder.encodedData();
    }();
    QByteArray cyclic = DataBuffer::archivedBuffers({d.DB[0].get()});
    cyclic.replace("<integer>1</integer>", "<integer>999999</integer>");
    const struct {
        const char* name;
        QString type;
        QByteArray bytes;
        QString text;
        const char* message;
    } cases[] = {
        {"foreign class", Manager::bufferMimeType(), foreign, QString(),
         "The pasted buffers could not be read"},
        {"garbage", Manager::bufferMimeType(), QByteArray("\x00\xff<plist>", 9), QString(),
         "The pasted buffers could not be read"},
        {"empty archive", Manager::bufferMimeType(), QByteArray(), QString(),
         "The pasted buffers could not be read"},
        {"damaged references", Manager::bufferMimeType(), cyclic, QString(),
         "The pasted buffers could not be read"},
        {"words only", QString(), QByteArray(), QStringLiteral("no numbers here\nat all\n"),
         "The pasted text holds no numbers"},
        {"binary text", QString(), QByteArray(), QStringLiteral("1 2\n") + QChar(0) + QStringLiteral("3 4\n"),
         "The pasted text is not plain text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedAlerts alerts;
        putOnClipboard(c.type, c.bytes, c.text);
        m.paste();
        EXPECT_EQ(d.bufferCount(), 1);
        EXPECT_EQ(d.xmin1, -5);
        EXPECT_EQ(d.xmax1, 5);
        ASSERT_EQ(alerts.requests().size(), 1u);
        EXPECT_EQ(alerts.requests()[0].title, QStringLiteral("Paste Error"));
        EXPECT_TRUE(alerts.requests()[0].message.startsWith(QLatin1String(c.message)))
            << alerts.requests()[0].message.toStdString();
    }
    EXPECT_TRUE(temp.files().isEmpty());

    // An empty clipboard: nothing at all.
    ScriptedAlerts alerts;
    QApplication::clipboard()->clear();
    m.paste();
    EXPECT_EQ(d.bufferCount(), 1);
    EXPECT_TRUE(alerts.requests().empty());
    EXPECT_EQ(alerts.beeps(), 0);
}

namespace {

// A rectangle from (x, y) to (x + 40, y + 30) in the document, current.
Graphic* addGraphic(Manager& m, VexaDocument& d, int posmode, double x, double y)
{
    auto g = std::make_unique<Graphic>();
    g->setup(&m, &d);
    g->type = GraphicRectangle;
    g->color = QColor(200, 10, 10);
    g->posmode = posmode;
    g->setPoints(x, y, x + 40, y + 30);
    Graphic* made = g.get();
    d.G.push_back(std::move(g));
    m.setCurrentGraphic(made);
    return made;
}

QRectF viewRect(const Graphic& g)
{
    double x1, y1, x2, y2;
    g.getPoints(x1, y1, x2, y2);
    return QRectF(QPointF(x1, y1), QPointF(x2, y2));
}

QByteArray png(QSize size)
{
    return PictureBytes::image(size, "png");
}

} // namespace

TEST(Pasteboard, GraphicsStepTwentyPointsFurtherAtEachPaste)
{
    for (int posmode : {0, 1}) {
        SCOPED_TRACE(posmode);
        Manager m;
        ScriptedAlerts alerts;
        VexaDocument& d = openDocument(m, 1);
        m.setCurrentDoc(&d, &d);
        d.xmin1 = 0;
        d.xmax1 = 1000;
        d.ymin1 = -50;
        d.ymax1 = 50;
        dynamic_cast<VexaView*>(d.PV)->resize(); // the plot area, as drawing lays it out
        Graphic* original = addGraphic(m, d, posmode, 100, 120);
        const QRectF at = viewRect(*original);

        m.copy();
        const QMimeData* data = QApplication::clipboard()->mimeData();
        ASSERT_TRUE(data->hasFormat(Manager::graphicMimeType()));
        EXPECT_TRUE(data->data(QStringLiteral("application/pdf")).startsWith("%PDF"));
        EXPECT_EQ(m.pasteoffset, 0);

        for (int n = 1; n <= 3; ++n) {
            m.paste();
            ASSERT_EQ(d.G.size(), std::size_t(1 + n));
            auto* pasted = dynamic_cast<Graphic*>(d.G.back().get());
            ASSERT_NE(pasted, nullptr);
            EXPECT_EQ(m.G, pasted);
            EXPECT_EQ(pasted->posmode, posmode);
            EXPECT_EQ(pasted->color, original->color);
            const QRectF r = viewRect(*pasted);
            EXPECT_NEAR(r.left() - at.left(), 20 * n, 1e-6);
            EXPECT_NEAR(r.top() - at.top(), 20 * n, 1e-6);
            EXPECT_NEAR(r.width(), at.width(), 1e-6);
        }
        // A new copy starts again at 20.
        m.setCurrentGraphic(original);
        m.copy();
        m.paste();
        EXPECT_NEAR(viewRect(*dynamic_cast<Graphic*>(d.G.back().get())).left() - at.left(), 20, 1e-6);
        EXPECT_TRUE(alerts.requests().empty());
    }
}

TEST(Pasteboard, CutTakesTheGraphicToAnotherDocument)
{
    Manager m;
    ScriptedAlerts alerts;
    VexaDocument& from = openDocument(m, 0);
    VexaDocument& to = openDocument(m, 0);
    m.setCurrentDoc(&from, &from);

    // Nothing to cut: a beep.
    m.cut();
    EXPECT_EQ(alerts.beeps(), 1);

    addGraphic(m, from, 0, 50, 60);
    m.cut();
    EXPECT_TRUE(from.G.empty());
    EXPECT_EQ(m.G, nullptr);
    EXPECT_EQ(QApplication::clipboard()->mimeData()->formats(), QStringList{Manager::graphicMimeType()});

    m.setCurrentDoc(&to, &to);
    m.paste();
    ASSERT_EQ(to.G.size(), 1u);
    EXPECT_EQ(viewRect(*dynamic_cast<Graphic*>(to.G[0].get())), QRectF(70, 80, 40, 30));
    EXPECT_EQ(dynamic_cast<Graphic*>(to.G[0].get())->PD, &to);
    EXPECT_EQ(alerts.beeps(), 1);
}

TEST(Pasteboard, PicturesAreCentredAndFitTheView)
{
    Manager m;
    ScriptedAlerts alerts;
    VexaDocument& d = openDocument(m, 0);
    m.setCurrentDoc(&d, &d);
    const QSizeF view = d.PV->boundsSize();
    const double W = view.width(), H = view.height();

    const struct {
        const char* name;
        QSize image;
        QSizeF shown;
        QByteArray bytes;
    } cases[] = {
        // Twice as wide as the view, not too tall: W/1.1 wide, half its own
        // height.
        {"wide", QSize(int(2 * W), int(H / 4)), QSizeF(W / 1.1, int(H / 4) * W / int(2 * W) / 1.1), {}},
        // Smaller than the view: 1/1.1 of its own size.
        {"small", QSize(100, 50), QSizeF(100 / 1.1, 50 / 1.1), {}},
        // Without a resolution a pixel is a point; at 144 dpi two pixels are.
        {"no resolution", QSize(200, 100), QSizeF(181.8, 90.9),
         PictureBytes::pngWithoutResolution({200, 100})},
        {"144 dpi", QSize(200, 100), QSizeF(90.9, 45.5), PictureBytes::image({200, 100}, "png", 5669)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        putOnClipboard(QStringLiteral("image/png"), c.bytes.isEmpty() ? png(c.image) : c.bytes);
        m.paste();
        auto* g = dynamic_cast<Graphic*>(d.G.back().get());
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(m.G, g);
        EXPECT_EQ(g->type, GraphicPicture);
        ASSERT_TRUE(g->image.has_value());
        EXPECT_NEAR(g->x2 - g->x1, c.shown.width(), 0.1);
        EXPECT_NEAR(g->y2 - g->y1, c.shown.height(), 0.1);
        EXPECT_NEAR((g->x1 + g->x2) / 2, W / 2, 0.1);
        EXPECT_NEAR((g->y1 + g->y2) / 2, H / 2, 0.1);
    }
    EXPECT_TRUE(alerts.requests().empty());

    // Text and a picture on offer: the text is imported, the picture left.
    const std::size_t graphics = d.G.size();
    putOnClipboard(QStringLiteral("image/png"), png(QSize(10, 10)), QStringLiteral("1 2\n2 3\n"));
    m.paste();
    EXPECT_EQ(d.G.size(), graphics);
    EXPECT_EQ(d.bufferCount(), 1);
}

TEST(Pasteboard, DamagedGraphicsAndPicturesChangeNothing)
{
    Manager m;
    VexaDocument& d = openDocument(m, 0);
    m.setCurrentDoc(&d, &d);
    QByteArray damaged = [&] {
        Graphic g;
        g.setup(&m, &d);
        KeyedArchiver coder;
        coder.encodeObject(QStringLiteral("root"), g);
        return coder.encodedData();
    }();
    damaged.replace("Graphic", "Grafitti");
    const struct {
        const char* name;
        QString type;
        QByteArray bytes;
        const char* message;
    } cases[] = {
        {"foreign class", Manager::graphicMimeType(), damaged, "The pasted graphic could not be read"},
        {"no archive", Manager::graphicMimeType(), QByteArray("<?xml"),
         "The pasted graphic could not be read"},
        {"not a png", QStringLiteral("image/png"), QByteArray("\x89PNG\r\n\x1a\nnonsense"),
         "The pasted picture could not be read"},
        {"not a pdf", QStringLiteral("application/pdf"), QByteArray("%PDF-1.4 broken"),
         "The pasted picture could not be read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedAlerts alerts;
        putOnClipboard(c.type, c.bytes);
        m.paste();
        EXPECT_TRUE(d.G.empty());
        EXPECT_EQ(m.G, nullptr);
        EXPECT_EQ(m.pasteoffset, 0);
        ASSERT_EQ(alerts.requests().size(), 1u);
        EXPECT_EQ(alerts.requests()[0].title, QStringLiteral("Paste Error"));
        EXPECT_TRUE(alerts.requests()[0].message.startsWith(QLatin1String(c.message)))
            << alerts.requests()[0].message.toStdString();
    }
}
