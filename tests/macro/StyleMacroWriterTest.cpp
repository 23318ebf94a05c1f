// The style writer and the quoting of macro texts: what it writes, run on a
// fresh document through the real tokeniser, gives the same settings back.

#include "MacroFakes.h"

#include "macro/MacroText.h"
#include "macro/StyleMacroWriter.h"
#include "model/DataBuffer.h"
#include "platform/Font.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Texts that the tokeniser or the text conversion would otherwise change.
const char* const awkwardTexts[] = {
    "",
    "plain",
    "it's here",
    "quote before a blank' and after",
    "'",
    "ends with a quote'",
    "'starts and ends'",
    "line\nfeed",
    "\n",
    "tab\there",
    "carriage\rreturn",
    "$user and $document and $",
    "back\\slash, \\n and \\$user",
    "\\u0041 stays as written",
    "trailing backslash\\",
    "  blanks around  ",
    "#not a comment",
    "<perl>",
    "Ünïcödé µm² 😀",
};

VexaDocument* documentWithBuffers(FakeMacroHost& host, int buffers)
{
    VexaDocument* d = host.currentDocument();
    for (int i = 0; i < buffers; ++i)
        d->DB.push_back(std::make_unique<DataBuffer>());
    return d;
}

TEST(MacroText, QuotedTextsReadBackExactly)
{
    FakeMacroHost host;
    host.SV.insert(QStringLiteral("user"), QStringLiteral("someone"));
    host.SV.insert(QStringLiteral("document"), QStringLiteral("/some/file"));
    VexaDocument* d = host.currentDocument();
    for (const char* raw : awkwardTexts) {
        const QString text = QString::fromUtf8(raw);
        SCOPED_TRACE(raw);
        const QString quoted = MacroText::quoted(text);
        // One line of printable 7-bit ASCII.
        EXPECT_FALSE(quoted.contains(QRegularExpression(QStringLiteral("[^\\x20-\\x7e]"))))
            << quoted.toStdString();
        // Read back as an argument in the middle of a line, and as the last.
        EXPECT_EQ(runMacro(host, QStringLiteral("alabel 1 %1 %1\natext 2 %1").arg(quoted)), QString());
        EXPECT_EQ(d->axes[AxisY1].axistext, text);
        EXPECT_EQ(d->axes[AxisX1].alabel.value(text, QStringLiteral("missing")), text);
        d->axes[AxisX1].alabel.clear();
    }
}

