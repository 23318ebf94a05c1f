#pragma once

// The words of the reference pages: what each macro command and each
// function of the expression language does. The forms, their arguments and
// the list of names come from the program's own tables (HelpReference);
// these texts only describe them.

#include <QString>
#include <QStringList>

struct HelpCommandText {
    const char* name;
    const char* signature; // the form it speaks of; empty: every form of the name
    const char* arguments; // names of the arguments, blank-separated
    const char* text;
};

struct HelpFunctionText {
    const char* name;
    const char* usage;
    const char* text;
};

namespace HelpTexts {

// The text of the command form of that name and signature (the form's own
// row, else the name's general row); null for a name no row describes.
const HelpCommandText* command(const QString& name, const QString& signature);
// Every described command name, for the check that none is described that
// the program does not have.
QStringList commandNames();

const HelpFunctionText* function(const QString& name);
QStringList functionNames();

} // namespace HelpTexts
