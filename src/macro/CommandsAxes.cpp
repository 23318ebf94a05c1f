// Axes: visibility, scale texts, number format, fonts, titles, ticks, grids,
// zero line and label replacements of an axis set.
//
// Each command but "setaxis" takes the axis set first and its value second;
// the value is read once and written at every axis of the set through the
// document's setters. A refused value (out of range, or a number that is not
// finite) changes nothing; an empty axis set changes nothing. Nothing is
// redrawn: the run replots at its end.

#include "macro/Macro.h"
#include "macro/MacroCommandFamilies.h"
#include "macro/MacroCommandTable.h"
#include "macro/MacroSettingArguments.h"
#include "model/VexaDocument.h"

#include <limits>

namespace {

using namespace SettingArgument;
using Redraw = VexaDocument::Redraw;
using Section = MacroCommandTable::Section;

constexpr double unbounded = std::numeric_limits<double>::max();

// Writes the value `read` takes from the arguments at every axis of the
// command's axis set.
template <class T, class Read> MacroCommandBody axes(T AxisSettings::*field, Read read)
{
    return [field, read](Macro& m, const MacroCommandCall&) {
        if (const auto value = read(m))
            for (int a : m.axisIndices())
                m.PD->setAxis(a, field, T(*value), Redraw::Later);
    };
}

// One switch per axis, in AxisIndex order, without an axis set.
void doSetaxis(Macro& m, const MacroCommandCall&)
{
    for (int a = 0; a < 4; ++a)
        if (const auto on = OnOff{a}(m))
            m.PD->setAxis(a, &AxisSettings::axis, *on, Redraw::Later);
}

// Sets or replaces one replacement label: the number text as the axis draws
// it, and the text drawn instead.
void doAlabel(Macro& m, const MacroCommandCall&)
{
    for (int a : m.axisIndices()) {
        QHash<QString, QString> labels = m.PD->axes[std::size_t(a)].alabel;
        labels.insert(m.S.value(1), m.S.value(2));
        m.PD->setAxis(a, &AxisSettings::alabel, labels, Redraw::Later);
    }
}

void doAclearlabels(Macro& m, const MacroCommandCall&)
{
    for (int a : m.axisIndices())
        m.PD->setAxis(a, &AxisSettings::alabel, QHash<QString, QString>(), Redraw::Later);
}

} // namespace

