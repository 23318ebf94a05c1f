// Page and legend: margins, window size, background, frame, frame arrows; the
// legend. The colour commands take three or four numbers, or one colour word.
//
// Each command writes the run's document through its setters; a refused
// value (out of range, or a number that is not finite) changes nothing.
// Nothing is redrawn, except that "windowsize" resizes a window at once: the
// run replots at its end.

#include "macro/Macro.h"
#include "macro/MacroCommandFamilies.h"
#include "macro/MacroCommandTable.h"
#include "macro/MacroHost.h"
#include "macro/MacroSettingArguments.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"

#include <QSizeF>

#include <cmath>

namespace {

using namespace SettingArgument;
using Redraw = VexaDocument::Redraw;
using Section = MacroCommandTable::Section;

template <class T, class Read> MacroCommandBody page(T PageSettings::*field, Read read)
{
    return [field, read](Macro& m, const MacroCommandCall&) {
        if (const auto value = read(m))
            m.PD->setPage(field, *value, Redraw::Later);
    };
}

template <class T, class Read> MacroCommandBody legend(T LegendSettings::*field, Read read)
{
    return [field, read](Macro& m, const MacroCommandCall&) {
        if (const auto value = read(m))
            m.PD->setLegend(field, *value, Redraw::Later);
    };
}

// Left, right, bottom, top.
void doMargins(Macro& m, const MacroCommandCall&)
{
    double PageSettings::*const sides[] = {&PageSettings::marginleft, &PageSettings::marginright,
                                           &PageSettings::marginbottom, &PageSettings::margintop};
    for (int k = 0; k < 4; ++k)
        if (const auto v = Number{k}(m))
            m.PD->setPage(sides[k], *v, Redraw::Later);
}

// The window of the controller's main document: the parent's window while a
// sub-view is current.
void doWindowsize(Macro& m, const MacroCommandCall&)
{
    const auto w = Number{0}(m);
    const auto h = Number{1}(m);
    if (!m.M || !w || !h)
        return;
    if (VexaDocument* main = m.M->services().MPD)
        m.M->setWindowContentSize(main, QSizeF(*w, *h));
}

// "both", "min" and "max" (as written) are 0, 1 and 2; so is a number of
// 0 to 2. A word that is none of them and no expression reads as 0.
void doCrossarrows(Macro& m, const MacroCommandCall&)
{
    static const char* const words[] = {"both", "min", "max"};
    const QString text = m.S.value(0);
    for (int k = 0; k < 3; ++k)
        if (text == QLatin1String(words[k])) {
            m.PD->setPage(&PageSettings::crossarrows, k, Redraw::Later);
            return;
        }
    if (const auto v = UpTo{0, 2}(m))
        m.PD->setPage(&PageSettings::crossarrows, *v, Redraw::Later);
}

void doLegendpos(Macro& m, const MacroCommandCall&)
{
    const auto x = Number{0}(m);
    const auto y = Number{1}(m);
    if (x)
        m.PD->setLegend(&LegendSettings::legendx, *x, Redraw::Later);
    if (y)
        m.PD->setLegend(&LegendSettings::legendy, *y, Redraw::Later);
}

// Alignments are counted from 1 here and from 0 in the legend; the field is
// one byte and takes the low byte of any other number.
void doLegendalign(Macro& m, const MacroCommandCall&)
{
    if (const auto v = IntegerPart{0}(m))
        m.PD->setLegend(&LegendSettings::legendalign, std::int8_t(unsigned(*v) - 1u), Redraw::Later);
}

} // namespace

void registerPageLegendCommands(MacroCommandTable& t)
{
    SectionForms p(t, Section::Page);
    // Three numbers and an optional alpha, or one colour word.
    auto pageColour = [&p](const char* name, QColor PageSettings::*field) {
        p.add(name, "dddd", 3, page(field, ColorNumbers{0, 3}), ArgumentGuard::atLeast(3));
        p.add(name, "s", 1, page(field, ColorWord{0}), ArgumentGuard::exactly(1));
    };
    p.add("margins", "dddd", 4, doMargins);
    p.add("windowsize", "dd", 2, doWindowsize);
    p.add("drawbg", "i", 1, page(&PageSettings::drawbackground, OnOff{0}));
    p.add("drawmargin", "i", 1, page(&PageSettings::drawmargin, OnOff{0}));
    p.add("drawframe", "i", 1, page(&PageSettings::drawframe, OnOff{0}));
    pageColour("bgcolor", &PageSettings::backgroundcolor);
    pageColour("margincolor", &PageSettings::margincolor);
    pageColour("framecolor", &PageSettings::framecolor);
    p.add("framewidth", "d", 1, page(&PageSettings::framewidth, Number{0}));
    p.add("framestyle", "i", 1, page(&PageSettings::framestyle, UpTo{0, 2}));
    p.add("forceframe", "i", 1, page(&PageSettings::forceframe, OnForOne{0}));
    p.add("framearrows", "i", 1, page(&PageSettings::framearrows, OnForOne{0}));
    p.add("crossarrows", "u", 1, doCrossarrows);
    p.add("framearrowsize", "d", 1, page(&PageSettings::arrowsize, Number{0}));
    p.add("framearrowtype", "i", 1, page(&PageSettings::arrowtype, UpTo{0, 2}));

    SectionForms l(t, Section::Legend);
    auto legendColour = [&l](const char* name, QColor LegendSettings::*field) {
        l.add(name, "dddd", 3, legend(field, ColorNumbers{0, 3}), ArgumentGuard::atLeast(3));
        l.add(name, "s", 1, legend(field, ColorWord{0}), ArgumentGuard::exactly(1));
    };
    l.add("setlegend", "i", 1, legend(&LegendSettings::plotlegend, OnOff{0}));
    l.add("legendpos", "dd", 2, doLegendpos);
    l.add("setlegendbg", "i", 1, legend(&LegendSettings::legendbg, OnOff{0}));
    l.add("setlegendhorizontal", "i", 1, legend(&LegendSettings::legendhorizontal, OnOff{0}));
    l.add("legendalign", "i", 1, doLegendalign);
    l.add("legendlength", "d", 1, legend(&LegendSettings::legendwidth, Number{0}));
    l.add("legendspace", "d", 1, legend(&LegendSettings::legendspace, Number{0}));
    legendColour("legendcolor", &LegendSettings::legendcolor);
    legendColour("legendbgcolor", &LegendSettings::legendbgcolor);
    l.add("legendfont", "sd", 2, legend(&LegendSettings::legendfont, FontOf{0, 1}));
}
