#pragma once

// The tools of the graph's palette. The program tells tools apart by these
// values; a tool's title is what the palette buttons, the macros and the help
// pages name it by, and is resolved to a value once, where it comes in.

#include <QString>

#include <span>

enum class Tool {
    None, // no tool selected, or a title that names none
    Select,
    Range,
    Zoom,
    Upscale,
    Downscale,
    Measure,
    NormY,
    NormX,
    MoveY,
    MoveX,
    MoveXY,
    MovePoint,
    BgSub,
    Subview,
    ChSubview,
    Legend,
    Graphic,
    Text,
};

// One cell of the palette: the tool, its title, its one-letter key (lower
// case) and its tooltip.
struct ToolRow {
    Tool tool;
    const char* title;
    char key;
    const char* toolTip;
};

// The eighteen tools in palette order.
std::span<const ToolRow> toolRows();

// The row of the tool of that title, compared without regard to case; null
// for a title that names no tool.
const ToolRow* toolRowNamed(const QString& title);
// The tool of that title, compared without regard to case; Tool::None for a
// title that names no tool.
Tool toolNamed(const QString& title);
// The tool's title; empty for Tool::None.
QString toolTitle(Tool tool);