TEST(MacroText, ConversionKeepsVariablesLineFeedsAndOtherBackslashes)
{
    const QHash<QString, QString> variables{{QStringLiteral("a"), QStringLiteral("A")},
                                            {QStringLiteral("ab"), QStringLiteral("AB")},
                                            {QStringLiteral("v"), QStringLiteral("x\\ny")}};
    const struct {
        const char* token;
        const char* text;
    } cases[] = {
        {"$ab $a $b", "AB A $b"},
        {"one\\ntwo", "one\ntwo"},
        {"$v", "x\ny"},
        {"C:\\data\\x", "C:\\data\\x"},
        {"\\$a and \\\\n", "$a and \\n"},
        {"\\u00e9\\u00E9", "\xc3\xa9\xc3\xa9"},
        {"\\u00g1 \\u12", "\\u00g1 \\u12"},
        {"end\\", "end\\"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MacroText::convert(QString::fromUtf8(c.token), &variables).value_or(QString()),
                  QString::fromUtf8(c.text))
            << c.token;
    EXPECT_EQ(MacroText::convert(QStringLiteral("$a\\n"), nullptr).value_or(QString()),
              QStringLiteral("$a\n"));
}

// A document with a setting in every group the writer covers changed from
// its default, texts that need quoting included.
void styleRichly(VexaDocument& d)
{
    PageSettings& p = d.page;
    p.marginleft = 71.5;
    p.marginright = 22;
    p.marginbottom = 64;
    p.margintop = 12.25;
    p.drawmargin = 0;
    p.backgroundcolor = QColor::fromRgbF(0.9f, 0.95f, 1.0f, 0.5f);
    p.framecolor = QColor(40, 50, 60);
    p.framestyle = 1;
    p.framewidth = 1.5;
    p.framearrows = 1;
    p.arrowtype = 2;
    p.arrowsize = 14;
    p.forceframe = 1;

    for (int n = 0; n < d.bufferCount(); ++n) {
        DataBuffer& b = *d.DB[std::size_t(n)];
        BufferStyle& s = b.style;
        s.plotlines = n == 0;
        s.plotsymbols = 1;
        s.plotysticks = n == 1;
        s.plotfhist = n == 1;
        s.color = QColor::fromRgbF(0.1f * float(n + 1), 0.25f, 0.7f, 0.8f);
        s.fillcolor = QColor(200, 10, 10);
        s.barcolor = QColor(1, 2, 3);
        s.stickcolor = QColor(250, 250, 0);
        s.errorcolor = QColor(0, 128, 255, 128);
        s.linewidth = 2.5;
        s.dash = 3;
        s.dashwidth = 1.25;
        s.symbol = 5 + n;
        s.symbolsize = 7;
        s.symfill = 1;
        s.sticksize = 33;
        s.stickabs = n;
        b.dynsize = n ? QStringLiteral("abs(y)/10 + 'x'") : QString();
        b.errorbars.errorbarx = n;
        b.errorbars.errorvalx = n ? 0.5 : 0;
        b.errorbars.errorbary = 2;
        b.errorbars.errorvaly = 12.5;
        b.errorbars.errorwidth = 0.75;
    }

    d.xmin1 = -2.5;
    d.xmax1 = 12;
    d.ymin1 = 0.001;
    d.ymax1 = 1000;
    d.xmin2 = 3;
    d.xmax2 = 4;
    d.ymin2 = -1;
    d.ymax2 = 1;
    for (int i = 0; i < 4; ++i) {
        AxisSettings& x = d.axes[std::size_t(i)];
        x.axis = 1;
        x.axistext
            = QString::fromUtf8(awkwardTexts[(i * 5 + 2) % std::size(awkwardTexts)]) + QStringLiteral(" µs");
        x.scalspace = i == 0 ? QStringLiteral("2.5") : QString();
        x.scalstart = i == 1 ? QStringLiteral("0.001") : QString();
        x.scalend = i == 0 ? QStringLiteral("10") : QString();
        x.scalminticks = i == 2 ? QStringLiteral("4") : QString();
        x.trigger = i == 3 ? QStringLiteral("0.5") : QString();
        x.scaleexpr = i == 0 ? QStringLiteral("v*1000") : QString();
        x.axistimeformat = i == 2 ? QStringLiteral("yyyy-MM-dd 'T' HH:mm") : QString();
        x.axismode = i == 1 ? AxisLog : i == 2 ? AxisTime : AxisLinear;
        x.dpauto = i != 3;
        x.dp = 3 + i;
        x.expoff = 4;
        x.smalllog = i == 1;
        x.reverse = i == 3;
        x.fliptext = i == 2;
        x.ticks = i != 1;
        x.ticksboth = 1;
        x.mticks = i != 2;
        x.mticksboth = i == 0;
        x.tickstyle = i % 3;
        x.ticklength = 7 + i;
        x.mticklength = 3.5;
        x.tickwidth = 1.5;
        x.mtickwidth = 0.5;
        x.tickcolor = QColor(255, 0, 0);
        x.mtickcolor = QColor(0, 0, 255, 100);
        x.grid = i < 2;
        x.gridfront = 0;
        x.gridcolor = QColor(128, 128, 128);
        x.gridwidth = 0.25;
        x.gridpattern = 2;
        x.mgrid = i == 0;
        x.mgridfront = 0;
        x.mgridcolor = QColor(200, 200, 200);
        x.mgridwidth = 0.125;
        x.mgridpattern = 1;
        x.zeroline = 1;
        x.zerocolor = QColor(10, 20, 30);
        x.textfont = *Font::withName(QStringLiteral("Helvetica"), 13);
        x.numfont = *Font::withName(QStringLiteral("Times-Roman"), 9.5);
        x.textoff = 12;
        x.numoff = -3;
        x.align = (i * 2 + 1) % 9;
        x.angle = 45;
        x.axistextcolor = QColor(0, 100, 0);
        x.text = i != 3;
        x.numbers = i != 2;
        x.alabel = {{QStringLiteral("1"), QStringLiteral("one")},
                    {QStringLiteral("2"), QStringLiteral("it's \"two\"\nlines")}};
    }

    LegendSettings& g = d.legend;
    g.plotlegend = 1;
    g.legendx = 300;
    g.legendy = 250.5;
    g.legendwidth = 40;
    g.legendspace = 18;
    g.legendcolor = QColor(20, 20, 20);
    g.legendbg = 1;
    g.legendhorizontal = 1;
    g.legendalign = 6;
    g.legendbgcolor = QColor(255, 255, 240, 200);
    g.legendfont = *Font::withName(QStringLiteral("Courier"), 11);
}

TEST(StyleMacroWriter, TheWrittenMacroGivesAFreshDocumentTheSameStyle)
{
    FakeMacroHost host;
    VexaDocument* styled = documentWithBuffers(host, 2);
    styleRichly(*styled);
    const QString text = StyleMacroWriter::styleMacroText(*styled, QSizeF(640, 480.5));

    VexaDocument* fresh = documentWithBuffers(host, 2);
    fresh->M = &host.manager;
    EXPECT_EQ(runMacro(host, text), QString()) << text.toStdString();

    EXPECT_EQ(fresh->page, styled->page);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(fresh->axes[std::size_t(i)], styled->axes[std::size_t(i)]) << "axis " << i;
    EXPECT_EQ(fresh->legend, styled->legend);
    for (int n = 0; n < 2; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(fresh->DB[std::size_t(n)]->style, styled->DB[std::size_t(n)]->style);
        EXPECT_EQ(fresh->DB[std::size_t(n)]->errorbars, styled->DB[std::size_t(n)]->errorbars);
        EXPECT_EQ(fresh->DB[std::size_t(n)]->dynsize, styled->DB[std::size_t(n)]->dynsize);
    }
    EXPECT_EQ(QStringList({QString::number(fresh->xmin1), QString::number(fresh->xmax1),
                           QString::number(fresh->ymin1), QString::number(fresh->ymax1),
                           QString::number(fresh->xmin2), QString::number(fresh->xmax2),
                           QString::number(fresh->ymin2), QString::number(fresh->ymax2)}),
              QStringList({"-2.5", "12", "0.001", "1000", "3", "4", "-1", "1"}));
    ASSERT_FALSE(host.windowSizes.empty());
    EXPECT_EQ(host.windowSizes.back().second, QSizeF(640, 480.5));
}

TEST(StyleMacroWriter, SectionsFollowTheDocument)
{
    FakeMacroHost host;
    VexaDocument* d = host.currentDocument();
    // A new document: no buffers, the bottom and left axes shown, the plain
    // frame, no legend.
    const QString text = StyleMacroWriter::styleMacroText(*d, QSizeF(500, 400));
    EXPECT_TRUE(text.startsWith(QStringLiteral("##### main style attributes #####\ncolormode 0\n"
                                               "windowsize 500 400\nmargins 80 10 80 10\n")))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("buffer")));
    EXPECT_FALSE(text.contains(QStringLiteral("framearrows")));
    EXPECT_FALSE(text.contains(QStringLiteral("forceframe")));
    EXPECT_TRUE(
        text.contains(QStringLiteral("\n\n##### axis attributes #####\nsetaxis yes yes no no \n"
                                     "range 1 0 1\nrange 2 0 1\n\n##### bottom axis attributes #####\n"
                                     "ascalstart 1\n")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("##### left axis attributes #####")));
    EXPECT_FALSE(text.contains(QStringLiteral("top axis")));
    EXPECT_FALSE(text.contains(QStringLiteral("range 3")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("\n\n##### legend attributes #####\nsetlegend no\n")));
    // Every line of the left axis section names axis 2.
    const QString left = text.section(QStringLiteral("##### left axis attributes #####\n"), 1)
                             .section(QStringLiteral("\n\n"), 0, 0);
    for (const QString& line : left.split(QLatin1Char('\n')))
        EXPECT_EQ(line.section(QLatin1Char(' '), 1, 1), QStringLiteral("2")) << line.toStdString();

    d->DB.push_back(std::make_unique<DataBuffer>());
    d->DB[0]->style.stickabs = 1;
    d->DB[0]->errorbars.errorbarx = 0;
    const QString withBuffer = StyleMacroWriter::styleMacroText(*d, QSizeF(500, 400));
    EXPECT_TRUE(withBuffer.contains(QStringLiteral("\n\n##### buffer 0 attributes #####\nbstyleclear 0\n"
                                                   "bstylelines yes 0\nbcolor 0 0 0 0 1\n")))
        << withBuffer.toStdString();
    EXPECT_TRUE(withBuffer.contains(QStringLiteral("\nbsticksabs yes 0\n")));
    EXPECT_TRUE(withBuffer.contains(QStringLiteral("\nbxerror 0 0\n")));
    EXPECT_FALSE(withBuffer.contains(QStringLiteral("bxerrorval")));
}

