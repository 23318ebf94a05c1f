// The controller's side of opened list files.

#include "app/Manager.h"

bool Manager::mergeMacroList(const QByteArray& data, QString* why)
{
    // The stored macros arrive with the macro list; until then a macro-list
    // file is refused rather than pretended to be merged.
    if (why)
        *why = QStringLiteral("Macro lists cannot be opened yet.");
    return false;
}
