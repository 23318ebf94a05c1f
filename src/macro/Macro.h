#pragma once

// One stored automation script - name, source, Control-key shortcut and type
// - and the interpreter that runs it. A run of a type 0 macro has the
// tokeniser (perl with resources/perl/parsemacro.pl) split the source into
// commands, then executes them one by one on a document with if/else
// skipping, loops, a repeating timer, a wait for perl jobs that a command
// started, and the console of the host (MacroHost) for messages and errors.
// The first counted error ends the run after its command. Other failures (an
// import, export or read that failed, an operation refused with an alert,
// an error written while the run goes on) are reported where they happen and
// counted in `failures`; the run goes on after them.
//
// Fields are plain and public, as in the rest of the program: the command
// families (MacroCommandFamilies.h) read the argument slots and write the
// run state directly.

#include "macro/MacroLoopValues.h"
#include "macro/MacroTokeniser.h"
#include "macro/PerlJob.h"
#include "macro/PerlJobState.h"
#include "platform/KeyedArchiver.h"

#include "platform/Outcome.h"

#include <QColor>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class DataBuffer;
class DocumentView;
class Expression;
class KeyedUnarchiver;
class MacroHost;
class QTimer;
class VexaDocument;

enum MacroType : int { MacroTypeLanguage = 0, MacroTypePerlImport = 1, MacroTypePerlFilter = 2 };

class Macro : public ArchivableObject {
public:
    static constexpr int SlotCount = 16;
    using Flag = std::uint8_t;

    Macro();
    Macro(const QString& name, const QString& source, int shortcut, int type);
    ~Macro() override;
    Macro(const Macro&) = delete;
    Macro& operator=(const Macro&) = delete;

    // --- the stored macro -----------------------------------------------------
    QString name;
    QString src;
    QString inlineperl; // the inline perl file of the current run; empty when none
    int shortcut = 0; // character code, 0 = none
    int colormode = 0; // 0: colour numbers are red, green, blue; else hue, saturation, brightness
    int type = MacroTypeLanguage;

    int macrotype() const { return type; }
    // Replaces the source with the file's text read as ISO Latin-1; failed
    // (source unchanged, with the reason) when the file cannot be read, is
    // no regular file or is larger than maxSourceBytes.
    Outcome loadFromFile(const QString& path);
    static constexpr qint64 maxSourceBytes = qint64(16) << 20;

    // Archive keys "name", "src", "shortcut", "type"; everything else is
    // rebuilt as on creation.
    QString className() const override { return QStringLiteral("Macro"); }
    void encodeWithCoder(KeyedArchiver& coder) const override;
    static std::unique_ptr<Macro> initWithCoder(KeyedUnarchiver& coder);
    // Lets the unarchiver make Macro objects (the stored list, list files).
    static void registerArchiveClass(KeyedUnarchiver& coder);

    // --- the run --------------------------------------------------------------------
    MacroCommandList CMD; // the commands of the current run
    MacroHost* M = nullptr;
    VexaDocument* PD = nullptr;
    DocumentView* PV = nullptr;
    DataBuffer* DB = nullptr; // the buffer a command last worked on
    Flag OK = 0; // the current command's name matched a form
    int ERR = 0; // errors counted in this run; the first ends it
    int failures = 0; // commands of this run that failed (ERR's included)
    Flag CANCEL = 0;
    Flag QUITTING = 0; // quitapp ran: the run ends with the application
    Flag LOOPNEXT = 0;
    MacroLoopValues LOOP; // the loop values still to come
    int LOOPSTART = 0;
    double LOOPVAL = 0; // the variable "l"
    int LOOPMODE = 0; // 1 after loop, 3 after bufferloop or dataloop
    int LOOPBUFFER = 0;
    PerlJobState MAP = PerlJobState::Idle; // this macro's perl job
    Flag IFMODE = 0;
    Flag IFCOND = 0;
    double th = 0, tw = 0; // size of the text measured last
    double defr = 0, defg = 0, defb = 0;
    QString deffont = QStringLiteral("Helvetica");
    double deffontsize = 18.0;
    int timercount = 0;
    int timermaxcount = 0;
    double perltimeout = 10;

    // Runs for the host on its current document; by type, the perl bridge
    // or the macro language. The macro keeps working for that host (its
    // timer's runs, its perl jobs).
    void run(MacroHost& host);
    // The same on the given document (the "-m" launch option).
    void run(MacroHost& host, VexaDocument& document);
    // The run of a type 0 macro on PD for the host M (a new document when PD
    // is none or the first command is "new"); without a host, a beep. A run
    // whose document closes goes on: the commands that need none still run,
    // the others each end it with an error.
    void executeMacro();
    // Whether the last run ended before its last command (an error or a
    // cancelled question).
    bool stopped() const { return ERR > 0 || CANCEL == 1; }
    // The command interpreter: tries every form of the command table.
    void execute(const QStringList& tokens, int index);

