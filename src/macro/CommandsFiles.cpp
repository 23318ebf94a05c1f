// Files, imports and sub-views: documents, picture and ASCII export, the ASCII,
// binary, MySQL, EPICS and perl imports, the perl filter, and sub-views.

#include "macro/MacroCommandFamilies.h"
#include "macro/MacroCommandTable.h"

namespace {
using Section = MacroCommandTable::Section;
} // namespace

void registerFileCommands(MacroCommandTable& t)
{
    auto pending = [&t](Section s, const char* name, const char* signature, int minimum,
                        ArgumentGuard guard = ArgumentGuard::always()) {
        t.addPending(s, QLatin1String(name), QLatin1String(signature), minimum, guard);
    };

    pending(Section::Files, "new", "", 0);
    pending(Section::Files, "close", "", 0);
    pending(Section::Files, "open", "s", 1);
    pending(Section::Files, "save", "", 0);
    pending(Section::Files, "saveas", "s", 1);
    pending(Section::Files, "savepng", "si", 1);
    pending(Section::Files, "savejpg", "si", 1);
    pending(Section::Files, "savepdf", "s", 1);
    pending(Section::Files, "saveeps", "s", 1);
    pending(Section::Files, "printdoc", "", 0);
    pending(Section::Files, "import", "sisiisss", 2);
    pending(Section::Files, "binaryimport", "siiiis", 5);
    pending(Section::Files, "mysqlimport", "ssssis", 6);
    pending(Section::Files, "perlimport", "ss", 1);
    pending(Section::Files, "perlfilter", "bs", 1);
    pending(Section::Files, "epicsimport", "ss", 1);
    pending(Section::Files, "epicstimeout", "d", 1);
    pending(Section::Files, "epicsmaxarray", "s", 1);
    pending(Section::Files, "epicsaddrlist", "s", 1);
    pending(Section::Files, "epicssetvar", "ss", 2);
    pending(Section::Files, "export", "sib", 3);

    pending(Section::Subviews, "subview", "dddd", 4);
    pending(Section::Subviews, "sizeview", "dddd", 4);
    pending(Section::Subviews, "changeview", "i", 1);
    pending(Section::Subviews, "deleteview", "u", 1);
}
