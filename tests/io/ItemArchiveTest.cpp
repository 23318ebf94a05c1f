// Text boxes and graphics in document files: every field and the rich text
// come back, pictures byte for byte; record keys in their fixed order;
// missing keys read as their defaults; damaged records are left out with a
// note while the rest opens; a PDF export keeps the text as text, turned as
// on screen. Hostile text and pictures open within bounds: text nested past
// reason, PDF pages that take hours to draw (opening draws none, drawing
// gives up in time), a picture shared by many graphics (decoded once).

#include "IoFakes.h"
#include "support/PictureBytes.h"

#include "io/DocumentArchive.h"
#include "io/PictureExport.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "platform/Color.h"
#include "platform/Font.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "view/Graphic.h"
#include "view/VexaTextView.h"
#include "view/VexaView.h"

#include <poppler-qt6.h>

#include <QBuffer>
#include <QPainter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using namespace IoTest;
namespace DA = DocumentArchive;

struct Page {
    FakeManager manager;
    VexaDocument doc;
    VexaView view{QSizeF(600, 400), &manager};
    DA::SubviewViews views;

    Page()
    {
        doc.M = &manager;
        view.setVexaDocument(&doc);
        doc.PV = &view;
    }

    VexaTextView& box(const QString& text, double size = 18)
    {
        doc.T.push_back(std::make_unique<VexaTextView>(QRectF(0, 0, 10, 15), &manager, &doc));
        auto& b = static_cast<VexaTextView&>(*doc.T.back());
        b.setString(text, Font::withName(QStringLiteral("DejaVu Sans"), size).value_or(Font::userFont(size)),
                    Qt::black);
        return b;
    }

    Graphic& graphic()
    {
        auto g = std::make_unique<Graphic>();
        g->setup(&manager, &doc);
        doc.G.push_back(std::move(g));
        return static_cast<Graphic&>(*doc.G.back());
    }
};

// Writes arbitrary keys as an object of the given class.
struct Raw : ArchivableObject {
    QString name;
    std::function<void(KeyedArchiver&)> write;
    QString className() const override { return name; }
    void encodeWithCoder(KeyedArchiver& c) const override
    {
        if (write)
            write(c);
    }
};

QByteArray jpegBytes()
{
    QImage photo(40, 30, QImage::Format_RGB32);
    photo.fill(QColor(30, 140, 90));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    photo.save(&buffer, "JPEG", 70);
    return bytes;
}

QByteArray saved(const VexaDocument& d)
{
    return DA::dataRepresentationOfType(d, DA::documentType()).value_or(QByteArray());
}

VexaTextView& textAt(VexaDocument& d, std::size_t i)
{
    return dynamic_cast<VexaTextView&>(*d.T.at(i));
}

Graphic& graphicAt(VexaDocument& d, std::size_t i)
{
    return dynamic_cast<Graphic&>(*d.G.at(i));
}

} // namespace

