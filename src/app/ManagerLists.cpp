// The controller's side of opened list files.

#include "app/MacroEditor.h"
#include "app/Manager.h"

bool Manager::mergeMacroList(const QByteArray& data, QString* why)
{
    return macroEditor->merge(data, why);
}
