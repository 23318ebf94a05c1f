#include "macro/MacroHost.h"

namespace {
MacroHost* g_shared = nullptr;
}

MacroHost* MacroHost::shared()
{
    return g_shared;
}

void MacroHost::setShared(MacroHost* host)
{
    g_shared = host;
}
