#include "model/AxisSettings.h"

void AxisSettings::resetLayout(int index, const QFont& num, const QFont& title)
{
    AxisSettings fresh;
    fresh.axismode = axismode;
    fresh.scalstart = scalstart;
    fresh.scalend = scalend;
    fresh.scalspace = scalspace;
    fresh.scalminticks = scalminticks;
    fresh.trigger = trigger;
    fresh.axistimeformat = axistimeformat;
    fresh.scaleexpr = scaleexpr;
    fresh.alabel = alabel;
    fresh.axistext = axistext;
    fresh.axistextcolor = axistextcolor;
    fresh.tickcolor = tickcolor;
    fresh.mtickcolor = mtickcolor;
    fresh.gridcolor = gridcolor;
    fresh.mgridcolor = mgridcolor;
    fresh.zerocolor = zerocolor;

    fresh.axis = index == AxisX1 || index == AxisY1 ? 1 : 0;
    fresh.align = defaultAlign(index);
    fresh.numfont = num;
    fresh.textfont = title;
    *this = std::move(fresh);
}