    // --- the perl bridge (MacroPerlBridge.cpp) -----------------------------------
    // The user's start or stop of a macro of type 2 or 1: with no job of
    // this macro running, a filter of the buffers selected in the buffer
    // list, or an import of a file chosen in the "Perl Import" panel; while
    // one runs, that job is stopped (its result is dropped); while a stop is
    // pending, a beep.
    void perlFilter();
    void perlImport();
    // Starts a job for a running macro on the document (nothing without
    // one): the filter of the buffers at the indices (ascending, those the
    // document has), or the import of the file. The host's wait flag (GMAP)
    // is Running until the job has ended and its result is applied.
    void perlFilterFromMacro(MacroHost& host, const std::vector<int>& indices, VexaDocument* document);
    void perlImportFromMacro(MacroHost& host, const QString& path, VexaDocument* document);
    // Applies what a job brought back to the document: new buffers and
    // variables, the rescale and replot; a failed run, a damaged result or
    // a missing document is reported instead and changes nothing. The log
    // and perl's warnings follow as messages after a successful run.
    static void parsePerlResult(MacroHost& host, VexaDocument* document, const PerlJob::Outcome& outcome);
    QPointer<PerlJob> task; // the perl job of this macro, while it runs

    // --- the timer --------------------------------------------------------------------
    // Starts the repeating timer that re-runs the macro every `seconds`
    // (kept between 1 ms and 24 days); nothing when one runs.
    void startTimer(double seconds);
    bool timerRunning() const;
    void doTimer();
    void stopTimer();

    // --- console ---------------------------------------------------------------------------
    void macroError(const QString& text);
    void macroMsg(const QString& text);
    static QColor errorColor();

    // --- arguments -----------------------------------------------------------------------------
    std::array<double, SlotCount> D{};
    std::array<int, SlotCount> I{};
    std::array<Flag, SlotCount> O{};
    QStringList S; // converted text of s and u arguments, empty for others
    QStringList SS; // tokens as delivered
    QStringList A; // AxisSet of the last a argument
    QStringList B; // BufferSet of the last b argument
    MacroLoopValues R; // LoopRange of the last r argument, made as it is taken

    // Matches a command form and parses its arguments into the slots.
    bool chk(const QString& name, const QString& signature, int minimum, const QStringList& tokens);
    // Evaluates text into D[slot] and I[slot]; a failure counts an error.
    bool expr(const QString& text, int slot, bool report);
    // Evaluates text; 0 on failure, which counts no error.
    double exprval(const QString& text, bool report);
    // Refreshes the run variables in the numeric variables and hands them
    // to the expression.
    void setupexpr(Expression& e);
    QColor getColor(double c1, double c2, double c3) const;
    QColor getColor(double c1, double c2, double c3, double alpha) const;
    // The colour arguments of the commands, in their two forms: the word at
    // `slot` (a colour name, a palette number 0 to 15 or a hexadecimal code;
    // any other word is black), or the three numbers from `slot` on in the
    // colour mode, with the alpha at `alphaSlot` when that argument was
    // given. Numbers that are not all finite give no colour.
    QColor colorFromWord(int slot) const;
    std::optional<QColor> colorFromNumbers(int slot, int alphaSlot) const;
    // The members of the last a and b arguments: axis indices 0 to 3, and
    // indices of buffers the document has, in the order the argument gave.
    std::vector<int> axisIndices() const;
    std::vector<int> bufferIndices() const;
    // The s conversion: every "$name" of a string variable replaced by its
    // value (the longest name that fits wins), then every backslash-n made a
    // line feed. Nothing when the text would pass MacroText::maxLength.
    std::optional<QString> convertText(const QString& token) const;

    // A command as messages show it: its tokens, with a secret argument (the
    // password of mysqlimport) masked.
    static QString echoedCommand(const QStringList& tokens);

    // The truncation of a double to an int that the slots use: toward zero,
    // saturated, NaN as 0.
    static int truncated(double value);

    // --- the application's side ---------------------------------------------------------------------
    // A document is about to close: macros acting on it (or on one of its
    // sub-views) let go of it and their timers stop.
    static void documentWillClose(VexaDocument* document);
    // The host is going away: perl jobs it waits for are ended, and their
    // end reaches neither it nor a document.
    static void perlHostWillGoAway(MacroHost* host);
    // True while any macro run is going (also while it sleeps, waits for
    // perl or asks for input). Runs do not nest: a timer tick then is
    // dropped, another start beeps.
    static bool runInProgress();
    // Waits the seconds while the user interface stays responsive.
    static void waitProcessingEvents(double seconds);

    // The tokeniser script; empty means resources/perl/parsemacro.pl.
    static void setTokeniserScript(const QString& path);

private:
    void run(MacroHost& host, VexaDocument* document);
    // Errors the host's console took and alerts that reported, so far.
    int failureReports() const;
    void refreshStringVariables();
    void buildAxisSet(const QString& token);
    void buildBufferSet(const QString& token);
    bool buildLoopRange(const QString& token, const QStringList& tokens);
    std::optional<double> evaluate(const QString& text, bool report, QString* error);
    void waitForPerl();
    void forgetDocument();
    // Whether a document is `document` or a sub-view inside it.
    static bool liesIn(VexaDocument* candidate, VexaDocument* document);
    void startPerlJob(PerlJob::Kind kind, const std::vector<int>& indices, const QString& path,
                      bool fromMacro);
    // Documents closing under running perl jobs.
    static void perlDocumentWillClose(VexaDocument* document);

    QTimer* T1 = nullptr; // owned; see stopTimer
    std::shared_ptr<bool> alive_;
};
