#include "io/DocumentArchive.h"

#include "model/DataBuffer.h"
#include "model/DocumentItems.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "platform/Color.h"
#include "platform/Font.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/RegularFile.h"
#include "support/TestSupport.h"
#include "view/VexaView.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace DA = DocumentArchive;

QString scratch(const QString& name)
{
    return TestSupport::scratchDir() + QLatin1Char('/') + name;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QFont someFont(const char* name, double size)
{
    if (auto f = Font::withName(QLatin1String(name), size))
        return *f;
    QFont f;
    f.setPointSizeF(size);
    return f;
}

// Every stored setting away from its default, with values that differ from
// field to field (and axis to axis), so that a key read into the wrong field
// shows up when the document is written again.
void scramble(VexaDocument& d, int seed)
{
    double v = 100 + seed;
    auto next = [&v] { return v += 1.25; };
    int n = seed;
    auto colour = [&n] {
        ++n;
        return Color::rgb((n % 7) / 7.0, (n % 5) / 5.0, (n % 3) / 3.0, 0.5 + (n % 2) / 4.0);
    };
    for (double* f : {&d.xmin1, &d.xmax1, &d.ymin1, &d.ymax1, &d.xmin2, &d.xmax2, &d.ymin2, &d.ymax2,
                      &d.page.marginleft, &d.page.marginright, &d.page.margintop, &d.page.marginbottom,
                      &d.page.framewidth, &d.page.arrowsize})
        *f = next();
    d.legend.legendx = 321;
    d.legend.legendy = -45;
    d.legend.legendwidth = 77;
    d.legend.legendspace = 13;
    d.page.framestyle = 2;
    d.page.arrowtype = 3;
    d.page.crossarrows = 1;
    d.page.framearrows = d.page.forceframe = d.page.alldraw = d.page.forcerenderhigh = 1;
    d.page.drawbackground = d.page.drawmargin = d.page.drawframe = 0;
    d.legend.plotlegend = d.legend.legendbg = d.legend.legendhorizontal = 1;
    d.legend.legendalign = 7;
    for (QColor* c : {&d.page.framecolor, &d.page.backgroundcolor, &d.page.margincolor, &d.legend.legendcolor,
                      &d.legend.legendbgcolor})
        *c = colour();
    d.legend.legendfont = someFont("DejaVu Serif", 11 + seed);
    for (int i = 0; i < 4; ++i) {
        int bit = 0;
        // A 4-bit pattern per switch across the four axes.
        using A = AxisSettings;
        AxisSettings& axis = d.axes[std::size_t(i)];
        for (AxisSettings::Flag A::*f :
             {&A::axis, &A::ticks, &A::mticks, &A::ticksboth, &A::mticksboth, &A::grid, &A::mgrid,
              &A::zeroline, &A::smalllog, &A::reverse, &A::fliptext, &A::textoffwindow, &A::text, &A::numbers,
              &A::dpauto, &A::gridfront, &A::mgridfront})
            axis.*f = ((++bit * 5 + seed) >> i) & 1;
        for (double A::*f : {&A::ticklength, &A::tickwidth, &A::gridwidth, &A::mticklength, &A::mtickwidth,
                             &A::mgridwidth, &A::angle})
            axis.*f = next();
        int k = 10 * i + seed;
        for (int A::*f : {&A::axismode, &A::tickstyle, &A::expoff, &A::dp, &A::gridpattern, &A::mgridpattern,
                          &A::align, &A::textoff})
            axis.*f = ++k;
        d.axes[i].numoff = std::int8_t(-3 - i);
        int t = 0;
        for (QString A::*f : {&A::axistext, &A::axistimeformat, &A::scaleexpr, &A::trigger, &A::scalstart,
                              &A::scalend, &A::scalspace, &A::scalminticks})
            axis.*f = QStringLiteral("t%1-%2-%3 \u00e9").arg(seed).arg(i).arg(++t);
        for (QColor A::*f :
             {&A::axistextcolor, &A::tickcolor, &A::gridcolor, &A::mtickcolor, &A::mgridcolor, &A::zerocolor})
            axis.*f = colour();
        d.axes[i].textfont = someFont("DejaVu Sans", 20 + i + seed);
        d.axes[i].numfont = someFont("DejaVu Sans Mono", 9 + i + seed);
        d.axes[i].alabel = {{QStringLiteral("%1").arg(i), QStringLiteral("label %1").arg(i)},
                            {QStringLiteral("2.5"), QStringLiteral("two and a half")}};
    }
}

std::unique_ptr<DataBuffer> makeBuffer(int seed, bool errors)
{
    auto b = std::make_unique<DataBuffer>();
    const double xs[] = {-0.0, 1e-300, 12345.678, 3.0 + seed};
    for (int i = 0; i < 4; ++i) {
        if (errors)
            b->addDoubleValueError(xs[i], xs[3 - i] * 2, 0.1 * i, 0.2 * i);
        else
            b->addDoubleValue(xs[i], xs[3 - i] * 2);
    }
    b->setSource(QStringLiteral("source %1").arg(seed));
    b->setComment(QStringLiteral("comment %1").arg(seed));
    b->dynsize = QStringLiteral("x*2");
    b->show = errors ? 1 : 0;
    b->belongx = 2;
    b->style.color = Color::rgb(0.1, 0.2, 0.3);
    b->style.fillcolor = Color::rgb(0.4, 0.5, 0.6, 0.7);
    b->style.symbol = 5 + seed;
    b->style.symbolsize = 7.5;
    b->style.plotsymbols = b->style.plothist = b->style.freex = b->style.barytop = 1;
    b->style.fxmin = -4;
    b->errorbars.errorbary = 3;
    b->errorbars.errorvaly = 0.25;
    return b;
}

// The buffer record's own writer stores every field bit for bit: equal
// records are identical buffers.
void expectSameBuffer(const DataBuffer& a, const DataBuffer& b)
{
    EXPECT_EQ(DataBuffer::archivedBuffers({&a}), DataBuffer::archivedBuffers({&b}));
    EXPECT_EQ(a.nop(), b.nop());
    EXPECT_EQ(a.haserror(), b.haserror());
    EXPECT_EQ(a.xmin, b.xmin);
    EXPECT_EQ(a.xmax, b.xmax);
    EXPECT_EQ(a.ymin, b.ymin);
    EXPECT_EQ(a.ymax, b.ymax);
}

// A main document with buffers and sub-views whose views sit in frames.
struct Graph {
    VexaDocument doc;
    DA::SubviewViews views; // after doc: the views go first

    VexaDocument& addSubview(const QRectF& frame, int seed)
    {
        auto sub = std::make_unique<VexaDocument>();
        scramble(*sub, seed);
        sub->DB.push_back(makeBuffer(seed, false));
        sub->subview = 1;
        sub->MPD = &doc;
        auto view = std::make_unique<VexaView>(frame.size());
        view->setFrame(frame);
        view->setVexaDocument(sub.get());
        sub->PV = view.get();
        views.push_back(std::move(view));
        doc.SPD.push_back(std::move(sub));
        return *doc.SPD.back();
    }
};

QByteArray saved(const VexaDocument& d, const DA::WindowFrame* window = nullptr)
{
    QString error;
    auto bytes = DA::dataRepresentationOfType(d, DA::documentType(), window, &error);
    EXPECT_TRUE(bytes.has_value()) << error.toStdString();
    return bytes.value_or(QByteArray());
}

DA::WindowFrame windowOf(const VexaDocument& d)
{
    return {double(d.winx), double(d.winy), double(d.winw), double(d.winh)};
}

// The document keys of the file, in file order.
QStringList documentKeys()
{
    QStringList keys = {"vexaversion",
                        "verno",
                        "xmin1",
                        "xmax1",
                        "ymin1",
                        "ymax1",
                        "xmin2",
                        "xmax2",
                        "ymin2",
                        "ymax2",
                        "winx",
                        "winy",
                        "winw",
                        "winh",
                        "buffer",
                        "text",
                        "graphic",
                        "marginleft",
                        "marginright",
                        "margintop",
                        "marginbottom",
                        "framewidth",
                        "framecolor",
                        "framestyle",
                        "framearrows",
                        "crossarrows",
                        "forceframe",
                        "drawbackground",
                        "drawmargin",
                        "drawframe",
                        "alldraw",
                        "forcerenderhigh",
                        "arrowtype",
                        "arrowsize",
                        "backgroundcolor",
                        "margincolor",
                        "plotlegend",
                        "legendbg",
                        "legendhorizontal",
                        "legendalign",
                        "legendx",
                        "legendy",
                        "legendwidth",
                        "legendspace",
                        "legendfont",
                        "legendcolor",
                        "legendbgcolor"};
    const char* axisWords[] = {"axis",
                               "axismode",
                               "axistext",
                               "axistextcolor",
                               "axistimeformat",
                               "scaleexpr",
                               "trigger",
                               "textfont",
                               "numfont",
                               "tickcolor",
                               "gridcolor",
                               "mtickcolor",
                               "mgridcolor",
                               "zerocolor",
                               "ticks",
                               "mticks",
                               "ticksboth",
                               "mticksboth",
                               "grid",
                               "mgrid",
                               "zeroline",
                               "smalllog",
                               "reverse",
                               "fliptext",
                               "ticklength",
                               "tickwidth",
                               "gridwidth",
                               "mticklength",
                               "mtickwidth",
                               "mgridwidth",
                               "scalstart",
                               "scalend",
                               "scalspace",
                               "scalminticks",
                               "numoff",
                               "textoff",
                               "textoffsetfromframe",
                               "tickstyle",
                               "expoff",
                               "text",
                               "numbers",
                               "dp",
                               "dpauto",
                               "alabel",
                               "gridfront",
                               "mgridfront",
                               "gridpattern",
                               "mgridpattern",
                               "align",
                               "angle"};
    for (int i = 0; i < 4; ++i)
        for (const char* w : axisWords)
            keys << QLatin1String(w) + QString::number(i);
    return keys;
}

// Stands in for any record when only its keys are looked at.
struct Opaque : ArchivableObject {
    QString name;
    std::function<void(KeyedArchiver&)> write;
    QString className() const override { return name; }
    void encodeWithCoder(KeyedArchiver& c) const override
    {
        if (write)
            write(c);
    }
};

// --- round trip ------------------------------------------------------------------------

TEST(DocumentArchiveTest, EveryKeyIsWrittenInOrderAndReadBackIntoItsField)
{
    Graph g;
    scramble(g.doc, 0);
    g.doc.DB.push_back(makeBuffer(1, true));
    g.doc.DB.push_back(makeBuffer(2, false));
    g.doc.legend.legendx = 12.7;
    g.doc.legend.legendy = -3.9;
    g.addSubview(QRectF(30, 40, 200, 150), 3);
    g.addSubview(QRectF(-5.5, 300.25, 120.5, 90), 4);
    const DA::WindowFrame window{10.9, -20.5, 640.7, 480.2};
    const QByteArray bytes = saved(g.doc, &window);

    KeyedUnarchiver file(bytes);
    QStringList expected = documentKeys();
    expected << "subviews";
    for (int j = 0; j < 2; ++j)
        for (const char* w : {"subviewx", "subviewy", "subvieww", "subviewh", "subview"})
            expected << QLatin1String(w) + QString::number(j);
    EXPECT_EQ(file.allKeys(), expected);
    EXPECT_EQ(file.decodeInt("verno"), 31);
    EXPECT_FALSE(file.decodeString("vexaversion").isEmpty());
    EXPECT_EQ(file.decodeInt("winx", 99), 10);
    EXPECT_EQ(file.decodeInt("winy", 99), -20);
    EXPECT_EQ(file.decodeInt("legendx", 99), 12); // stored as an int: files rely on it
    EXPECT_EQ(file.decodeInt("legendy", 99), -3);
    // A sub-view's record holds the document keys and no sub-view keys.
    QStringList nested;
    file.registerClass("VexaDocument", [&nested](KeyedUnarchiver& c) -> std::unique_ptr<ArchivableObject> {
        nested = c.allKeys();
        return std::make_unique<Opaque>();
    });
    ASSERT_TRUE(file.decodeObject<ArchivableObject>("subview1"));
    EXPECT_EQ(nested, documentKeys());

    Graph back;
    ScriptedAlerts alerts;
    const Outcome loaded = DA::loadDataRepresentation(back.doc, bytes, DA::documentType(), back.views);
    ASSERT_TRUE(loaded.ok());
    EXPECT_TRUE(loaded.message().isEmpty()) << loaded.message().toStdString();
    EXPECT_TRUE(alerts.requests().empty());
    EXPECT_EQ(back.doc.verno, 31);
    EXPECT_EQ(back.doc.resizewin, 1);
    EXPECT_EQ(back.doc.winw, 640);
    EXPECT_EQ(back.doc.winh, 480);
    EXPECT_EQ(back.doc.legend.legendx, 12.0);
    EXPECT_EQ(back.doc.legend.legendy, -3.0);

    // Written again, the loaded document gives the same file: every key came
    // back into the field it came from.
    const DA::WindowFrame again = windowOf(back.doc);
    EXPECT_EQ(saved(back.doc, &again), bytes);

    ASSERT_EQ(back.doc.DB.size(), 2u);
    for (int i = 0; i < 2; ++i)
        expectSameBuffer(*back.doc.DB[i], *g.doc.DB[i]);

    ASSERT_EQ(back.doc.SPD.size(), 2u);
    ASSERT_EQ(back.views.size(), 2u);
    for (int j = 0; j < 2; ++j) {
        const VexaDocument& sub = *back.doc.SPD[j];
        EXPECT_EQ(sub.subview, 1);
        EXPECT_EQ(sub.MPD, &back.doc);
        EXPECT_EQ(sub.PV, back.views[j].get());
        EXPECT_EQ(back.views[j]->PD, &sub);
        EXPECT_EQ(back.views[j]->frame(), g.views[j]->frame());
        EXPECT_TRUE(sub.SPD.empty());
        ASSERT_EQ(sub.DB.size(), 1u);
        expectSameBuffer(*sub.DB[0], *g.doc.SPD[j]->DB[0]);
        EXPECT_EQ(sub.axes[2].axistext, g.doc.SPD[j]->axes[2].axistext);
    }
    EXPECT_TRUE(back.doc.T.empty());
    EXPECT_TRUE(back.doc.G.empty());

    EXPECT_FALSE(DA::dataRepresentationOfType(g.doc, "Layout").has_value());
}

TEST(DocumentArchiveTest, OnlySubviewsWithAProperFrameAreWritten)
{
    Graph g;
    g.addSubview(QRectF(0, 0, 100, 80), 1);
    g.addSubview(QRectF(0, 0, 0, 50), 2); // no width
    g.addSubview(QRectF(0, 0, 50, -5), 3); // negative height
    g.addSubview(QRectF(0, 0, 50, 50), 4).PV = nullptr; // no view
    g.addSubview(QRectF(10, 10, 60, 40), 5);
    const QByteArray bytes = saved(g.doc);

    KeyedUnarchiver file(bytes);
    EXPECT_EQ(file.decodeInt("subviews"), 5); // gaps stay numbered
    for (int j = 0; j < 5; ++j)
        EXPECT_EQ(file.containsValueForKey(QStringLiteral("subview%1").arg(j)), j == 0 || j == 4) << j;

    Graph back;
    ASSERT_TRUE(DA::loadDataRepresentation(back.doc, bytes, DA::documentType(), back.views).ok());
    ASSERT_EQ(back.doc.SPD.size(), 2u);
    EXPECT_EQ(back.views[1]->frame(), QRectF(10, 10, 60, 40));
}

TEST(DocumentArchiveTest, LegendGeometryIsStoredAsIntegersWithoutOverflow)
{
    struct Case {
        double stored;
        int written;
    };
    const Case cases[] = {{12.7, 12},
                          {-3.9, -3},
                          {1e300, std::numeric_limits<int>::max()},
                          {-1e300, std::numeric_limits<int>::min()},
                          {std::nan(""), 0}};
    for (const Case& c : cases) {
        VexaDocument d;
        d.legend.legendwidth = c.stored;
        KeyedUnarchiver file(saved(d));
        EXPECT_EQ(file.decodeInt("legendwidth", 7), c.written) << c.stored;
    }
}

// --- older versions ------------------------------------------------------------------

TEST(DocumentArchiveTest, OlderVersionsAreUpgraded)
{
    const QColor red = Color::rgb(1, 0, 0), blue = Color::rgb(0, 0, 1), green = Color::rgb(0, 1, 0);
    struct Case {
        int verno;
        double mticklength;
        QColor mtickcolor, mgridcolor;
        int gridfront, gridpattern;
        double angle1;
        std::array<int, 4> align;
        double angle0; // of an axis without keys
    };
    const Case cases[] = {
        {14, 4, red, blue, 1, 0, 0, {2, 4, 6, 8}, 0},
        {24, 99, green, green, 1, 0, 0, {2, 4, 6, 8}, 0},
        {25, 99, green, green, 0, 5, 0, {2, 4, 6, 8}, 0},
        {31, 99, green, green, 0, 5, 45, {9, 0, 9, 9}, 30},
    };
    for (const Case& c : cases) {
        KeyedArchiver a;
        a.encodeInt("verno", c.verno);
        a.encodeDouble("ticklength1", 8);
        a.encodeDouble("tickwidth1", 3);
        a.encodeDouble("gridwidth1", 0.75);
        for (const char* k : {"mticklength1", "mtickwidth1", "mgridwidth1"})
            a.encodeDouble(k, 99);
        a.encodeColor("tickcolor1", red);
        a.encodeColor("gridcolor1", blue);
        a.encodeColor("mtickcolor1", green);
        a.encodeColor("mgridcolor1", green);
        a.encodeBool("gridfront1", false);
        a.encodeBool("mgridfront1", false);
        a.encodeInt("gridpattern1", 5);
        a.encodeInt("mgridpattern1", 5);
        a.encodeInt("align1", 0);
        a.encodeDouble("angle1", 45);

        Graph g;
        for (AxisSettings& axis : g.doc.axes) {
            axis.gridfront = axis.mgridfront = 0;
            axis.gridpattern = 3;
            axis.align = 9;
            axis.angle = 30;
        }
        ASSERT_TRUE(DA::loadDataRepresentation(g.doc, a.encodedData(), DA::documentType(), g.views).ok())
            << c.verno;
        const VexaDocument& d = g.doc;
        EXPECT_EQ(d.verno, c.verno);
        EXPECT_EQ(d.axes[1].mticklength, c.mticklength) << c.verno;
        EXPECT_EQ(d.axes[1].mtickwidth, c.verno > 14 ? 99 : 3) << c.verno;
        EXPECT_EQ(d.axes[1].mgridwidth, c.verno > 14 ? 99 : 0.75) << c.verno;
        EXPECT_EQ(d.axes[1].mtickcolor, c.mtickcolor) << c.verno;
        EXPECT_EQ(d.axes[1].mgridcolor, c.mgridcolor) << c.verno;
        EXPECT_EQ(d.axes[1].gridfront, c.gridfront) << c.verno;
        EXPECT_EQ(d.axes[1].mgridfront, c.gridfront) << c.verno;
        EXPECT_EQ(d.axes[1].gridpattern, c.gridpattern) << c.verno;
        EXPECT_EQ(d.axes[1].mgridpattern, c.gridpattern) << c.verno;
        EXPECT_EQ(d.axes[1].angle, c.angle1) << c.verno;
        EXPECT_EQ(d.axes[0].angle, c.angle0) << c.verno;
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_EQ(d.axes[i].align, c.align[i]) << c.verno << " axis " << i;
    }
}

// --- partial loads -----------------------------------------------------------------------

TEST(DocumentArchiveTest, PartialLoadsMergeOnlyTheirSection)
{
    Graph source;
    scramble(source.doc, 5);
    source.doc.DB.push_back(makeBuffer(1, true));
    source.doc.DB.push_back(makeBuffer(2, false));
    source.addSubview(QRectF(5, 5, 100, 100), 6);
    const QString path = scratch("partial.vexa");
    ASSERT_TRUE(DA::writeToFile(source.doc, path).ok());
    const VexaDocument& s = source.doc;

    struct Box : TextBoxItem {
        void doAutoPos() override { }
        void setNeedsDisplay() override { }
    };
    struct Case {
        DA::PartialLoadSection section;
        bool layout, colors, fonts, data, range, texts;
    };
    const Case cases[] = {
        {DA::SectionLayout, true, true, true, false, false, false},
        {DA::SectionData, false, false, false, true, false, false},
        {DA::SectionRange, false, false, false, false, true, false},
        {DA::SectionColors, false, true, false, false, false, false},
        {DA::SectionFonts, false, false, true, false, false, false},
        {DA::SectionFit, false, false, false, false, false, false},
        {DA::SectionTG, false, false, false, false, false, true},
    };
    for (const Case& c : cases) {
        Graph g;
        VexaDocument& d = g.doc;
        const VexaDocument fresh;
        d.newBuffer();
        d.T.push_back(std::make_unique<Box>());
        ScriptedAlerts alerts;
        const Outcome loaded = DA::loadPartialFile(d, c.section, path, g.views);
        ASSERT_TRUE(loaded.ok()) << c.section;
        EXPECT_TRUE(loaded.message().isEmpty()) << loaded.message().toStdString();
        EXPECT_TRUE(alerts.requests().empty());
        const std::string at = DA::sectionTypeName(c.section).toStdString();

        EXPECT_EQ(d.verno, 31) << at;
        EXPECT_EQ(d.resizewin, 0) << at;
        EXPECT_EQ(d.SPD.size(), 1u) << at; // the file's sub-views come along, whatever the section
        EXPECT_EQ(g.views.size(), 1u) << at;

        EXPECT_EQ(d.page.marginleft == s.page.marginleft, c.layout) << at;
        EXPECT_EQ(d.axes[0].axistextcolor == s.axes[0].axistextcolor, c.layout) << at;
        EXPECT_EQ(d.legend.legendcolor == s.legend.legendcolor, c.layout) << at;
        EXPECT_EQ(d.axes[3].axismode == s.axes[3].axismode, c.layout) << at;
        EXPECT_EQ(d.page.framecolor == s.page.framecolor, c.colors) << at;
        EXPECT_EQ(d.axes[1].tickcolor == s.axes[1].tickcolor, c.colors) << at;
        EXPECT_EQ(d.axes[3].zerocolor == s.axes[3].zerocolor, c.colors) << at;
        EXPECT_EQ(Font::storedName(d.legend.legendfont) == Font::storedName(s.legend.legendfont), c.fonts)
            << at;
        EXPECT_EQ(d.axes[2].numfont.pointSizeF() == s.axes[2].numfont.pointSizeF(), c.fonts) << at;
        EXPECT_EQ(d.DB.size() == 2 && d.DB[1]->comment == s.DB[1]->comment, c.data) << at;
        EXPECT_EQ(d.xmin2 == s.xmin2, c.range) << at;
        EXPECT_EQ(d.T.empty(), c.texts) << at;
        EXPECT_EQ(d.page.marginright, c.layout ? s.page.marginright : fresh.page.marginright) << at;
    }

    Graph g;
    const QByteArray before = saved(g.doc);
    EXPECT_FALSE(DA::loadPartialFile(g.doc, DA::PartialLoadSection(7), path, g.views).ok());
    EXPECT_EQ(saved(g.doc), before);
    EXPECT_TRUE(g.doc.SPD.empty());
}

// --- refused files ---------------------------------------------------------------------

TEST(DocumentArchiveTest, AnArchiveWithoutVersionIsRefusedWithNothingChanged)
{
    KeyedArchiver a;
    a.encodeDouble("xmin1", 5);
    a.encodeArrayOfObjects("buffer", std::vector<const ArchivableObject*>());

    Graph g;
    scramble(g.doc, 2);
    g.doc.newBuffer();
    const QByteArray before = saved(g.doc);
    ScriptedAlerts alerts;
    const Outcome refused = DA::loadDataRepresentation(g.doc, a.encodedData(), DA::documentType(), g.views);
    EXPECT_EQ(refused.kind(), Outcome::Kind::Failed);
    EXPECT_EQ(refused.title(), "File Open Error");
    EXPECT_EQ(refused.message(), "This is not a valid Vexa file");
    // The reader shows nothing; the controller shows the outcome as this alert.
    EXPECT_TRUE(alerts.requests().empty());
    Alert::show(refused);
    ASSERT_EQ(alerts.requests().size(), 1u);
    EXPECT_EQ(alerts.requests()[0].title, "File Open Error");
    EXPECT_EQ(alerts.requests()[0].message, "This is not a valid Vexa file");
    EXPECT_EQ(alerts.requests()[0].buttons, QStringList{"Ok"});
    EXPECT_EQ(saved(g.doc), before);
    EXPECT_EQ(g.doc.DB.size(), 1u);
}

TEST(DocumentArchiveTest, DamagedFilesAreRefusedWithNothingChanged)
{
    Graph source;
    scramble(source.doc, 8);
    source.doc.DB.push_back(makeBuffer(1, true));
    source.addSubview(QRectF(0, 0, 50, 50), 9);
    const QByteArray good = saved(source.doc);

    // A good file with one key overwritten.
    auto damaged = [&source](std::function<void(KeyedArchiver&)> damage) {
        KeyedArchiver a;
        DA::saveToCoder(source.doc, a);
        damage(a);
        return a.encodedData();
    };
    Opaque goodSubview;
    goodSubview.name = "VexaDocument";
    goodSubview.write = [&source](KeyedArchiver& c) { DA::saveToCoder(source.doc, c); };
    Opaque brokenSubview;
    brokenSubview.name = "VexaDocument";
    brokenSubview.write = [&source](KeyedArchiver& c) {
        DA::saveToCoder(source.doc, c);
        c.encodeString("tickwidth3", "wide");
    };

    struct Case {
        const char* what;
        QByteArray bytes;
        const char* type;
    };
    const Case cases[] = {
        {"truncated", good.left(good.size() / 2), "VexaDocument"},
        {"truncated, partial load", good.left(good.size() - 20), "Colors"},
        {"garbage", QByteArray("\x01\xff not a property list"), "VexaDocument"},
        {"empty", QByteArray(), "VexaDocument"},
        {"version is a text", damaged([](KeyedArchiver& a) { a.encodeString("verno", "31"); }),
         "VexaDocument"},
        {"range is a text", damaged([](KeyedArchiver& a) { a.encodeString("xmin1", "0"); }), "Range"},
        {"switch is a number", damaged([](KeyedArchiver& a) { a.encodeInt("grid2", 1); }), "VexaDocument"},
        {"colour is a number", damaged([](KeyedArchiver& a) { a.encodeInt("framecolor", 3); }), "Colors"},
        {"font is a colour", damaged([](KeyedArchiver& a) { a.encodeColor("legendfont", Qt::red); }),
         "Fonts"},
        {"buffers are a text", damaged([](KeyedArchiver& a) { a.encodeString("buffer", "x"); }), "Data"},
        {"buffers are texts", damaged([](KeyedArchiver& a) {
             a.encodeArray("buffer", {"a", "b"});
         }),
         "Data"},
        {"axis labels are numbers", damaged([](KeyedArchiver& a) {
             a.encodeDictionary("alabel2", {{"1", 5}});
         }),
         "Layout"},
        {"text boxes are a number", damaged([](KeyedArchiver& a) { a.encodeInt("text", 3); }), "TG"},
        {"graphics are a text", damaged([](KeyedArchiver& a) { a.encodeString("graphic", "x"); }), "TG"},
        {"sub-view frame is a text", damaged([&goodSubview](KeyedArchiver& a) {
             a.encodeInt("subviews", 1);
             a.encodeString("subvieww0", "wide");
             a.encodeObject("subview0", &goodSubview);
         }),
         "Fit"},
        {"damaged sub-view", damaged([&brokenSubview](KeyedArchiver& a) {
             a.encodeInt("subviews", 1);
             a.encodeDouble("subvieww0", 10);
             a.encodeDouble("subviewh0", 10);
             a.encodeObject("subview0", &brokenSubview);
         }),
         "VexaDocument"},
    };

    for (const Case& c : cases) {
        Graph g;
        scramble(g.doc, 1);
        g.doc.newBuffer();
        g.addSubview(QRectF(1, 1, 20, 20), 2);
        const QByteArray before = saved(g.doc);
        const DataBuffer* buffer = g.doc.DB[0].get();

        const Outcome refused = DA::loadDataRepresentation(g.doc, c.bytes, c.type, g.views);
        EXPECT_EQ(refused.kind(), Outcome::Kind::Failed) << c.what;
        EXPECT_EQ(refused.title(), "File Open Error") << c.what;
        EXPECT_FALSE(refused.message().isEmpty());
        EXPECT_EQ(saved(g.doc), before) << c.what;
        ASSERT_EQ(g.doc.DB.size(), 1u) << c.what;
        EXPECT_EQ(g.doc.DB[0].get(), buffer) << c.what;
        EXPECT_EQ(g.doc.SPD.size(), 1u) << c.what;
        EXPECT_EQ(g.views.size(), 1u) << c.what;
        EXPECT_EQ(g.doc.T.size(), 0u) << c.what;
        EXPECT_EQ(g.doc.verno, 0) << c.what;
    }

    // The undamaged file does load; the cases fail for their damage alone.
    Graph g;
    EXPECT_TRUE(DA::loadDataRepresentation(g.doc, good, DA::documentType(), g.views).ok());
}

// A small file must not decode into a huge document. One buffer record
// listed many times would become a full copy per listing: refused. Many
// records that name one data block read its numbers once and share them.
TEST(DocumentArchiveTest, FilesThatWouldDecodeFarBeyondTheirSizeAreRefusedOrShared)
{
    const QByteArray block(1 << 20, '\0'); // 131072 zeros
    auto bufferRecord = [&block](Opaque& o) {
        o.name = "DataBuffer";
        o.write = [&block](KeyedArchiver& c) {
            c.encodeInt("verno", DataBuffer::archiveVersion);
            c.encodeInt("byteorder", 0);
            c.encodeBytes("X", block);
            c.encodeBytes("Y", block);
        };
    };
    Opaque one;
    bufferRecord(one);
    std::vector<Opaque> many(200);
    std::vector<const ArchivableObject*> distinct;
    for (Opaque& o : many) {
        bufferRecord(o);
        distinct.push_back(&o);
    }
    auto document
        = [](const std::vector<const ArchivableObject*>& buffers, const ArchivableObject* subview = nullptr) {
              KeyedArchiver a;
              a.encodeInt("verno", 31);
              a.encodeArrayOfObjects("buffer", buffers);
              if (subview) {
                  a.encodeInt("subviews", 1);
                  a.encodeDouble("subvieww0", 10);
                  a.encodeDouble("subviewh0", 10);
                  a.encodeObject("subview0", subview);
              }
              return a.encodedData();
          };
    Opaque sharingSubview;
    sharingSubview.name = "VexaDocument";
    sharingSubview.write = [&one](KeyedArchiver& c) {
        c.encodeInt("verno", 31);
        c.encodeArrayOfObjects("buffer", std::vector<const ArchivableObject*>{&one});
    };

    const struct {
        const char* what;
        QByteArray bytes;
        const char* type;
    } cases[] = {
        {"one record listed a thousand times", document(std::vector<const ArchivableObject*>(1000, &one)),
         "VexaDocument"},
        {"one record listed twice, partial load", document({&one, &one}), "Data"},
        {"one record in a sub-view and in its main document", document({&one}, &sharingSubview),
         "VexaDocument"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_LT(c.bytes.size(), 3 << 20);
        Graph g;
        scramble(g.doc, 5);
        g.doc.newBuffer();
        const QByteArray before = saved(g.doc);
        const Outcome refused = DA::loadDataRepresentation(g.doc, c.bytes, c.type, g.views);
        EXPECT_EQ(refused.kind(), Outcome::Kind::Failed);
        EXPECT_EQ(refused.title(), "File Open Error");
        EXPECT_EQ(saved(g.doc), before);
        EXPECT_EQ(g.doc.DB.size(), 1u);
    }

    // Records naming one block are what an honest file holds (the buffers
    // of an import share their x values); 200 of them, naming one megabyte,
    // decode into one column that all share.
    const QByteArray shared = document(distinct);
    EXPECT_LT(shared.size(), 3 << 20);
    Graph g;
    ScriptedAlerts alerts;
    const Outcome loaded = DA::loadDataRepresentation(g.doc, shared, DA::documentType(), g.views);
    ASSERT_TRUE(loaded.ok());
    EXPECT_TRUE(loaded.message().isEmpty()) << loaded.message().toStdString();
    EXPECT_TRUE(alerts.requests().empty());
    ASSERT_EQ(g.doc.DB.size(), distinct.size());
    EXPECT_EQ(g.doc.DB[199]->Y.size(), std::size_t(1 << 17));
    for (const auto& b : g.doc.DB) {
        EXPECT_TRUE(b->X.sharesWith(g.doc.DB[0]->X));
        EXPECT_TRUE(b->Y.sharesWith(g.doc.DB[0]->X));
    }
}

// Short of memory, a file that would fit the budget is still refused as any
// damaged file is, rather than ending the program.
TEST(DocumentArchiveTest, RunningOutOfMemoryWhileLoadingRefusesTheFile)
{
    if (TestSupport::addressSanitizer)
        GTEST_SKIP() << "address-space limits do not work under AddressSanitizer";
    Graph source;
    auto b = std::make_unique<DataBuffer>();
    for (int i = 0; i < 1'000'000; ++i)
        b->quickAddDoubleValue(i, i * 0.5);
    source.doc.DB.push_back(std::move(b));
    const QString path = scratch("large.vexa");
    const Outcome written = DA::writeToFile(source.doc, path);
    ASSERT_TRUE(written.ok()) << written.message().toStdString();
    source.doc.DB.clear();

    const auto loadWithLittleMemory = [&path] {
        // What the process maps now, and 24 megabytes more: the file alone
        // is about as large.
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t limit = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t(24) << 20);
        const rlimit rl{limit, limit};
        setrlimit(RLIMIT_AS, &rl);
        Graph g;
        g.doc.newBuffer();
        const Outcome read = DA::readFromFile(g.doc, path, g.views);
        const bool loaded = read.ok();
        const bool refused = read.kind() == Outcome::Kind::Failed
            && read.title() == QLatin1String("File Open Error") && g.doc.DB.size() == 1;
        std::_Exit(refused ? 0 : loaded ? 2 : 1);
    };
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(loadWithLittleMemory(), ::testing::ExitedWithCode(0), "");
}

// An object never set is archived as nil: not damage, the key reads as missing.
TEST(DocumentArchiveTest, NilTextsColoursAndFontsReadAsMissing)
{
    Graph source;
    scramble(source.doc, 3);
    KeyedArchiver a;
    DA::saveToCoder(source.doc, a);
    for (const char* k :
         {"axistimeformat1", "scaleexpr0", "gridcolor2", "legendcolor", "legendfont", "numfont3"})
        a.encodeObject(QLatin1String(k), nullptr);

    Graph g;
    scramble(g.doc, 4);
    const VexaDocument& s = source.doc;
    const QFont legendfont = g.doc.legend.legendfont, numfont = g.doc.axes[3].numfont;
    ScriptedAlerts alerts;
    const Outcome loaded = DA::loadDataRepresentation(g.doc, a.encodedData(), DA::documentType(), g.views);
    ASSERT_TRUE(loaded.ok());
    EXPECT_TRUE(loaded.message().isEmpty()) << loaded.message().toStdString();
    EXPECT_TRUE(alerts.requests().empty());
    EXPECT_EQ(g.doc.axes[1].axistimeformat, QString());
    EXPECT_EQ(g.doc.axes[0].scaleexpr, QString());
    EXPECT_EQ(g.doc.axes[2].gridcolor, Color::darkGray());
    EXPECT_EQ(g.doc.legend.legendcolor, Color::black());
    EXPECT_EQ(g.doc.legend.legendfont, legendfont);
    EXPECT_EQ(g.doc.axes[3].numfont, numfont);
    EXPECT_EQ(g.doc.axes[1].axistext, s.axes[1].axistext); // the rest of the file did load
    EXPECT_EQ(g.doc.axes[1].gridcolor, s.axes[1].gridcolor);
}

TEST(DocumentArchiveTest, UnreadableFilesAreRefused)
{
    Graph g;
    const Outcome refused[] = {
        DA::readFromFile(g.doc, scratch("no-such-file.vexa"), g.views),
        DA::readFromFile(g.doc, TestSupport::scratchDir(), g.views), // a directory
    };
    for (const Outcome& r : refused) {
        EXPECT_EQ(r.kind(), Outcome::Kind::Failed);
        EXPECT_EQ(r.title(), "File Open Error");
    }
    EXPECT_EQ(g.doc.verno, 0);
}

// The limits of every reader narrowed for the object's lifetime.
struct NarrowedLimits {
    KeyedUnarchiver::Limits saved = KeyedUnarchiver::standardLimits();
    explicit NarrowedLimits(const std::function<void(KeyedUnarchiver::Limits&)>& narrow)
    {
        KeyedUnarchiver::Limits limits = saved;
        narrow(limits);
        KeyedUnarchiver::setStandardLimits(limits);
    }
    ~NarrowedLimits() { KeyedUnarchiver::setStandardLimits(saved); }
};

// Only a regular file is read, and only one this machine can open: a FIFO
// is not waited on, a device not read for ever, and a file past the bound
// is refused before it is read, saying so with its size.
TEST(DocumentArchiveTest, FifosDevicesAndFilesPastTheBoundAreRefusedUnread)
{
    const QString fifo = scratch("fifo.vexa");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = scratch("zero.vexa");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    // Larger than the bound, on paper only: a sparse file.
    const QString huge = scratch("huge.vexa");
    const qint64 largest = KeyedUnarchiver::standardLimits().maxInputBytes;
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(largest + 1));
    }
    const struct {
        const char* what;
        QString path;
        QString message;
    } cases[] = {
        {"a FIFO", fifo, fifo + QStringLiteral(" is not a regular file")},
        {"a link to /dev/zero", zero, zero + QStringLiteral(" is not a regular file")},
        {"past the bound", huge,
         huge
             + QStringLiteral(" is too large to open (%1; at most %2 can be read)")
                   .arg(RegularFile::sizeText(largest + 1), RegularFile::sizeText(largest))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Graph g;
        scramble(g.doc, 5);
        g.doc.newBuffer();
        const QByteArray before = saved(g.doc);
        const Outcome refused[] = {
            DA::readFromFile(g.doc, c.path, g.views),
            DA::loadPartialFile(g.doc, DA::SectionData, c.path, g.views),
        };
        for (const Outcome& r : refused) {
            EXPECT_EQ(r.kind(), Outcome::Kind::Failed);
            EXPECT_EQ(r.title(), "File Open Error");
            EXPECT_EQ(r.message(), c.message);
        }
        EXPECT_EQ(saved(g.doc), before);
    }
}

