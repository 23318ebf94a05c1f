// Texts and graphics: text boxes (each text word runs a measuring form and a
// creating form), rectangles, ovals, arrows and lines, their removal, and the
// default text font and colour.

#include "macro/MacroCommandFamilies.h"
#include "macro/MacroCommandTable.h"

namespace {
using Section = MacroCommandTable::Section;
} // namespace

void registerTextCommands(MacroCommandTable& t)
{
    auto pending = [&t](Section s, const char* name, const char* signature, int minimum,
                        ArgumentGuard guard = ArgumentGuard::always()) {
        t.addPending(s, QLatin1String(name), QLatin1String(signature), minimum, guard);
    };

    pending(Section::TextsAndGraphics, "text", "iddsdsddddiidddd", 6);
    pending(Section::TextsAndGraphics, "text", "iddsdsddddiidddd", 6);
    pending(Section::TextsAndGraphics, "ftext", "iuddsdsddddiiddd", 7);
    pending(Section::TextsAndGraphics, "ftext", "iuddsdsddddiiddd", 7);
    pending(Section::TextsAndGraphics, "qtext", "uddsdiis", 4);
    pending(Section::TextsAndGraphics, "qtext", "uddsdiiu", 4);
    pending(Section::TextsAndGraphics, "rect", "iudddddiu", 6, ArgumentGuard::exactly(9));
    pending(Section::TextsAndGraphics, "rect", "iudddddiddd", 6, ArgumentGuard::noneOf({9}));
    pending(Section::TextsAndGraphics, "frect", "iudddddidddddd", 6, ArgumentGuard::noneOf({9, 10}));
    pending(Section::TextsAndGraphics, "frect", "iudddddiss", 6, ArgumentGuard::oneOf({9, 10}));
    pending(Section::TextsAndGraphics, "circle", "iudddddiddd", 6, ArgumentGuard::noneOf({9}));
    pending(Section::TextsAndGraphics, "circle", "iudddddis", 6, ArgumentGuard::exactly(9));
    pending(Section::TextsAndGraphics, "fcircle", "iudddddidddddd", 6, ArgumentGuard::noneOf({9, 10}));
    pending(Section::TextsAndGraphics, "fcircle", "iudddddiss", 6, ArgumentGuard::oneOf({9, 10}));
    pending(Section::TextsAndGraphics, "arrow", "iuddddiiiddis", 10, ArgumentGuard::exactly(13));
    pending(Section::TextsAndGraphics, "arrow", "iuddddiiiddiddd", 10, ArgumentGuard::noneOf({13}));
    pending(Section::TextsAndGraphics, "line", "iudddddiddd", 6, ArgumentGuard::noneOf({9}));
    pending(Section::TextsAndGraphics, "line", "iudddddis", 6, ArgumentGuard::exactly(9));
    pending(Section::TextsAndGraphics, "rmtext", "i", 0);
    pending(Section::TextsAndGraphics, "rmgraphic", "i", 0);
    pending(Section::TextsAndGraphics, "defaultfont", "sd", 2);
    pending(Section::TextsAndGraphics, "defaultcolor", "ddd", 3, ArgumentGuard::exactly(3));
    pending(Section::TextsAndGraphics, "defaultcolor", "s", 1, ArgumentGuard::exactly(1));
}
