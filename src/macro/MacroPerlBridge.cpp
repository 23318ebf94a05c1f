#include "macro/Macro.h"

// The perl bridge is not part of the program yet; its entry points say so.
void Macro::perlImport()
{
    macroError(QStringLiteral("Perl import macros are not yet implemented\n"));
}

void Macro::perlFilter()
{
    macroError(QStringLiteral("Perl filter macros are not yet implemented\n"));
}
