#pragma once

// The command-line options of a launch, read from the argument domain
// of the user-defaults store.

#include <QString>

struct LaunchOptions {
    QString macroFile; // -m: the macro run on the start document
    QString importFile; // -i: the file imported into it
    QString fileName; // -f: the variable "file" the macro reads
    bool hidden = false; // -h yes: no window is shown
    bool quit = false; // -q yes: the program ends once the launch is done
};