TEST(ItemArchiveTest, TextBoxesAndGraphicsComeBackAsTheyWere)
{
    Page source;
    VexaTextView& title = source.box(QStringLiteral("E = mc2 and a red word"), 24);
    {
        // A raised run, a bold red run, a centred second paragraph.
        QTextCursor c(&title.document());
        c.setPosition(6);
        c.setPosition(7, QTextCursor::KeepAnchor);
        QTextCharFormat up;
        up.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        c.mergeCharFormat(up);
        c.setPosition(14);
        c.setPosition(17, QTextCursor::KeepAnchor);
        QTextCharFormat red;
        red.setForeground(Qt::red);
        red.setFontWeight(QFont::Bold);
        c.mergeCharFormat(red);
        c.movePosition(QTextCursor::End);
        c.insertBlock();
        c.insertText(QStringLiteral("centred"));
        QTextBlockFormat centred;
        centred.setAlignment(Qt::AlignHCenter);
        c.mergeBlockFormat(centred);
    }
    title.tag = 7;
    title.posmode = 1;
    title.x = 12.5;
    title.y = -3.25;
    title.tbalign = 4;
    title.tloc = QPointF(123.5, 234.25);
    title.dloc = QPointF(-4, 5);
    title.angle = 33.5;
    title.autoposoffset = 6.5;
    title.autoposloc = 11;
    title.autoposangle = 90;
    title.autopos = 1;
    title.drawsBackground = true;
    title.backgroundColor = Color::rgb(0.9, 0.8, 0.1, 0.5);
    source.box(QStringLiteral("second box"));

    const QByteArray jpeg = jpegBytes();
    Graphic& arrow = source.graphic();
    arrow.tag = -3;
    arrow.type = GraphicLine;
    arrow.x1 = 1.5;
    arrow.y1 = 2.5;
    arrow.x2 = 300.25;
    arrow.y2 = 200.75;
    arrow.linewidth = 3.5;
    arrow.arrow1 = 1;
    arrow.arrow2 = 0;
    arrow.aspect = 0;
    arrow.dashp = 7;
    arrow.color = Color::rgb(0.1, 0.2, 0.3, 0.4);
    arrow.fillcolor = Color::rgb(0.5, 0.6, 0.7, 1);
    arrow.fill = 1;
    arrow.arrowsize = 17;
    arrow.arrowtype = ArrowDouble;
    arrow.display = 1;
    arrow.posmode = 2;
    Graphic& photo = source.graphic();
    photo.type = GraphicPicture;
    photo.image = Picture::fromData(jpeg);
    ASSERT_TRUE(photo.image);
    photo.setPoints(10, 10, 50, 40);

    const QString path = scratchPath(QStringLiteral("items.vexa"));
    ASSERT_TRUE(DA::writeToFile(source.doc, path).ok());

    Page back;
    ScriptedAlerts alerts;
    const Outcome loaded = DA::readFromFile(back.doc, path, back.views);
    ASSERT_TRUE(loaded.ok());
    EXPECT_TRUE(loaded.message().isEmpty()) << loaded.message().toStdString();
    EXPECT_TRUE(alerts.requests().empty());
    ASSERT_EQ(back.doc.T.size(), 2u);
    ASSERT_EQ(back.doc.G.size(), 2u);

    VexaTextView& t = textAt(back.doc, 0);
    EXPECT_EQ(t.string(), title.string());
    EXPECT_EQ(t.document().toHtml(), title.document().toHtml());
    EXPECT_EQ(t.document().begin().next().blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(t.tag, 7);
    EXPECT_EQ(t.posmode, 1);
    EXPECT_EQ(t.x, 12.5);
    EXPECT_EQ(t.y, -3.25);
    EXPECT_EQ(t.tbalign, 4);
    EXPECT_EQ(t.tloc, QPointF(123.5, 234.25));
    EXPECT_EQ(t.dloc, QPointF(-4, 5));
    EXPECT_EQ(t.angle, 33.5);
    EXPECT_EQ(t.autoposoffset, 6.5);
    EXPECT_EQ(t.autoposloc, 11);
    EXPECT_EQ(t.autoposangle, 90);
    EXPECT_TRUE(t.autopos);
    EXPECT_TRUE(t.drawsBackground);
    EXPECT_EQ(t.backgroundColor, title.backgroundColor);
    EXPECT_EQ(t.frame().size(), title.contentSize());
    EXPECT_EQ(t.PD, &back.doc);
    EXPECT_EQ(t.M, &back.manager);
    EXPECT_EQ(textAt(back.doc, 1).string(), QStringLiteral("second box"));

    Graphic& a = graphicAt(back.doc, 0);
    EXPECT_EQ(a.tag, -3);
    EXPECT_EQ(a.type, GraphicLine);
    EXPECT_EQ(QRectF(QPointF(a.x1, a.y1), QPointF(a.x2, a.y2)),
              QRectF(QPointF(1.5, 2.5), QPointF(300.25, 200.75)));
    EXPECT_EQ(a.linewidth, 3.5);
    EXPECT_TRUE(a.arrow1);
    EXPECT_FALSE(a.arrow2);
    EXPECT_FALSE(a.aspect);
    EXPECT_EQ(a.dashp, 7);
    EXPECT_EQ(a.color, arrow.color);
    EXPECT_EQ(a.fillcolor, arrow.fillcolor);
    EXPECT_TRUE(a.fill);
    EXPECT_EQ(a.arrowsize, 17);
    EXPECT_EQ(a.arrowtype, ArrowDouble);
    EXPECT_EQ(a.display, 1);
    EXPECT_EQ(a.posmode, 2);
    EXPECT_FALSE(a.image);
    EXPECT_EQ(a.PD, &back.doc);
    Graphic& p = graphicAt(back.doc, 1);
    ASSERT_TRUE(p.image);
    EXPECT_EQ(p.image->data(), jpeg); // the very bytes, not a re-encoding
    EXPECT_EQ(p.image->format(), "jpeg");

    // Saved again, the file is the same.
    EXPECT_EQ(saved(back.doc), saved(source.doc));
}

TEST(ItemArchiveTest, RecordsKeepTheirKeysInOrderAndMissingKeysReadAsDefaults)
{
    Page page;
    VexaTextView& box = page.box(QStringLiteral("x"));
    Graphic& g = page.graphic();
    g.image = Picture::fromData(jpegBytes());
    const QByteArray bytes = saved(page.doc);

    KeyedUnarchiver file(bytes);
    QStringList textKeys, graphicKeys;
    file.registerClass(VexaTextView::archiveClassName(),
                       [&](KeyedUnarchiver& c) -> std::unique_ptr<ArchivableObject> {
                           textKeys = c.allKeys();
                           EXPECT_EQ(c.decodeDouble("arrowsize", -1), -1);
                           return std::make_unique<Raw>();
                       });
    file.registerClass(Graphic::archiveClassName(),
                       [&](KeyedUnarchiver& c) -> std::unique_ptr<ArchivableObject> {
                           graphicKeys = c.allKeys();
                           // An int field, written as a double.
                           EXPECT_EQ(c.decodeDouble("arrowsize", -1), 12.0);
                           EXPECT_EQ(c.decodeInt("arrowsize", -1), -1);
                           return std::make_unique<Raw>();
                       });
    file.decodeArrayOfObjects<ArchivableObject>("text");
    file.decodeArrayOfObjects<ArchivableObject>("graphic");
    EXPECT_EQ(textKeys,
              (QStringList{"font", "html", "drawsbackground", "backgroundcolor", "tag", "x", "y", "posmode",
                           "tbalign", "tloc.x", "tloc.y", "dloc.x", "dloc.y", "angle", "autoposoffset",
                           "autoposloc", "autoposangle", "autopos"}));
    EXPECT_EQ(
        graphicKeys,
        (QStringList{"tag", "type", "x1", "y1", "x2", "y2", "linewidth", "arrow1", "arrow2", "aspect", "dash",
                     "color", "fillcolor", "fill", "arrowsize", "arrowtype", "display", "posmode", "image"}));
    (void)box;

    // Records with almost nothing in them.
    Raw bareText;
    bareText.name = VexaTextView::archiveClassName();
    bareText.write = [](KeyedArchiver& c) {
        c.encodeDouble("tloc.x", 40);
        c.encodeDouble("tloc.y", 50);
    };
    Raw bareGraphic;
    bareGraphic.name = Graphic::archiveClassName();
    bareGraphic.write = [](KeyedArchiver& c) {
        c.encodeInt("type", GraphicRectangle);
        c.encodeDouble("arrowsize", 15.9);
    };
    KeyedArchiver a;
    DA::saveToCoder(Page().doc, a);
    a.encodeArrayOfObjects("text", std::vector<const ArchivableObject*>{&bareText});
    a.encodeArrayOfObjects("graphic", std::vector<const ArchivableObject*>{&bareGraphic});
    Page back;
    ASSERT_TRUE(DA::loadDataRepresentation(back.doc, a.encodedData(), DA::documentType(), back.views).ok());
    VexaTextView& t = textAt(back.doc, 0);
    EXPECT_EQ(t.posmode, 0);
    EXPECT_EQ(t.tbalign, 0);
    EXPECT_EQ(t.tag, 0);
    EXPECT_FALSE(t.autopos);
    EXPECT_TRUE(t.isEmpty());
    EXPECT_EQ(t.tloc, QPointF(40, 50));
    Graphic& r = graphicAt(back.doc, 0);
    EXPECT_EQ(r.type, GraphicRectangle);
    EXPECT_EQ(r.color, QColor(Qt::black));
    EXPECT_EQ(r.fillcolor, QColor(Qt::white));
    EXPECT_FALSE(r.image);
    EXPECT_EQ(r.arrowsize, 15);
    EXPECT_EQ(r.linewidth, 2.0);
    EXPECT_TRUE(r.aspect);
}

TEST(ItemArchiveTest, DamagedRecordsAreLeftOutWithANoteAndTheRestOpens)
{
    Page source;
    source.box(QStringLiteral("good text"));
    source.graphic().tag = 5;
    source.doc.xmin1 = -7;

    Raw textWithTextTag;
    textWithTextTag.name = VexaTextView::archiveClassName();
    textWithTextTag.write = [](KeyedArchiver& c) { c.encodeString("tag", "seven"); };
    Raw graphicWithBrokenPicture;
    graphicWithBrokenPicture.name = Graphic::archiveClassName();
    graphicWithBrokenPicture.write = [](KeyedArchiver& c) { c.encodeBytes("image", "not a picture"); };
    Raw aBuffer; // a record of another kind in the list of text boxes
    aBuffer.name = QStringLiteral("DataBuffer");
    Raw textWithNumberText;
    textWithNumberText.name = VexaTextView::archiveClassName();
    textWithNumberText.write = [](KeyedArchiver& c) { c.encodeInt("html", 12); };

    const auto* good = &textAt(source.doc, 0);
    const auto* goodGraphic = &graphicAt(source.doc, 0);
    KeyedArchiver a;
    DA::saveToCoder(source.doc, a);
    a.encodeArrayOfObjects(
        "text",
        std::vector<const ArchivableObject*>{&textWithTextTag, good, &aBuffer, good, &textWithNumberText});
    a.encodeArrayOfObjects("graphic",
                           std::vector<const ArchivableObject*>{&graphicWithBrokenPicture, goodGraphic});

    Page back;
    ScriptedAlerts alerts;
    const Outcome loaded
        = DA::loadDataRepresentation(back.doc, a.encodedData(), DA::documentType(), back.views);
    ASSERT_TRUE(loaded.ok());
    ASSERT_EQ(back.doc.T.size(), 1u);
    EXPECT_EQ(textAt(back.doc, 0).string(), QStringLiteral("good text"));
    ASSERT_EQ(back.doc.G.size(), 1u);
    EXPECT_EQ(graphicAt(back.doc, 0).tag, 5);
    EXPECT_EQ(back.doc.xmin1, -7);

    // The document opens with a notice, which the controller shows.
    EXPECT_TRUE(alerts.requests().empty());
    EXPECT_TRUE(Alert::show(loaded));
    ASSERT_EQ(alerts.requests().size(), 1u);
    EXPECT_EQ(alerts.requests()[0].title, QStringLiteral("File Open Warning"));
    const QStringList lines = alerts.requests()[0].message.split(QLatin1Char('\n'));
    EXPECT_EQ(lines.size(), 5) << alerts.requests()[0].message.toStdString();
    EXPECT_EQ(lines.filter(QStringLiteral("A text box was damaged")).size(), 4);
    EXPECT_EQ(lines.filter(QStringLiteral("A graphic was damaged")).size(), 1);
    EXPECT_EQ(lines.filter(QStringLiteral("\"tag\" holds no integer")).size(), 1);
    EXPECT_EQ(lines.filter(QStringLiteral("listed twice")).size(), 1);
    EXPECT_EQ(lines.filter(QStringLiteral("picture could not be read")).size(), 1);
}

TEST(ItemArchiveTest, TextFromAFileNeverLoadsAnythingItNames)
{
    // A picture on the disk that the rich text of a damaged or hostile file
    // names: were it loaded, the box would be as tall as the picture.
    QImage big(300, 400, QImage::Format_RGB32);
    big.fill(Qt::red);
    const QString picture = scratchPath(QStringLiteral("named.png"));
    ASSERT_TRUE(big.save(picture, "PNG"));
    Raw box;
    box.name = VexaTextView::archiveClassName();
    box.write = [&picture](KeyedArchiver& c) {
        c.encodeString("html",
                       QStringLiteral("<html><head><link rel=\"stylesheet\" href=\"%1\"></head><body>"
                                      "x<img src=\"%1\"><img src=\"file://%1\"></body></html>")
                           .arg(picture));
    };
    KeyedArchiver a;
    DA::saveToCoder(Page().doc, a);
    a.encodeArrayOfObjects("text", std::vector<const ArchivableObject*>{&box});
    Page back;
    ASSERT_TRUE(DA::loadDataRepresentation(back.doc, a.encodedData(), DA::documentType(), back.views).ok());
    ASSERT_EQ(back.doc.T.size(), 1u);
    EXPECT_LT(textAt(back.doc, 0).contentSize().height(), 100);
    EXPECT_LT(textAt(back.doc, 0).contentSize().width(), 100);
}

TEST(ItemArchiveTest, TheTextsAndGraphicsSectionLoadsIntoAnOpenDocument)
{
    Page source;
    source.box(QStringLiteral("merged"));
    source.graphic().tag = 9;
    const QString path = scratchPath(QStringLiteral("tg.vexa"));
    ASSERT_TRUE(DA::writeToFile(source.doc, path).ok());

    Page target;
    target.box(QStringLiteral("replaced"));
    target.manager.T = target.doc.T[0].get();
    target.doc.xmin1 = 42;
    ASSERT_TRUE(DA::loadPartialFile(target.doc, DA::SectionTG, path, target.views).ok());
    ASSERT_EQ(target.doc.T.size(), 1u);
    EXPECT_EQ(textAt(target.doc, 0).string(), QStringLiteral("merged"));
    EXPECT_EQ(textAt(target.doc, 0).PD, &target.doc);
    EXPECT_EQ(graphicAt(target.doc, 0).PD, &target.doc);
    EXPECT_EQ(graphicAt(target.doc, 0).tag, 9);
    EXPECT_EQ(target.doc.xmin1, 42);
}

TEST(ItemArchiveTest, AnExportedPdfHoldsTheTextAsTextTurnedAsOnScreen)
{
    Page page;
    for (auto& a : page.doc.axes)
        a.axis = 0;
    VexaTextView& flat = page.box(QStringLiteral("Horizontal annotation"), 20);
    flat.setPosition(100, 300);
    VexaTextView& up = page.box(QStringLiteral("Upright"), 20);
    up.angle = 90;
    up.setPosition(500, 100);
    const QString path = scratchPath(QStringLiteral("texts.pdf"));
    const Outcome saved = PictureExport::savePDF(page.doc, path);
    ASSERT_TRUE(saved.ok()) << saved.message().toStdString();

    std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(path);
    ASSERT_TRUE(pdf);
    std::unique_ptr<Poppler::Page> p = pdf->page(0);
    ASSERT_TRUE(p);
    QRectF horizontal, upright;
    for (const auto& word : p->textList()) {
        if (word->text() == QLatin1String("Horizontal"))
            horizontal = word->boundingBox();
        if (word->text() == QLatin1String("Upright"))
            upright = word->boundingBox();
    }
    ASSERT_FALSE(horizontal.isEmpty());
    ASSERT_FALSE(upright.isEmpty());
    EXPECT_GT(horizontal.width(), 2 * horizontal.height());
    EXPECT_GT(upright.height(), 2 * upright.width());
    // Where the view put them: the page is the view, y down.
    EXPECT_NEAR(horizontal.left(), 100, 3);
    EXPECT_NEAR(horizontal.top(), 400 - 300, 3);
    EXPECT_NEAR(upright.bottom(), 400 - 100, 3);
    EXPECT_NEAR(upright.left(), 500, 4);
}

// --- hostile content: rich text and pictures with a cost ------------------------------

TEST(ItemArchiveTest, RichTextNestedThousandsDeepOpensWithEveryWord)
{
    // Twenty thousand divisions, each inside the one before and holding a
    // word of its own: read as they stand, minutes of work.
    constexpr int depth = 20000;
    QString html;
    QStringList words;
    for (int i = 0; i < depth; ++i) {
        words.append(QStringLiteral("w%1").arg(i));
        html += QStringLiteral("<div>w%1 ").arg(i);
    }
    html += QStringLiteral("</div>").repeated(depth);
    Raw box;
    box.name = VexaTextView::archiveClassName();
    box.write = [&html](KeyedArchiver& c) { c.encodeString("html", html); };
    KeyedArchiver a;
    DA::saveToCoder(Page().doc, a);
    a.encodeArrayOfObjects("text", std::vector<const ArchivableObject*>{&box});

    Page back;
    ScriptedAlerts alerts;
    const Outcome loaded
        = DA::loadDataRepresentation(back.doc, a.encodedData(), DA::documentType(), back.views);
    ASSERT_TRUE(loaded.ok());
    EXPECT_TRUE(loaded.message().isEmpty()) << loaded.message().toStdString();
    EXPECT_TRUE(alerts.requests().empty());
    ASSERT_EQ(back.doc.T.size(), 1u);
    EXPECT_EQ(
        textAt(back.doc, 0).string().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts),
        words);
}

