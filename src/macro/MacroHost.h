#pragma once

// What a macro asks of the application around it: the variable stores, the
// macro console, the document factory, the input and file panels, the perl
// wait flag and the macro editor's controls. The application controller
// implements it; tests give a scripted one. A macro is given its host when a
// run starts.
//
// Alerts and the beep need no host: they go through the platform's Alert,
// which the application routes to message boxes and tests script.

#include "macro/PerlJobState.h"
#include "platform/Outcome.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSizeF>
#include <QString>

#include <optional>
#include <vector>

class Macro;
class ManagerServices;
class MySQLQuery;
class PerlJob;
class QRectF;
class VexaDocument;

class MacroHost {
public:
    // Ends the perl jobs that would report to this host.
    virtual ~MacroHost();

    // --- state ------------------------------------------------------------
    // The controller's shared state: current and main document (PD, MPD),
    // numeric variables GV and setVar, warnings, update(),
    // selectedBufferRows().
    virtual ManagerServices& services() = 0;
    // The string variables; the controller keeps "document", "input" and
    // "file" there, a macro "date", "time", "home" and "user".
    virtual QHash<QString, QString>& stringVariables() = 0;
    // The wait flag GMAP: Running while a perl job that a macro command
    // started runs, Idle otherwise. The job sets it Idle as its last step; a
    // waiting macro does so when it gives up.
    virtual PerlJobState perlWaitFlag() const = 0;
    virtual void setPerlWaitFlag(PerlJobState value) = 0;

    // --- the macro console ----------------------------------------------------
    // True when the console is empty or its text ends with a line feed.
    virtual bool consoleAtLineStart() const = 0;
    // Appends text at the end of the console: errors in Macro::errorColor(),
    // messages in black.
    virtual void consoleAppend(const QString& text, bool error) = 0;
    virtual void consoleClear() = 0;
    // Writes a text of a run or a perl job: on a line of its own (a line
    // feed goes first when the console's last line is open), errors counted.
    // An empty text writes nothing.
    void consoleWrite(const QString& text, bool error);
    // Errors written through consoleWrite so far.
    int consoleErrorsWritten() const { return consoleErrorsWritten_; }

    // --- documents ----------------------------------------------------------------
    // Opens a new untitled document window, which becomes the current
    // document (services().PD) while it opens; returns it, or null when none
    // could be made.
    virtual VexaDocument* newDocument() = 0;
    // Opens the document file with its window; it becomes current. Null on
    // failure (the reason has been shown).
    virtual VexaDocument* openDocument(const QString& path) { return nullptr; }
    virtual void setCurrentDoc(VexaDocument* document, VexaDocument* main) { }
    // Closes the window without a question (a macro that quits).
    virtual void closeDocumentWindow(VexaDocument* document) { }
    // Closes the window as its close box does: an edited document is first
    // offered for saving when someone can answer, and the user may keep it
    // open.
    virtual void performClose(VexaDocument* document) { closeDocumentWindow(document); }

    // What a save or a print the host carried out came to: Done, Cancelled
    // (a question the user cancelled is no failure) or Failed with why.
    // Saves the document (a sub-view: its main document) to the file it is
    // tied to, or to `path`, which it is tied to from then on. The file is
    // replaced only once the new one is complete; a failure leaves it as it
    // was. By default the document file is written as it is, without its
    // window's place, and a document without a file fails.
    virtual Outcome saveDocument(VexaDocument* document);
    virtual Outcome saveDocumentAs(VexaDocument* document, const QString& path);
    // Prints the graph of the document's window; the print panel asks for
    // the printer when someone can answer. By default nothing can be printed.
    virtual Outcome printDocument(VexaDocument* document);
    // Content size of the window of the document's view, in points.
    virtual void setWindowContentSize(VexaDocument* document, const QSizeF& size) { }

