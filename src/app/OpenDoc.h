#pragma once

// Opening a list file (a query list ".myvexa" or a macro list ".mavexa"),
// from the command line, the file manager or File > Open: its items are
// merged into the application's list (an item named like a loaded one is
// replaced, the loaded ones are appended), the list is stored, and no
// window stays tied to the file.

#include "platform/Outcome.h"

#include <QByteArray>
#include <QString>

class Manager;

class OpenDoc {
public:
    explicit OpenDoc(Manager& manager)
            : manager_(manager)
    {
    }

    // "VexaMySQL" for a ".myvexa" path, "VexaMacro" for ".mavexa" (suffixes
    // in any case), empty for any other.
    static QString typeForPath(const QString& path);
    static bool isListFile(const QString& path) { return !typeForPath(path).isEmpty(); }

    // Merges the list of the bytes into the list the type names ("VexaMacro"
    // or "VexaMySQL", compared without regard to case). False for another
    // type, and for bytes that are no such list (with the reason); the
    // application's lists are then as they were. Shows nothing.
    Outcome loadDataRepresentation(const QByteArray& data, const QString& type);

    // Reads and merges the list file at path, of the type its suffix tells
    // or of the type given. A failure is shown as the "File Open Error"
    // alert; true when the list was merged.
    bool readFromFile(const QString& path);
    bool readFromFile(const QString& path, const QString& type);

    static QString queryListType(); // "VexaMySQL"
    static QString macroListType(); // "VexaMacro"

    // The file the list came from; cleared once it is merged, so that nothing
    // stays tied to the file.
    QString fileName() const { return fileName_; }

    // The entry point for file arguments and File > Open: readFromFile on a
    // fresh list document.
    static bool open(Manager& manager, const QString& path);

private:
    Manager& manager_;
    QString fileName_;
};