TEST(ItemArchiveTest, OpeningRendersNoPdfPictureAndDrawingOneIsBounded)
{
    // Ten to the eighth lines in two kilobytes, beside a plain PDF picture.
    const QByteArray hostile = PictureBytes::formsDrawingEachOther(8, 10);
    const QByteArray plain = PictureBytes::pdf();
    Page source;
    for (const QByteArray* bytes : {&hostile, &plain}) {
        Graphic& g = source.graphic();
        g.type = GraphicPicture;
        g.image = Picture::fromData(*bytes);
        ASSERT_TRUE(g.image);
        g.setPoints(10, 10, 110, 110);
    }

    Page back;
    ScriptedAlerts alerts;
    const Outcome loaded
        = DA::loadDataRepresentation(back.doc, saved(source.doc), DA::documentType(), back.views);
    ASSERT_TRUE(loaded.ok());
    EXPECT_TRUE(loaded.message().isEmpty()) << loaded.message().toStdString();
    EXPECT_TRUE(alerts.requests().empty());
    ASSERT_EQ(back.doc.G.size(), 2u);
    Graphic& bad = graphicAt(back.doc, 0);
    Graphic& good = graphicAt(back.doc, 1);
    ASSERT_TRUE(bad.image && good.image);
    EXPECT_EQ(bad.image->naturalSize(), QSizeF(100, 100));
    EXPECT_FALSE(bad.image->isRendered());
    EXPECT_FALSE(good.image->isRendered());

    // Drawn, the hostile page runs out of time and shows as a grey box; the
    // other one is drawn.
    for (Graphic* g : {&bad, &good}) {
        QImage canvas(120, 120, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        g->drawGraphic(painter, QRectF(0, 0, 120, 120));
        painter.end();
        EXPECT_TRUE(g->image->isRendered());
        EXPECT_EQ(g->image->image().isNull(), g == &bad);
        EXPECT_EQ(QColor(canvas.pixel(30, 60)) == QColor(224, 224, 224), g == &bad);
    }

    // Nothing lost: the document saves as it came.
    EXPECT_EQ(saved(back.doc), saved(source.doc));
}

TEST(ItemArchiveTest, APictureSharedByManyGraphicsIsDecodedOnceWithinTheBudget)
{
    // Four megabytes of pixels a hundred times over would pass the budget
    // of a file this small.
    QImage pixels(1000, 1000, QImage::Format_ARGB32);
    pixels.fill(Qt::blue);
    const std::optional<Picture> picture = Picture::fromImage(pixels);
    ASSERT_TRUE(picture);
    Page source;
    for (int i = 0; i < 100; ++i) {
        Graphic& g = source.graphic();
        g.type = GraphicPicture;
        g.image = picture;
        g.setPoints(i, i, i + 50, i + 50);
    }
    const QByteArray file = saved(source.doc);
    EXPECT_EQ(file.count(picture->data().left(48).toBase64()), 1); // stored once

    Page back;
    ScriptedAlerts alerts;
    const Outcome loaded = DA::loadDataRepresentation(back.doc, file, DA::documentType(), back.views);
    ASSERT_TRUE(loaded.ok());
    EXPECT_TRUE(loaded.message().isEmpty()) << loaded.message().toStdString();
    EXPECT_TRUE(alerts.requests().empty());
    ASSERT_EQ(back.doc.G.size(), 100u);
    const uchar* bits = graphicAt(back.doc, 0).image->image().constBits();
    for (std::size_t i = 0; i < back.doc.G.size(); ++i) {
        ASSERT_TRUE(graphicAt(back.doc, i).image) << i;
        EXPECT_EQ(graphicAt(back.doc, i).image->image().constBits(), bits) << i;
    }

    // A single picture of more pixels than the budget holds is refused
    // before it is decoded, and the open document keeps what it had.
    QImage huge(6000, 6000, QImage::Format_Mono);
    huge.fill(0);
    Page big;
    Graphic& g = big.graphic();
    g.type = GraphicPicture;
    g.image = Picture::fromImage(huge);
    ASSERT_TRUE(g.image);
    Page target;
    target.box(QStringLiteral("kept"));
    const Outcome refused
        = DA::loadDataRepresentation(target.doc, saved(big.doc), DA::documentType(), target.views);
    ASSERT_EQ(refused.kind(), Outcome::Kind::Failed);
    EXPECT_EQ(refused.title(), QStringLiteral("File Open Error"));
    const QString& why = refused.message();
    EXPECT_TRUE(why.startsWith(QStringLiteral("The file is too large or holds too much to open. "
                                              "The archive holds more than the ")))
        << why.toStdString();
    EXPECT_TRUE(why.endsWith(QStringLiteral(" bytes of data its size allows."))) << why.toStdString();
    ASSERT_EQ(target.doc.T.size(), 1u);
    EXPECT_EQ(textAt(target.doc, 0).string(), QStringLiteral("kept"));
    EXPECT_TRUE(target.doc.G.empty());
}
