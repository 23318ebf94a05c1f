#pragma once

// What the program was started with: "-key value" options (read through
// the argument domain of the user-defaults store), files to open, and the
// two requests answered without starting at all, --help and --version.
//
//   vexa [-m macro] [-i file] [-f text] [-h yes] [-q yes] [--example] [file ...]
//
// Anything not starting with "-" is a file, and so is everything after
// "--"; files are made absolute against the working directory, so that a
// running instance they are handed to finds them.

#include <QString>
#include <QStringList>

struct CommandLine {
    QStringList options; // the "-key value" pairs, in order
    QStringList files; // absolute paths
    bool help = false;
    bool version = false;
    bool example = false; // --example: open the example graph
    QString error; // what was wrong with the arguments; empty when nothing

    static CommandLine parse(const QStringList& arguments, const QString& workingDirectory);
    // The text of --help.
    static QString usage();
};
