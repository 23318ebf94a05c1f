#include "macro/StyleMacroWriter.h"

#include "macro/MacroText.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/CNumber.h"
#include "platform/Font.h"
#include "util/NumberFormat.h"

#include <QColor>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace StyleMacroWriter {

namespace {

// One part of a command line. A number that is not finite makes a null
// part, and a line with a null part is left out. The expression language
// reads an exponent only after a decimal point ("1e-05" would be the number
// 1 beside the constant e), so "%g"'s "1e-05" is written "1.0e-05".
QString num(double v)
{
    if (!std::isfinite(v))
        return QString();
    QString t = QString::fromStdString(CNumber::format("%g", v));
    const qsizetype exponent = t.indexOf(QLatin1Char('e'));
    if (exponent >= 0 && !t.left(exponent).contains(QLatin1Char('.')))
        t.insert(exponent, QLatin1String(".0"));
    return t;
}

QString integer(int v)
{
    return QString::number(v);
}

QString yesNo(bool on)
{
    return on ? QStringLiteral("yes") : QStringLiteral("no");
}

QString text(const QString& t)
{
    return MacroText::quoted(t);
}

QStringList rgb(const QColor& colour)
{
    const QColor c = colour.toRgb();
    return {num(c.redF()), num(c.greenF()), num(c.blueF())};
}

QStringList rgba(const QColor& colour)
{
    return rgb(colour) << num(colour.toRgb().alphaF());
}

class Lines {
public:
    void header(const char* title)
    {
        if (!out_.isEmpty())
            out_ += QLatin1Char('\n');
        out_ += QStringLiteral("##### %1 #####\n").arg(QLatin1String(title));
    }
    void add(const char* command, const QStringList& parts = {})
    {
        if (std::any_of(parts.begin(), parts.end(), [](const QString& p) { return p.isNull(); }))
            return;
        out_ += QLatin1String(command);
        for (const QString& p : parts)
            out_ += QLatin1Char(' ') + p;
        out_ += QLatin1Char('\n');
    }
    QString take() { return std::move(out_); }

private:
    QString out_;
};

void writePage(Lines& l, const VexaDocument& d, QSizeF windowSize)
{
    const PageSettings& p = d.page;
    l.header("main style attributes");
    l.add("colormode", {integer(0)});
    l.add("windowsize", {num(windowSize.width()), num(windowSize.height())});
    l.add("margins", {num(p.marginleft), num(p.marginright), num(p.marginbottom), num(p.margintop)});
    const struct {
        const char* command;
        const char* colourCommand;
        bool on;
        const QColor& colour;
    } fills[] = {
        {"drawbg", "bgcolor", p.drawbackground != 0, p.backgroundcolor},
        {"drawmargin", "margincolor", p.drawmargin != 0, p.margincolor},
        {"drawframe", "framecolor", p.drawframe != 0, p.framecolor},
    };
    for (const auto& f : fills) {
        l.add(f.command, {yesNo(f.on)});
        if (f.on)
            l.add(f.colourCommand, rgba(f.colour));
    }
    l.add("framestyle", {integer(p.framestyle)});
    l.add("framewidth", {num(p.framewidth)});
    if (p.framestyle != 0) {
        l.add("framearrows", {yesNo(p.framearrows)});
        if (p.framearrows) {
            l.add("framearrowtype", {integer(p.arrowtype)});
            l.add("framearrowsize", {num(p.arrowsize)});
        }
        l.add("forceframe", {yesNo(p.forceframe)});
    }
}

void writeBuffer(Lines& l, const DataBuffer& b, int n)
{
    const BufferStyle& s = b.style;
    const ErrorBarSettings& e = b.errorbars;
    const QString nr = integer(n);
    l.header(QStringLiteral("buffer %1 attributes").arg(n).toLatin1().constData());
    l.add("bstyleclear", {nr});
    const struct {
        const char* command;
        BufferStyle::Flag on;
    } switches[] = {
        {"bstylelines", s.plotlines},     {"bstylesymbols", s.plotsymbols}, {"bstylefill", s.plotarea},
        {"bstyleybars", s.plotybars},     {"bstylexbars", s.plotxbars},     {"bstyleysticks", s.plotysticks},
        {"bstylexsticks", s.plotxsticks}, {"bstyledots", s.plotdots},       {"bstylehist", s.plothist},
        {"bstylefhist", s.plotfhist},
    };
    for (const auto& sw : switches)
        if (sw.on)
            l.add(sw.command, {yesNo(true), nr});
    auto colour = [&](const char* command, const QColor& c) {
        l.add(command, rgb(c) << nr << num(c.toRgb().alphaF()));
    };
    colour("bcolor", s.color);
    colour("bfillcolor", s.fillcolor);
    colour("bframecolor", s.barcolor);
    colour("bstickcolor", s.stickcolor);
    l.add("blinewidth", {num(s.linewidth), nr});
    l.add("blinepattern", {integer(s.dash), nr});
    l.add("bpatternwidth", {num(s.dashwidth), nr});
    l.add("bsymbol", {integer(s.symbol), nr});
    l.add("bsymbolsize", {num(s.symbolsize), nr});
    l.add("bsymbolfill", {yesNo(s.symfill), nr});
    l.add("bsticksize", {num(s.sticksize), nr});
    l.add("bsticksabs", {yesNo(s.stickabs), nr});
    if (!b.dynsize.isEmpty())
        l.add("bdynsize", {nr, text(b.dynsize)});
    l.add("bxerror", {integer(e.errorbarx), nr});
    if (e.errorbarx > 0)
        l.add("bxerrorval", {num(e.errorvalx), nr});
    l.add("byerror", {integer(e.errorbary), nr});
    if (e.errorbary > 0)
        l.add("byerrorval", {num(e.errorvaly), nr});
    l.add("berrorlinewidth", {num(e.errorwidth), nr});
    colour("berrorcolor", s.errorcolor);
}

// The scale texts are numbers to the commands that set them: what the axis
// makes of the text is written, so the line always reads back.
QStringList scaleNumber(const QString& a, const QString& value)
{
    if (value.isEmpty())
        return {a};
    return {a, text(num(doubleValueOf(value)))};
}

QStringList scaleInteger(const QString& a, const QString& value)
{
    if (value.isEmpty())
        return {a};
    const double v = std::trunc(doubleValueOf(value));
    return {a, std::isfinite(v) && std::abs(v) < 2147483647.0 ? text(integer(int(v))) : QString()};
}

QStringList font(const QFont& f)
{
    return {text(Font::storedName(f)), num(f.pointSizeF())};
}

void writeAxis(Lines& l, const AxisSettings& x, int index)
{
    static const char* const headers[]
        = {"bottom axis attributes", "left axis attributes", "top axis attributes", "right axis attributes"};
    const QString a = integer(index + 1);
    l.header(headers[index]);
    l.add("ascalstart", scaleNumber(a, x.scalstart));
    l.add("ascalend", scaleNumber(a, x.scalend));
    auto optionalText = [&](const char* command, const QString& value) {
        l.add(command, value.isEmpty() ? QStringList{a} : QStringList{a, text(value)});
    };
    optionalText("atickdist", x.scalspace);
    l.add("aminsteps", scaleInteger(a, x.scalminticks));
    optionalText("atimeformat", x.axistimeformat);
    optionalText("atrigger", x.trigger);
    optionalText("ascalexpr", x.scaleexpr);
    l.add("adecplacesauto", {a, yesNo(x.dpauto)});
    l.add("adecplaces", {a, integer(x.dp)});
    l.add("aexpoffset", {a, integer(x.expoff)});
    l.add("aformat", {a, integer(x.axismode)});
    l.add("asetsmalllogzero", {a, yesNo(x.smalllog)});
    l.add("asetreverse", {a, yesNo(x.reverse)});
    l.add("atext", {a, text(x.axistext)});
    l.add("asetfliptext", {a, yesNo(x.fliptext)});
    l.add("asetticks", {a, yesNo(x.ticks)});
    l.add("asetticksbothsides", {a, yesNo(x.ticksboth)});
    l.add("atickcolor", QStringList{a} << rgba(x.tickcolor));
    l.add("aticklength", {a, num(x.ticklength)});
    l.add("atickwidth", {a, num(x.tickwidth)});
    l.add("asetminticks", {a, yesNo(x.mticks)});
    l.add("asetminticksbothsides", {a, yesNo(x.mticksboth)});
    l.add("amintickcolor", QStringList{a} << rgba(x.mtickcolor));
    l.add("aminticklength", {a, num(x.mticklength)});
    l.add("amintickwidth", {a, num(x.mtickwidth)});
    l.add("atickstyle", {a, integer(x.tickstyle)});
    l.add("asetgrid", {a, yesNo(x.grid)});
    l.add("agridfront", {a, yesNo(x.gridfront)});
    l.add("agridcolor", QStringList{a} << rgba(x.gridcolor));
    l.add("agridwidth", {a, num(x.gridwidth)});
    l.add("agridpattern", {a, integer(x.gridpattern)});
    l.add("asetmingrid", {a, yesNo(x.mgrid)});
    l.add("amingridfront", {a, yesNo(x.mgridfront)});
    l.add("amingridcolor", QStringList{a} << rgba(x.mgridcolor));
    l.add("amingridwidth", {a, num(x.mgridwidth)});
    l.add("amingridpattern", {a, integer(x.mgridpattern)});
    l.add("asetzeroline", {a, yesNo(x.zeroline)});
    l.add("azerolinecolor", QStringList{a} << rgba(x.zerocolor));
    if (!x.textfont.family().isEmpty())
        l.add("atextfont", QStringList{a} << font(x.textfont));
    l.add("atextoffset", {a, integer(x.textoff)});
    if (!x.numfont.family().isEmpty())
        l.add("anumfont", QStringList{a} << font(x.numfont));
    l.add("anumoffset", {a, integer(x.numoff)});
    l.add("anumalign", {a, integer(x.align)});
    l.add("anumangle", {a, num(x.angle)});
    l.add("atextcolor", QStringList{a} << rgba(x.axistextcolor));
    l.add("asettext", {a, yesNo(x.text)});
    l.add("asetnum", {a, yesNo(x.numbers)});
    l.add("aclearlabels", {a});
    // In one order, so that one document always gives one text.
    QStringList keys = x.alabel.keys();
    keys.sort();
    for (const QString& key : keys)
        l.add("alabel", {a, text(key), text(x.alabel.value(key))});
}

void writeAxes(Lines& l, const VexaDocument& d)
{
    l.header("axis attributes");
    QStringList shown;
    for (const AxisSettings& x : d.axes)
        shown << yesNo(x.axis);
    // The line ends with a blank, as it always has.
    l.add("setaxis", shown << QLatin1String(""));
    const double ranges[4][2]
        = {{d.xmin1, d.xmax1}, {d.ymin1, d.ymax1}, {d.xmin2, d.xmax2}, {d.ymin2, d.ymax2}};
    for (int i = 0; i < 4; ++i)
        if (d.axes[std::size_t(i)].axis)
            l.add("range", {integer(i + 1), num(ranges[i][0]), num(ranges[i][1])});
    for (int i = 0; i < 4; ++i)
        if (d.axes[std::size_t(i)].axis)
            writeAxis(l, d.axes[std::size_t(i)], i);
}

void writeLegend(Lines& l, const LegendSettings& g)
{
    l.header("legend attributes");
    l.add("setlegend", {yesNo(g.plotlegend)});
    if (!g.plotlegend)
        return;
    l.add("legendpos", {num(g.legendx), num(g.legendy)});
    l.add("legendlength", {num(g.legendwidth)});
    l.add("legendspace", {num(g.legendspace)});
    l.add("legendcolor", rgba(g.legendcolor));
    l.add("setlegendbg", {yesNo(g.legendbg)});
    l.add("setlegendhorizontal", {yesNo(g.legendhorizontal)});
    l.add("legendalign", {integer(g.legendalign + 1)});
    l.add("legendbgcolor", rgba(g.legendbgcolor));
    if (!g.legendfont.family().isEmpty())
        l.add("legendfont", font(g.legendfont));
}

} // namespace

QString styleMacroText(const VexaDocument& document, QSizeF windowSize)
{
    Lines l;
    writePage(l, document, windowSize);
    for (int n = 0; n < document.bufferCount(); ++n)
        writeBuffer(l, *document.DB[std::size_t(n)], n);
    writeAxes(l, document);
    writeLegend(l, document.legend);
    return l.take();
}

} // namespace StyleMacroWriter
