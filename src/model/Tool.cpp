#include "model/Tool.h"

namespace {

// "upscale" widens the ranges and "downscale" narrows them, so their tips say
// zoom out and zoom in.
// clang-format off
const ToolRow rows[] = {
    {Tool::Select,    "select",    's', "Select Tool (s)"},
    {Tool::Range,     "range",     'r', "Range Tool, Pane and resize the plot (r)"},
    {Tool::Zoom,      "zoom",      'z', "Zoom to the selected rectangle (z)"},
    {Tool::Upscale,   "upscale",   'u', "Zoom out selected point (u)"},
    {Tool::Downscale, "downscale", 'd', "Zoom in selected point (d)"},
    {Tool::Measure,   "measure",   'm', "Measure points and the distance between two points (m)"},
    {Tool::NormY,     "normy",     'b', "Select Y reference values (b)"},
    {Tool::NormX,     "normx",     'n', "Select X reference values (n)"},
    {Tool::MoveY,     "movey",     'y', "Move selected buffers in Y direction (y)"},
    {Tool::MoveX,     "movex",     'x', "Move selected buffers in X direction (x)"},
    {Tool::MoveXY,    "movexy",    'q', "Move selected buffers (q)"},
    {Tool::MovePoint, "movepoint", 'p', "Move single data points (p)"},
    {Tool::BgSub,     "bgsub",     'w', "Define background for linear background substraction (w)"},
    {Tool::Subview,   "subview",   'h', "Create a new subview (h)"},
    {Tool::ChSubview, "chsubview", 'j', "Move and resize a subview (j)"},
    {Tool::Legend,    "legend",    'l', "Move legend (l)"},
    {Tool::Graphic,   "graphic",   'g', "Graphic object tool (g)"},
    {Tool::Text,      "text",      't', "Text object tool (t)"},
};
// clang-format on

} // namespace

std::span<const ToolRow> toolRows()
{
    return rows;
}

const ToolRow* toolRowNamed(const QString& title)
{
    for (const ToolRow& row : rows)
        if (title.compare(QLatin1String(row.title), Qt::CaseInsensitive) == 0)
            return &row;
    return nullptr;
}

Tool toolNamed(const QString& title)
{
    const ToolRow* row = toolRowNamed(title);
    return row ? row->tool : Tool::None;
}

QString toolTitle(Tool tool)
{
    for (const ToolRow& row : rows)
        if (row.tool == tool)
            return QLatin1String(row.title);
    return QString();
}