// What the program saves it opens again. The bound comes from the
// machine's memory: the 640 MB document of thirty million points opens on
// any machine with 4 GB. A document past the bound is not written (the
// older file stays); one past a narrower bound is refused for its size, and
// one with more elements than the reader takes says so, not "not valid".
TEST(DocumentArchiveTest, EveryDocumentSavedOpensAgainAndRefusalsForSizeSaySo)
{
    if (qint64(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGESIZE) >= (qint64(4) << 30)) {
        EXPECT_GT(KeyedUnarchiver::largestInput(), qint64(640) << 20);
    }
    EXPECT_GE(KeyedUnarchiver::largestInput(), qint64(256) << 20);

    Graph g;
    scramble(g.doc, 6);
    auto b = std::make_unique<DataBuffer>();
    for (int i = 0; i < 4000; ++i)
        b->addDoubleValue(i, i * 0.25);
    g.doc.DB.push_back(std::move(b));
    const QString path = scratch("bound.vexa");
    const QByteArray older("an older document");
    ASSERT_TRUE(writeBytes(path, older));
    QString error;
    {
        NarrowedLimits narrow([](KeyedUnarchiver::Limits& l) { l.maxInputBytes = 20000; });
        const Outcome refused = DA::writeToFile(g.doc, path);
        EXPECT_EQ(refused.kind(), Outcome::Kind::Failed);
        EXPECT_EQ(refused.title(), "File Save Error");
        error = refused.message();
        EXPECT_TRUE(error.startsWith(QStringLiteral("The document is too large to be opened again (")))
            << error.toStdString();
        EXPECT_TRUE(error.endsWith(QStringLiteral("; at most 20 kB can be read)."))) << error.toStdString();
        EXPECT_EQ(fileBytes(path), older);
    }
    {
        NarrowedLimits narrow([](KeyedUnarchiver::Limits& l) { l.maxElements = 200; });
        const Outcome refused = DA::writeToFile(g.doc, path);
        EXPECT_FALSE(refused.ok());
        error = refused.message();
        EXPECT_TRUE(
            error.startsWith(QStringLiteral("The document holds too many elements to be opened again (")))
            << error.toStdString();
        EXPECT_EQ(fileBytes(path), older);
    }
    const Outcome written = DA::writeToFile(g.doc, path);
    ASSERT_TRUE(written.ok()) << written.message().toStdString();
    const qint64 size = QFileInfo(path).size();

    Graph back;
    back.doc.newBuffer();
    {
        NarrowedLimits narrow([](KeyedUnarchiver::Limits& l) { l.maxInputBytes = 20000; });
        const Outcome refused = DA::readFromFile(back.doc, path, back.views);
        EXPECT_EQ(refused.kind(), Outcome::Kind::Failed);
        EXPECT_EQ(refused.message(),
                  path
                      + QStringLiteral(" is too large to open (%1; at most 20 kB can be read)")
                            .arg(RegularFile::sizeText(size)));
    }
    {
        NarrowedLimits narrow([](KeyedUnarchiver::Limits& l) { l.maxElements = 200; });
        const Outcome refused = DA::readFromFile(back.doc, path, back.views);
        EXPECT_EQ(refused.kind(), Outcome::Kind::Failed);
        EXPECT_TRUE(
            refused.message().startsWith(QStringLiteral("The file is too large or holds too much to open.")))
            << refused.message().toStdString();
        EXPECT_TRUE(refused.message().contains(QStringLiteral("more than 200 elements")))
            << refused.message().toStdString();
    }
    ASSERT_EQ(back.doc.DB.size(), 1u);
    EXPECT_EQ(back.doc.DB[0]->nop(), 0);
    ASSERT_TRUE(DA::readFromFile(back.doc, path, back.views).ok());
    ASSERT_EQ(back.doc.DB.size(), 1u);
    expectSameBuffer(*back.doc.DB[0], *g.doc.DB[0]);
}

