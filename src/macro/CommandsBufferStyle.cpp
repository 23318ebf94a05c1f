// Buffer style: drawing switches, colours, lines, symbols, sticks, error
// bars, legend membership, free ranges and bar anchors of a buffer set.
//
// Each command reads its value once and writes it into every buffer of its
// buffer set through the document's setters; a refused value (out of range,
// or a number that is not finite) changes nothing. Nothing is redrawn: the
// run replots at its end.

#include "macro/Macro.h"
#include "macro/MacroCommandFamilies.h"
#include "macro/MacroCommandTable.h"
#include "macro/MacroSettingArguments.h"
#include "model/VexaDocument.h"

#include <array>

namespace {

using namespace SettingArgument;
using Redraw = VexaDocument::Redraw;
using Section = MacroCommandTable::Section;

// The ten drawing switches, in the order "bstyle" takes them.
constexpr std::array<Flag BufferStyle::*, 10> drawingSwitches
    = {&BufferStyle::plotlines, &BufferStyle::plotsymbols, &BufferStyle::plotarea,    &BufferStyle::plotybars,
       &BufferStyle::plotxbars, &BufferStyle::plotysticks, &BufferStyle::plotxsticks, &BufferStyle::plotdots,
       &BufferStyle::plothist,  &BufferStyle::plotfhist};

// Writes the value `read` takes from the arguments into the field of every
// buffer of the command's buffer set.
template <class T, class Read> MacroCommandBody style(T BufferStyle::*field, Read read)
{
    return [field, read](Macro& m, const MacroCommandCall&) {
        if (const auto value = read(m))
            for (int b : m.bufferIndices())
                m.PD->setBufferStyle(b, field, *value, Redraw::Later);
    };
}

template <class T, class Read> MacroCommandBody errorBars(T ErrorBarSettings::*field, Read read)
{
    return [field, read](Macro& m, const MacroCommandCall&) {
        if (const auto value = read(m))
            for (int b : m.bufferIndices())
                m.PD->setErrorBars(b, field, *value, Redraw::Later);
    };
}

// A bar anchor: the two anchors of one direction exclude each other, so
// turning one on turns its partner off; turning one off leaves the partner.
MacroCommandBody anchor(Flag BufferStyle::*field, Flag BufferStyle::*partner)
{
    return [field, partner](Macro& m, const MacroCommandCall&) {
        const auto on = OnOff{0}(m);
        if (!on)
            return;
        for (int b : m.bufferIndices()) {
            m.PD->setBufferStyle(b, field, *on, Redraw::Later);
            if (*on)
                m.PD->setBufferStyle(b, partner, Flag(0), Redraw::Later);
        }
    };
}

// A free range: both ends, or neither when one is not a finite number.
MacroCommandBody freeRange(double BufferStyle::*low, double BufferStyle::*high)
{
    return [low, high](Macro& m, const MacroCommandCall&) {
        const auto a = Number{0}(m);
        const auto b = Number{1}(m);
        if (!a || !b)
            return;
        for (int i : m.bufferIndices()) {
            m.PD->setBufferStyle(i, low, *a, Redraw::Later);
            m.PD->setBufferStyle(i, high, *b, Redraw::Later);
        }
    };
}

void doBstyle(Macro& m, const MacroCommandCall&)
{
    std::array<Flag, drawingSwitches.size()> on{};
    for (std::size_t k = 0; k < on.size(); ++k) {
        const auto v = OnOff{int(k)}(m);
        if (!v)
            return;
        on[k] = *v;
    }
    for (int b : m.bufferIndices())
        for (std::size_t k = 0; k < on.size(); ++k)
            m.PD->setBufferStyle(b, drawingSwitches[k], on[k], Redraw::Later);
}

void doBstyleclear(Macro& m, const MacroCommandCall&)
{
    for (int b : m.bufferIndices())
        for (Flag BufferStyle::*field : drawingSwitches)
            m.PD->setBufferStyle(b, field, Flag(0), Redraw::Later);
}

void doBlegend(Macro& m, const MacroCommandCall&)
{
    if (const auto on = OnOff{0}(m))
        for (int b : m.bufferIndices())
            m.PD->setBufferLegend(b, *on != 0, Redraw::Later);
}

// The buffer set comes first; without a text the size is fixed again.
void doBdynsize(Macro& m, const MacroCommandCall&)
{
    const QString expression = m.S.value(1);
    for (int b : m.bufferIndices())
        m.PD->setDynamicSize(b, expression, Redraw::Later);
}

} // namespace

