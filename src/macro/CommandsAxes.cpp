// Axes: visibility, scale texts, number format, fonts, titles, ticks, grids,
// zero line and label replacements of an axis set.

#include "macro/MacroCommandFamilies.h"
#include "macro/MacroCommandTable.h"

namespace {
using Section = MacroCommandTable::Section;
} // namespace

void registerAxisCommands(MacroCommandTable& t)
{
    auto pending = [&t](Section s, const char* name, const char* signature, int minimum,
                        ArgumentGuard guard = ArgumentGuard::always()) {
        t.addPending(s, QLatin1String(name), QLatin1String(signature), minimum, guard);
    };

    pending(Section::Axes, "setaxis", "iiii", 4);
    pending(Section::Axes, "ascalstart", "ad", 1);
    pending(Section::Axes, "ascalend", "ad", 1);
    pending(Section::Axes, "asetreverse", "ai", 2);
    pending(Section::Axes, "atickdist", "as", 1);
    pending(Section::Axes, "aminsteps", "ai", 1);
    pending(Section::Axes, "atimeformat", "as", 1);
    pending(Section::Axes, "atrigger", "as", 1);
    pending(Section::Axes, "ascalexpr", "as", 1);
    pending(Section::Axes, "aexpoffset", "ai", 2);
    pending(Section::Axes, "adecplaces", "ai", 2);
    pending(Section::Axes, "adecplacesauto", "ai", 2);
    pending(Section::Axes, "aformat", "ai", 2);
    pending(Section::Axes, "asetsmalllogzero", "ai", 2);
    pending(Section::Axes, "atext", "as", 2);
    pending(Section::Axes, "anumfont", "asd", 3);
    pending(Section::Axes, "anumoffset", "ad", 2);
    pending(Section::Axes, "anumalign", "ai", 2);
    pending(Section::Axes, "anumangle", "ad", 2);
    pending(Section::Axes, "atextfont", "asd", 3);
    pending(Section::Axes, "atextoffset", "ad", 2);
    pending(Section::Axes, "atextoffsetwindow", "ai", 2);
    pending(Section::Axes, "asetnum", "ai", 2);
    pending(Section::Axes, "asettext", "ai", 2);
    pending(Section::Axes, "asetfliptext", "ai", 2);
    pending(Section::Axes, "atextcolor", "adddd", 4, ArgumentGuard::atLeast(4));
    pending(Section::Axes, "atextcolor", "as", 2, ArgumentGuard::exactly(2));
    pending(Section::Axes, "asetzeroline", "ai", 2);
    pending(Section::Axes, "azerolinecolor", "adddd", 4, ArgumentGuard::atLeast(4));
    pending(Section::Axes, "azerolinecolor", "as", 2, ArgumentGuard::exactly(2));
    pending(Section::Axes, "aticklength", "ad", 2);
    pending(Section::Axes, "aminticklength", "ad", 2);
    pending(Section::Axes, "atickwidth", "ad", 2);
    pending(Section::Axes, "amintickwidth", "ad", 2);
    pending(Section::Axes, "asetticks", "ai", 2);
    pending(Section::Axes, "asetminticks", "ai", 2);
    pending(Section::Axes, "asetticksbothsides", "ai", 2);
    pending(Section::Axes, "asetminticksbothsides", "ai", 2);
    pending(Section::Axes, "atickcolor", "adddd", 4, ArgumentGuard::atLeast(4));
    pending(Section::Axes, "atickcolor", "as", 2, ArgumentGuard::exactly(2));
    pending(Section::Axes, "amintickcolor", "adddd", 4, ArgumentGuard::atLeast(4));
    pending(Section::Axes, "amintickcolor", "as", 2, ArgumentGuard::exactly(2));
    pending(Section::Axes, "atickstyle", "ai", 2);
    pending(Section::Axes, "asetgrid", "ai", 2);
    pending(Section::Axes, "asetmingrid", "ai", 2);
    pending(Section::Axes, "agridcolor", "adddd", 4, ArgumentGuard::atLeast(4));
    pending(Section::Axes, "agridcolor", "as", 2, ArgumentGuard::exactly(2));
    pending(Section::Axes, "amingridcolor", "adddd", 4, ArgumentGuard::atLeast(4));
    pending(Section::Axes, "amingridcolor", "as", 2, ArgumentGuard::exactly(2));
    pending(Section::Axes, "agridwidth", "ad", 2);
    pending(Section::Axes, "amingridwidth", "ad", 2);
    pending(Section::Axes, "agridpattern", "ai", 2);
    pending(Section::Axes, "amingridpattern", "ai", 2);
    pending(Section::Axes, "agridfront", "ai", 2);
    pending(Section::Axes, "amingridfront", "ai", 2);
    pending(Section::Axes, "alabel", "ass", 3);
    pending(Section::Axes, "aclearlabels", "a", 1);
}
