// Buffer style: drawing switches, colours, lines, symbols, sticks, error
// bars, legend membership, free ranges and bar anchors of a buffer set.

#include "macro/MacroCommandFamilies.h"
#include "macro/MacroCommandTable.h"

namespace {
using Section = MacroCommandTable::Section;
} // namespace

void registerBufferStyleCommands(MacroCommandTable& t)
{
    auto pending = [&t](Section s, const char* name, const char* signature, int minimum,
                        ArgumentGuard guard = ArgumentGuard::always()) {
        t.addPending(s, QLatin1String(name), QLatin1String(signature), minimum, guard);
    };

    pending(Section::BufferStyle, "bstyle", "iiiiiiiiiib", 11);
    pending(Section::BufferStyle, "bstyleclear", "b", 1);
    pending(Section::BufferStyle, "bstylelines", "ib", 2);
    pending(Section::BufferStyle, "bstylesymbols", "ib", 2);
    pending(Section::BufferStyle, "bstylefill", "ib", 2);
    pending(Section::BufferStyle, "bstyleybars", "ib", 2);
    pending(Section::BufferStyle, "bstylexbars", "ib", 2);
    pending(Section::BufferStyle, "bstyleysticks", "ib", 2);
    pending(Section::BufferStyle, "bstylexsticks", "ib", 2);
    pending(Section::BufferStyle, "bstyledots", "ib", 2);
    pending(Section::BufferStyle, "bstylehist", "ib", 2);
    pending(Section::BufferStyle, "bstylefhist", "ib", 2);
    pending(Section::BufferStyle, "bcolor", "dddbd", 4, ArgumentGuard::atLeast(4));
    pending(Section::BufferStyle, "bcolor", "sb", 2, ArgumentGuard::exactly(2));
    pending(Section::BufferStyle, "bfillcolor", "dddbd", 4, ArgumentGuard::atLeast(4));
    pending(Section::BufferStyle, "bfillcolor", "sb", 2, ArgumentGuard::exactly(2));
    pending(Section::BufferStyle, "bframecolor", "dddbd", 4, ArgumentGuard::atLeast(4));
    pending(Section::BufferStyle, "bframecolor", "sb", 2, ArgumentGuard::exactly(2));
    pending(Section::BufferStyle, "bstickcolor", "dddbd", 4, ArgumentGuard::atLeast(4));
    pending(Section::BufferStyle, "bstickcolor", "sb", 2, ArgumentGuard::exactly(2));
    pending(Section::BufferStyle, "blinewidth", "db", 2);
    pending(Section::BufferStyle, "blinepattern", "ib", 2);
    pending(Section::BufferStyle, "bpatternwidth", "db", 2);
    pending(Section::BufferStyle, "bsymbol", "ib", 2);
    pending(Section::BufferStyle, "bsymbolsize", "db", 2);
    pending(Section::BufferStyle, "bsymbolfill", "ib", 1);
    pending(Section::BufferStyle, "bsticksize", "db", 2);
    pending(Section::BufferStyle, "bsticksabs", "ib", 1);
    pending(Section::BufferStyle, "bdynsize", "bs", 1);
    pending(Section::BufferStyle, "bxerrorval", "db", 2);
    pending(Section::BufferStyle, "bxerror", "ib", 2);
    pending(Section::BufferStyle, "byerrorval", "db", 2);
    pending(Section::BufferStyle, "byerror", "ib", 2);
    pending(Section::BufferStyle, "berrorlinewidth", "db", 2);
    pending(Section::BufferStyle, "berrorcolor", "dddbd", 4, ArgumentGuard::atLeast(4));
    pending(Section::BufferStyle, "berrorcolor", "sb", 2, ArgumentGuard::exactly(2));
    pending(Section::BufferStyle, "blegend", "ib", 2);
    pending(Section::BufferStyle, "bfreex", "ib", 2);
    pending(Section::BufferStyle, "bfreey", "ib", 2);
    pending(Section::BufferStyle, "bfreexrange", "ddb", 3);
    pending(Section::BufferStyle, "bfreeyrange", "ddb", 3);
    pending(Section::BufferStyle, "barytop", "ib", 2);
    pending(Section::BufferStyle, "barybottom", "ib", 2);
    pending(Section::BufferStyle, "barxleft", "ib", 2);
    pending(Section::BufferStyle, "barxright", "ib", 2);
}
