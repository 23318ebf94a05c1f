#include "model/PageSettings.h"

void PageSettings::resetLayout()
{
    PageSettings fresh;
    fresh.framecolor = framecolor;
    fresh.backgroundcolor = backgroundcolor;
    fresh.margincolor = margincolor;
    fresh.forcerenderhigh = forcerenderhigh;
    fresh.alldraw = alldraw;
    *this = fresh;
}
