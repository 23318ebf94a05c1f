#pragma once

// The two reference pages of the help, made from the tables the program
// itself runs on: every command form of the macro language (the command
// table, in the order the interpreter tries them) and every keyword of the
// expression language (the scanner's keyword table). A command or function
// added to the program appears here without anyone writing it down.

#include <QString>

namespace HelpReference {

QString commandsPage();
QString functionsPage();

// The page made for a help file name ("commands.html", "functions.html");
// empty for every other name.
QString page(const QString& fileName);

} // namespace HelpReference