void registerBufferStyleCommands(MacroCommandTable& t)
{
    SectionForms f(t, Section::BufferStyle);
    // Three numbers, the buffer set and an optional alpha; or a colour word
    // and the buffer set.
    auto colour = [&f](const char* name, QColor BufferStyle::*field) {
        f.add(name, "dddbd", 4, style(field, ColorNumbers{0, 4}), ArgumentGuard::atLeast(4));
        f.add(name, "sb", 2, style(field, ColorWord{0}), ArgumentGuard::exactly(2));
    };

    f.add("bstyle", "iiiiiiiiiib", 11, doBstyle);
    f.add("bstyleclear", "b", 1, doBstyleclear);
    f.add("bstylelines", "ib", 2, style(&BufferStyle::plotlines, OnOff{0}));
    f.add("bstylesymbols", "ib", 2, style(&BufferStyle::plotsymbols, OnOff{0}));
    f.add("bstylefill", "ib", 2, style(&BufferStyle::plotarea, OnOff{0}));
    f.add("bstyleybars", "ib", 2, style(&BufferStyle::plotybars, OnOff{0}));
    f.add("bstylexbars", "ib", 2, style(&BufferStyle::plotxbars, OnOff{0}));
    f.add("bstyleysticks", "ib", 2, style(&BufferStyle::plotysticks, OnOff{0}));
    f.add("bstylexsticks", "ib", 2, style(&BufferStyle::plotxsticks, OnOff{0}));
    f.add("bstyledots", "ib", 2, style(&BufferStyle::plotdots, OnOff{0}));
    f.add("bstylehist", "ib", 2, style(&BufferStyle::plothist, OnOff{0}));
    f.add("bstylefhist", "ib", 2, style(&BufferStyle::plotfhist, OnOff{0}));
    colour("bcolor", &BufferStyle::color);
    colour("bfillcolor", &BufferStyle::fillcolor);
    colour("bframecolor", &BufferStyle::barcolor);
    colour("bstickcolor", &BufferStyle::stickcolor);
    f.add("blinewidth", "db", 2, style(&BufferStyle::linewidth, Number{0}));
    f.add("blinepattern", "ib", 2, style(&BufferStyle::dash, UpTo{0, 15}));
    f.add("bpatternwidth", "db", 2, style(&BufferStyle::dashwidth, Number{0}));
    f.add("bsymbol", "ib", 2, style(&BufferStyle::symbol, UpTo{0, 15}));
    f.add("bsymbolsize", "db", 2, style(&BufferStyle::symbolsize, Number{0}));
    // The switch alone is accepted and, with no buffer, changes nothing.
    f.add("bsymbolfill", "ib", 1, style(&BufferStyle::symfill, OnOff{0}));
    f.add("bsticksize", "db", 2, style(&BufferStyle::sticksize, Number{0}));
    f.add("bsticksabs", "ib", 1, style(&BufferStyle::stickabs, OnOff{0}));
    f.add("bdynsize", "bs", 1, doBdynsize);
    f.add("bxerrorval", "db", 2, errorBars(&ErrorBarSettings::errorvalx, Number{0}));
    f.add("bxerror", "ib", 2, errorBars(&ErrorBarSettings::errorbarx, UpTo{0, 3}));
    f.add("byerrorval", "db", 2, errorBars(&ErrorBarSettings::errorvaly, Number{0}));
    f.add("byerror", "ib", 2, errorBars(&ErrorBarSettings::errorbary, UpTo{0, 3}));
    f.add("berrorlinewidth", "db", 2, errorBars(&ErrorBarSettings::errorwidth, Number{0}));
    colour("berrorcolor", &BufferStyle::errorcolor);
    f.add("blegend", "ib", 2, doBlegend);
    f.add("bfreex", "ib", 2, style(&BufferStyle::freex, OnOff{0}));
    f.add("bfreey", "ib", 2, style(&BufferStyle::freey, OnOff{0}));
    f.add("bfreexrange", "ddb", 3, freeRange(&BufferStyle::fxmin, &BufferStyle::fxmax));
    f.add("bfreeyrange", "ddb", 3, freeRange(&BufferStyle::fymin, &BufferStyle::fymax));
    f.add("barytop", "ib", 2, anchor(&BufferStyle::barytop, &BufferStyle::barybottom));
    f.add("barybottom", "ib", 2, anchor(&BufferStyle::barybottom, &BufferStyle::barytop));
    f.add("barxleft", "ib", 2, anchor(&BufferStyle::barxleft, &BufferStyle::barxright));
    f.add("barxright", "ib", 2, anchor(&BufferStyle::barxright, &BufferStyle::barxleft));
}
