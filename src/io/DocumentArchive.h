#pragma once

// The document file: every setting of a VexaDocument, its buffers, text boxes,
// graphics and sub-view documents as one keyed archive whose keys stand at the
// top level (no root object). The same reader merges one section of another
// document file into an open document.
//
// Reading is all or nothing: the archive is decoded into fresh objects and the
// document takes them over only when everything decoded. A file that is no
// document, or a damaged one, is refused as a failed outcome titled
// fileOpenError() and leaves the document exactly as it was. Nothing here
// shows an alert: the caller decides what the user sees.

#include "platform/Outcome.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class KeyedArchiver;
class KeyedUnarchiver;
class VexaDocument;
class VexaView;

namespace DocumentArchive {

// The version written into every file ("verno"); readers upgrade older files
// by it.
inline constexpr int version = 31;

// The file type of a whole document.
QString documentType(); // "VexaDocument"

// The titles of a refused file and of a failed save.
QString fileOpenError(); // "File Open Error"
QString fileSaveError(); // "File Save Error"

// The sections another document file can be loaded from.
enum PartialLoadSection : int {
    SectionLayout = 0,
    SectionData = 1,
    SectionRange = 2,
    SectionColors = 3,
    SectionFonts = 4,
    SectionFit = 5,
    SectionTG = 6,
};
// "Layout", "Data", "Range", "Colors", "Fonts", "Fit", "TG"; empty for any
// other number.
QString sectionTypeName(PartialLoadSection section);

// What a load takes in from a document file: the whole document, or some of
// its sections. "Fit" has no keys of its own: its load reads the version and
// the sub-views alone, as every load does.
struct LoadSections {
    bool whole = false; // every section, and the window's place and size
    bool layout = false; // page, legend and axes, their fonts and colours included
    bool data = false; // the buffers
    bool range = false; // the ranges of both axis pairs
    bool colors = false;
    bool fonts = false;
    bool fit = false;
    bool textsAndGraphics = false;

    static LoadSections wholeDocument();
    // The one section; nothing for a number that names none.
    static LoadSections only(PartialLoadSection section);
    // The sections of a file type: the whole document for documentType(), a
    // section for its name, nothing for any other type.
    static LoadSections ofType(const QString& type);
};

// Where the document's window stands: the origin of its frame and the size of
// its content view. Stored truncated to integers; a document without a window
// stores zeros.
struct WindowFrame {
    double x = 0;
    double y = 0;
    double contentWidth = 0;
    double contentHeight = 0;
};

// The views that reading makes for sub-view documents. A sub-view document
// points at its view (PV) and the view at its document, so whoever holds the
// main document keeps these for as long as its sub-views live.
using SubviewViews = std::vector<std::unique_ptr<VexaView>>;

// --- writing ------------------------------------------------------------------

// The document's own keys, in file order; no sub-view keys.
void saveToCoder(const VexaDocument& document, KeyedArchiver& coder, const WindowFrame* window = nullptr);
// The same keys: how a sub-view document is stored inside its main document's
// file.
void encodeWithCoder(const VexaDocument& document, KeyedArchiver& coder, const WindowFrame* window = nullptr);

// The bytes of the whole file for the type "VexaDocument": the document's keys
// and, for a main document, its sub-views (the frame of each comes from the
// sub-view's VexaView; a sub-view without a view or with an empty frame is
// left out, its number skipped). Nothing for any other type, or when
// something could not be stored faithfully (error says what).
std::optional<QByteArray> dataRepresentationOfType(const VexaDocument& document, const QString& type,
                                                   const WindowFrame* window = nullptr,
                                                   QString* error = nullptr);

// Saves the whole document to path. The file is replaced only once the new
// one is completely written, so a failed save leaves an older file as it was.
// Failed, titled fileSaveError(), with the reason, when it could not be
// saved. Shows nothing.
Outcome writeToFile(const VexaDocument& document, const QString& path, const WindowFrame* window = nullptr);

// --- reading ------------------------------------------------------------------

// Reads the keys of the archive that the sections let in, upgrading older
// versions. Keys the archive lacks keep or default the fields. True when the
// archive decoded; on false the document is unchanged. Sub-view keys are not
// read here.
bool loadFromCoder(VexaDocument& document, KeyedUnarchiver& coder, const LoadSections& sections);

// A sub-view document from a record nested in a main document's file: the
// main document's controller and defaults, then the whole record. Nothing
// when the record is damaged. The caller links it into its main document.
std::unique_ptr<VexaDocument> initWithCoder(KeyedUnarchiver& coder, const VexaDocument& main);

// Loads the bytes of a file into the document: the whole document for the
// type "VexaDocument", one section for a section's type name (any other type
// reads nothing but "verno" and the sub-views). A main document appends the
// file's sub-view documents, whatever the type, and their new views go to
// views. Refused (Failed, titled fileOpenError(), nothing changed) when the
// bytes are no Vexa document or are damaged. Items of the file that could
// not be taken are left out: the document opens, and the outcome is done
// with a notice titled ItemArchive::skippedTitle() that lists them.
Outcome loadDataRepresentation(VexaDocument& document, const QByteArray& data, const QString& type,
                               SubviewViews& views);

// Opens the document file at path into the document (see loadDataRepresentation).
Outcome readFromFile(VexaDocument& document, const QString& path, SubviewViews& views);

// Merges one section of the document file at path into the document; an
// unknown section number does nothing (Empty). Redraws nothing: the merged
// settings show at the next replot.
Outcome loadPartialFile(VexaDocument& document, PartialLoadSection section, const QString& path,
                        SubviewViews& views);

} // namespace DocumentArchive