void registerAxisCommands(MacroCommandTable& t)
{
    SectionForms f(t, Section::Axes);
    // The axis set, three numbers and an optional alpha; or the axis set and
    // a colour word.
    auto colour = [&f](const char* name, QColor AxisSettings::*field) {
        f.add(name, "adddd", 4, axes(field, ColorNumbers{1, 4}), ArgumentGuard::atLeast(4));
        f.add(name, "as", 2, axes(field, ColorWord{1}), ArgumentGuard::exactly(2));
    };

    f.add("setaxis", "iiii", 4, doSetaxis);
    f.add("ascalstart", "ad", 1, axes(&AxisSettings::scalstart, NumberText{1}));
    f.add("ascalend", "ad", 1, axes(&AxisSettings::scalend, NumberText{1}));
    f.add("asetreverse", "ai", 2, axes(&AxisSettings::reverse, OnForOne{1}));
    f.add("atickdist", "as", 1, axes(&AxisSettings::scalspace, Text{1}));
    f.add("aminsteps", "ai", 1, axes(&AxisSettings::scalminticks, IntegerText{1}));
    f.add("atimeformat", "as", 1, axes(&AxisSettings::axistimeformat, Text{1}));
    f.add("atrigger", "as", 1, axes(&AxisSettings::trigger, Text{1}));
    f.add("ascalexpr", "as", 1, axes(&AxisSettings::scaleexpr, Text{1}));
    f.add("aexpoffset", "ai", 2, axes(&AxisSettings::expoff, NotNegative{1}));
    f.add("adecplaces", "ai", 2, axes(&AxisSettings::dp, UpTo{1, 12}));
    f.add("adecplacesauto", "ai", 2, axes(&AxisSettings::dpauto, OnForOne{1}));
    f.add("aformat", "ai", 2, axes(&AxisSettings::axismode, UpTo{1, 2}));
    f.add("asetsmalllogzero", "ai", 2, axes(&AxisSettings::smalllog, OnForOne{1}));
    f.add("atext", "as", 2, axes(&AxisSettings::axistext, Text{1}));
    f.add("anumfont", "asd", 3, axes(&AxisSettings::numfont, FontOf{1, 2}));
    // The offset of the numbers is one signed byte: its low byte is kept.
    f.add("anumoffset", "ad", 2, axes(&AxisSettings::numoff, IntegerPart{1}));
    f.add("anumalign", "ai", 2, axes(&AxisSettings::align, UpTo{1, 8}));
    f.add("anumangle", "ad", 2, axes(&AxisSettings::angle, NumberIn{1, 0, 360}));
    f.add("atextfont", "asd", 3, axes(&AxisSettings::textfont, FontOf{1, 2}));
    f.add("atextoffset", "ad", 2, axes(&AxisSettings::textoff, IntegerPart{1}));
    f.add("atextoffsetwindow", "ai", 2, axes(&AxisSettings::textoffwindow, OnOff{1}));
    f.add("asetnum", "ai", 2, axes(&AxisSettings::numbers, OnOff{1}));
    f.add("asettext", "ai", 2, axes(&AxisSettings::text, OnOff{1}));
    f.add("asetfliptext", "ai", 2, axes(&AxisSettings::fliptext, OnOff{1}));
    colour("atextcolor", &AxisSettings::axistextcolor);
    f.add("asetzeroline", "ai", 2, axes(&AxisSettings::zeroline, OnOff{1}));
    colour("azerolinecolor", &AxisSettings::zerocolor);
    f.add("aticklength", "ad", 2, axes(&AxisSettings::ticklength, NumberIn{1, 0, unbounded}));
    f.add("aminticklength", "ad", 2, axes(&AxisSettings::mticklength, NumberIn{1, 0, unbounded}));
    f.add("atickwidth", "ad", 2, axes(&AxisSettings::tickwidth, NumberIn{1, 0, unbounded}));
    f.add("amintickwidth", "ad", 2, axes(&AxisSettings::mtickwidth, NumberIn{1, 0, unbounded}));
    f.add("asetticks", "ai", 2, axes(&AxisSettings::ticks, OnOff{1}));
    f.add("asetminticks", "ai", 2, axes(&AxisSettings::mticks, OnOff{1}));
    f.add("asetticksbothsides", "ai", 2, axes(&AxisSettings::ticksboth, OnOff{1}));
    f.add("asetminticksbothsides", "ai", 2, axes(&AxisSettings::mticksboth, OnOff{1}));
    colour("atickcolor", &AxisSettings::tickcolor);
    colour("amintickcolor", &AxisSettings::mtickcolor);
    f.add("atickstyle", "ai", 2, axes(&AxisSettings::tickstyle, UpTo{1, 2}));
    f.add("asetgrid", "ai", 2, axes(&AxisSettings::grid, OnOff{1}));
    f.add("asetmingrid", "ai", 2, axes(&AxisSettings::mgrid, OnOff{1}));
    colour("agridcolor", &AxisSettings::gridcolor);
    colour("amingridcolor", &AxisSettings::mgridcolor);
    f.add("agridwidth", "ad", 2, axes(&AxisSettings::gridwidth, NumberIn{1, 0, unbounded}));
    f.add("amingridwidth", "ad", 2, axes(&AxisSettings::mgridwidth, NumberIn{1, 0, unbounded}));
    f.add("agridpattern", "ai", 2, axes(&AxisSettings::gridpattern, UpTo{1, 15}));
    f.add("amingridpattern", "ai", 2, axes(&AxisSettings::mgridpattern, UpTo{1, 15}));
    f.add("agridfront", "ai", 2, axes(&AxisSettings::gridfront, OnOff{1}));
    f.add("amingridfront", "ai", 2, axes(&AxisSettings::mgridfront, OnOff{1}));
    f.add("alabel", "ass", 3, doAlabel);
    f.add("aclearlabels", "a", 1, doAclearlabels);
}
