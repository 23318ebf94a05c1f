// The controller's side of opened list files.

#include "app/MacroEditor.h"
#include "app/Manager.h"

Outcome Manager::mergeMacroList(const QByteArray& data)
{
    return macroEditor->merge(data);
}
