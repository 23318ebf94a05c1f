#include "model/ManagerServices.h"

namespace {
ManagerServices* g_shared = nullptr;
}

ManagerServices* ManagerServices::shared()
{
    return g_shared;
}

void ManagerServices::setShared(ManagerServices* manager)
{
    g_shared = manager;
}

ManagerServices& ManagerServices::sharedOrIdle()
{
    static ManagerServices idle;
    return g_shared ? *g_shared : idle;
}
