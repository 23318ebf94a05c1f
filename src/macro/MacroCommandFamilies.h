#pragma once

// One registration function per command family, each in its own source
// file. MacroCommandTable::instance() calls them all; a family adds its forms
// to the sections it owns, in its own dispatch order.

class MacroCommandTable;

// if, else, endif, loop, bufferloop, dataloop, endloop, timer, stoptimer,
// perltimeout (CommandsControl.cpp)
void registerControlCommands(MacroCommandTable& table);
// scaling, buffers, data points, interaction and miscellany (CommandsMisc.cpp)
void registerMiscCommands(MacroCommandTable& table);
// data operations (CommandsDataOperations.cpp)
void registerDataOperationCommands(MacroCommandTable& table);
// page and legend (CommandsPageLegend.cpp)
void registerPageLegendCommands(MacroCommandTable& table);
// buffer style (CommandsBufferStyle.cpp)
void registerBufferStyleCommands(MacroCommandTable& table);
// axes (CommandsAxes.cpp)
void registerAxisCommands(MacroCommandTable& table);
// texts and graphics (CommandsTexts.cpp)
void registerTextCommands(MacroCommandTable& table);
// files, imports and sub-views (CommandsFiles.cpp)
void registerFileCommands(MacroCommandTable& table);
