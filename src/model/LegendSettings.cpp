#include "model/LegendSettings.h"

void LegendSettings::resetLayout(const QFont& font)
{
    LegendSettings fresh;
    fresh.legendcolor = legendcolor;
    fresh.legendbgcolor = legendbgcolor;
    fresh.legendfont = font;
    *this = fresh;
}
