#include "model/ManagerServices.h"

#include "model/VexaDocument.h"

ManagerServices& ManagerServices::idle()
{
    static ManagerServices none;
    return none;
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
