#include "model/ManagerServices.h"

#include "model/VexaDocument.h"

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

void ManagerServices::setCurrentText(TextBoxItem* text)
{
    T = nullptr;
    if (text && PD) {
        T = text;
        G = nullptr;
        update();
        PD->replot();
    }
}

void ManagerServices::setCurrentGraphic(GraphicItem* graphic)
{
    G = nullptr;
    if (graphic && PD) {
        G = graphic;
        T = nullptr;
        update();
        PD->replot();
    }
}

void ManagerServices::setCurrentDoc(VexaDocument* document, VexaDocument* main)
{
    T = nullptr;
    G = nullptr;
    if (document && main) {
        PD = document;
        MPD = main;
        CPD = document;
        update();
    } else {
        PD = MPD = CPD = nullptr;
    }
}
