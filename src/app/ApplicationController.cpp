#include "app/ApplicationController.h"

namespace {

struct ToolRow {
    const char* name;
    char key;
    const char* toolTip;
};

// The palette in order, with each tool's key and tooltip. "upscale" widens
// the ranges and "downscale" narrows them, so their tips say zoom out and
// zoom in.
// clang-format off
const ToolRow toolRows[] = {
    {"select",    's', "Select Tool (s)"},
    {"range",     'r', "Range Tool, Pane and resize the plot (r)"},
    {"zoom",      'z', "Zoom to the selected rectangle (z)"},
    {"upscale",   'u', "Zoom out selected point (u)"},
    {"downscale", 'd', "Zoom in selected point (d)"},
    {"measure",   'm', "Measure points and the distance between two points (m)"},
    {"normy",     'b', "Select Y reference values (b)"},
    {"normx",     'n', "Select X reference values (n)"},
    {"movey",     'y', "Move selected buffers in Y direction (y)"},
    {"movex",     'x', "Move selected buffers in X direction (x)"},
    {"movexy",    'q', "Move selected buffers (q)"},
    {"movepoint", 'p', "Move single data points (p)"},
    {"bgsub",     'w', "Define background for linear background substraction (w)"},
    {"subview",   'h', "Create a new subview (h)"},
    {"chsubview", 'j', "Move and resize a subview (j)"},
    {"legend",    'l', "Move legend (l)"},
    {"graphic",   'g', "Graphic object tool (g)"},
    {"text",      't', "Text object tool (t)"},
};
// clang-format on

const ToolRow* toolRow(const QString& title)
{
    for (const ToolRow& row : toolRows)
        if (title.compare(QLatin1String(row.name), Qt::CaseInsensitive) == 0)
            return &row;
    return nullptr;
}

} // namespace

const QStringList& ApplicationController::mouseModeNames()
{
    static const QStringList names = [] {
        QStringList list;
        for (const ToolRow& row : toolRows)
            list << QLatin1String(row.name);
        return list;
    }();
    return names;
}

QString ApplicationController::mouseModeToolTip(const QString& title)
{
    const ToolRow* row = toolRow(title);
    return row ? QLatin1String(row->toolTip) : QString();
}

QChar ApplicationController::mouseModeKey(const QString& title)
{
    const ToolRow* row = toolRow(title);
    return row ? QChar::fromLatin1(row->key) : QChar();
}

QString ApplicationController::mouseModeForKey(int character)
{
    for (const ToolRow& row : toolRows)
        if (character == row.key)
            return QLatin1String(row.name);
    return QString();
}