// Every number the writer prints reads back to the value printed: run on a
// fresh document, the text makes the same text again. The values are those
// "%g" prints with an exponent (which the expression language reads only
// after a decimal point), at both ends of the doubles and negative.
TEST(StyleMacroWriter, EveryNumberReadsBackAsWritten)
{
    const double awkward[] = {1e-05,
                              0.00001234,
                              1e-300,
                              2.5e-308,
                              4.9e-324,
                              1e300,
                              1.7976931348623157e308,
                              123456789,
                              9007199254740993.0,
                              1e6,
                              1e-4,
                              0.5,
                              1,
                              42,
                              -1e-05,
                              -3e+200,
                              -9007199254740993.0,
                              -0.25};
    for (const double v : awkward) {
        SCOPED_TRACE(v);
        FakeMacroHost host;
        VexaDocument* d = documentWithBuffers(host, 1);
        ErrorBarSettings& e = d->DB[0]->errorbars;
        e.errorbarx = e.errorbary = 1;
        e.errorvalx = v;
        e.errorvaly = -v;
        d->scale(Pair1, -std::abs(v), std::abs(v), -std::abs(v), std::abs(v), false, false);
        const QString text = StyleMacroWriter::styleMacroText(*d, QSizeF(500, 400));

        VexaDocument* fresh = documentWithBuffers(host, 1);
        fresh->M = &host.manager;
        EXPECT_EQ(runMacro(host, text), QString()) << text.toStdString();
        EXPECT_EQ(StyleMacroWriter::styleMacroText(*fresh, QSizeF(500, 400)), text);
    }
}

TEST(StyleMacroWriter, NumbersThatAreNotFiniteLeaveTheirLineOut)
{
    FakeMacroHost host;
    VexaDocument* d = host.currentDocument();
    d->xmin1 = std::numeric_limits<double>::quiet_NaN();
    d->page.marginleft = std::numeric_limits<double>::infinity();
    const QString text = StyleMacroWriter::styleMacroText(*d, QSizeF(500, 400));
    EXPECT_FALSE(text.contains(QStringLiteral("range 1")));
    EXPECT_FALSE(text.contains(QStringLiteral("margins")));
    EXPECT_TRUE(text.contains(QStringLiteral("range 2 0 1")));
    EXPECT_EQ(runMacro(host, text), QString());
}

} // namespace