// --- saving ----------------------------------------------------------------------------

TEST(DocumentArchiveTest, AFailedSaveIsReportedAndLeavesTheOlderFile)
{
    Graph g;
    scramble(g.doc, 3);
    g.doc.DB.push_back(makeBuffer(1, true));
    const QString path = scratch("kept.vexa");
    const QByteArray older("an older document");
    ASSERT_TRUE(writeBytes(path, older));

    // A disk that fills up half-way through: the file-size limit binds even
    // the superuser, who could write into any read-only directory.
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const Outcome written = DA::writeToFile(g.doc, path);
    const bool ok = written.ok();
    QString error = written.message();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.contains(QString::fromLocal8Bit(std::strerror(EFBIG)))) << error.toStdString();
    EXPECT_EQ(fileBytes(path), older);
    EXPECT_EQ(QDir(TestSupport::scratchDir()).entryList({"kept.vexa*"}, QDir::Files),
              QStringList{"kept.vexa"});

    error = DA::writeToFile(g.doc, scratch("missing/dir/doc.vexa")).message();
    EXPECT_FALSE(error.isEmpty());

    const Outcome rewritten = DA::writeToFile(g.doc, path);
    ASSERT_TRUE(rewritten.ok()) << rewritten.message().toStdString();
    EXPECT_EQ(fileBytes(path), saved(g.doc));
    Graph back;
    ASSERT_TRUE(DA::readFromFile(back.doc, path, back.views).ok());
    ASSERT_EQ(back.doc.DB.size(), 1u);
    expectSameBuffer(*back.doc.DB[0], *g.doc.DB[0]);
}

} // namespace
