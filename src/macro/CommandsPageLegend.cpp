// Page and legend: margins, window size, background, frame, frame arrows; the
// legend. The colour commands take three or four numbers, or one colour word.

#include "macro/MacroCommandFamilies.h"
#include "macro/MacroCommandTable.h"

namespace {
using Section = MacroCommandTable::Section;
} // namespace

void registerPageLegendCommands(MacroCommandTable& t)
{
    auto pending = [&t](Section s, const char* name, const char* signature, int minimum,
                        ArgumentGuard guard = ArgumentGuard::always()) {
        t.addPending(s, QLatin1String(name), QLatin1String(signature), minimum, guard);
    };

    pending(Section::Page, "margins", "dddd", 4);
    pending(Section::Page, "windowsize", "dd", 2);
    pending(Section::Page, "drawbg", "i", 1);
    pending(Section::Page, "drawmargin", "i", 1);
    pending(Section::Page, "drawframe", "i", 1);
    pending(Section::Page, "bgcolor", "dddd", 3, ArgumentGuard::atLeast(3));
    pending(Section::Page, "bgcolor", "s", 1, ArgumentGuard::exactly(1));
    pending(Section::Page, "margincolor", "dddd", 3, ArgumentGuard::atLeast(3));
    pending(Section::Page, "margincolor", "s", 1, ArgumentGuard::exactly(1));
    pending(Section::Page, "framecolor", "dddd", 3, ArgumentGuard::atLeast(3));
    pending(Section::Page, "framecolor", "s", 1, ArgumentGuard::exactly(1));
    pending(Section::Page, "framewidth", "d", 1);
    pending(Section::Page, "framestyle", "i", 1);
    pending(Section::Page, "forceframe", "i", 1);
    pending(Section::Page, "framearrows", "i", 1);
    pending(Section::Page, "crossarrows", "u", 1);
    pending(Section::Page, "framearrowsize", "d", 1);
    pending(Section::Page, "framearrowtype", "i", 1);

    pending(Section::Legend, "setlegend", "i", 1);
    pending(Section::Legend, "legendpos", "dd", 2);
    pending(Section::Legend, "setlegendbg", "i", 1);
    pending(Section::Legend, "setlegendhorizontal", "i", 1);
    pending(Section::Legend, "legendalign", "i", 1);
    pending(Section::Legend, "legendlength", "d", 1);
    pending(Section::Legend, "legendspace", "d", 1);
    pending(Section::Legend, "legendcolor", "dddd", 3, ArgumentGuard::atLeast(3));
    pending(Section::Legend, "legendcolor", "s", 1, ArgumentGuard::exactly(1));
    pending(Section::Legend, "legendbgcolor", "dddd", 3, ArgumentGuard::atLeast(3));
    pending(Section::Legend, "legendbgcolor", "s", 1, ArgumentGuard::exactly(1));
    pending(Section::Legend, "legendfont", "sd", 2);
}