    // --- sub-views ---------------------------------------------------------------------
    // A new empty sub-view document inside the main document, its view at
    // `frame` in the main view's points (y up), appended to the main
    // document's sub-views. Null when none can be made.
    virtual VexaDocument* addSubview(VexaDocument& main, const QRectF& frame) { return nullptr; }
    // Takes the sub-view out of its main document and destroys it with its
    // view, after everything that points at it has let go.
    virtual void removeSubview(VexaDocument& main, VexaDocument* subview) { }

    // --- Channel Access and MySQL -----------------------------------------------------------
    // The controller's reads with its settings. Each failure has been shown
    // as its alert and answers false; by default there is no server to ask.
    virtual void epicsTimeout(double seconds) { }
    virtual void epicsAddrList(const QString& list) { }
    virtual bool epicsMaxArray(const QString& bytes) { return false; }
    // Reads one value of the process variable into the numeric variable.
    virtual bool epicsSetVar(const QString& name, const QString& variable) { return false; }
    // The array(s) into a new buffer of the document (y empty: one variable).
    virtual bool importEPICS(VexaDocument& document, const QString& x, const QString& y) { return false; }
    // Appends the numeric result columns of the query as new buffers;
    // neither rescales nor redraws.
    virtual bool importMySQL(VexaDocument& document, const MySQLQuery& query) { return false; }

    // --- panels ----------------------------------------------------------------------
    // The modal input panel with its message; the answer lands in SV["input"]
    // (empty when the question was cancelled, which answers false). By
    // default the platform's Alert::input asks, opening with the last answer.
    virtual bool getInput(const QString& message);
    // The text of the input panel's answer field (read for the numeric
    // variable "input" before every evaluation): by default the last answer.
    virtual QString inputPanelValue();
    // A modal open panel for one file starting in the folder; the chosen
    // path, or nothing when cancelled.
    virtual std::optional<QString> openFilePanel(const QString& title, const QString& directory)
    {
        return std::nullopt;
    }
    // The folder the file chosen last in an open panel lies in, as it was
    // kept (a leading "~" unexpanded); empty when none was. By default none
    // is kept.
    virtual QString lastFolder() const { return QString(); }
    // Keeps the folder of the chosen file for the next open panel.
    virtual void rememberFolderOf(const QString& path) { }

    // --- preferences and application --------------------------------------------------
    // The date-and-time format preference in calendar-format directives
    // ("%Y-%m-%d %H:%M:%S").
    virtual QString TDF() const { return QStringLiteral("%Y-%m-%d %H:%M:%S"); }
    virtual void hideApplication() { }
    virtual void terminateApplication() { }

    // --- the buffer list, the macro editor and the perl bridge --------------------------------
    // Reloads the buffer list (before every command of a run).
    virtual void reloadBufferList() { }
    // Makes exactly these rows of the buffer list selected; rows without a
    // buffer are left out.
    virtual void setSelectedBufferRows(const std::vector<int>& rows) { }
    virtual void reloadMacroTable() { }
    // Title of the macro editor's Execute/Stop button.
    virtual void setExecuteButtonTitle(const QString& title) { }
    // The stored macros, in list order (for commands that run one by name).
    virtual std::vector<Macro*> storedMacros() { return {}; }
    // Shows or hides the macro editor's progress indicator: shown while a
    // perl job started from the editor, the menu or a shortcut runs.
    virtual void setPerlProgress(bool running) { }
    // Shows the macro selected in the editor again (its source, shortcut,
    // type and the Execute/Stop title).
    virtual void showSelectedMacro() { }

    // --- the perl job a macro waits for ------------------------------------------------------
    // The job a macro command started last (the controller's gtask). The
    // waiting macro ends it when its time-out runs out; the job clears the
    // wait flag when it ends while it is still this one.
    void setPerlTask(PerlJob* job);
    PerlJob* perlTask() const;
    // Ends that job, if it still runs.
    virtual void terminatePerlTask();

private:
    QPointer<QObject> gtask_;
    int consoleErrorsWritten_ = 0;
};
