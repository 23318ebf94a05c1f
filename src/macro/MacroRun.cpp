#include "macro/Macro.h"

#include "macro/MacroCommandTable.h"
#include "macro/MacroHost.h"
#include "macro/MacroTokeniser.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "view/VexaView.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>

int& macroActiveRuns()
{
    static int runs = 0;
    return runs;
}

namespace {

QString& tokeniserScriptOverride()
{
    static QString path;
    return path;
}

bool isWord(const QString& token, const char* word)
{
    return token.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

class RunScope {
public:
    RunScope() { ++macroActiveRuns(); }
    ~RunScope() { --macroActiveRuns(); }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;
};

} // namespace

void Macro::setTokeniserScript(const QString& path)
{
    tokeniserScriptOverride() = path;
}

void Macro::run(MacroHost& host)
{
    run(host, host.services().PD);
}

void Macro::run(MacroHost& host, VexaDocument& document)
{
    run(host, &document);
}

void Macro::run(MacroHost& host, VexaDocument* document)
{
    M = &host;
    PD = document;
    if (type == MacroTypePerlImport)
        perlImport();
    else if (type == MacroTypePerlFilter)
        perlFilter();
    else
        executeMacro();
}

void Macro::executeMacro()
{
    // Runs do not nest: a run that sleeps or waits keeps the user interface
    // alive, and a second run started from there would share this object's
    // state or the documents under the first one's feet.
    if (!M || runInProgress()) {
        Alert::beep();
        return;
    }
    RunScope scope;
    const std::shared_ptr<bool> alive = alive_;

    ++timercount;
    perltimeout = 10;
    ERR = 0;
    failures = 0;

    // Owns the temporary files until the run ends.
    MacroTokeniser tokeniser;
    if (!tokeniser.run(src, tokeniserScriptOverride())) {
        if (tokeniser.failure() == MacroTokeniser::Failure::Exception) {
            macroError(
                QStringLiteral("Exception %1: %2\n").arg(tokeniser.exceptionName(), tokeniser.reason()));
        } else {
            const bool tooLong = tokeniser.failure() == MacroTokeniser::Failure::TokenTooLong;
            macroError(QStringLiteral("%1: %2\n")
                           .arg(tooLong ? QStringLiteral("Token too long")
                                        : QStringLiteral("Malformed token listing"),
                                tokeniser.reason()));
        }
        // No command ran: the run stopped before its first.
        ++ERR;
        ++failures;
        return;
    }
    inlineperl = tokeniser.listing().inlinePerl;
    CMD = tokeniser.takeCommands();

    CANCEL = 0;
    QUITTING = 0;
    LOOPNEXT = 0;
    IFMODE = 0;
    ERR = 0;
    failures = 0;
    if (CMD.isEmpty()) {
        Alert::beep();
        return;
    }

    const bool startsWithNew = isWord(CMD.first().first(), "new");
    if (!PD || startsWithNew) {
        M->newDocument();
        if (!*alive)
            return;
        PD = M->services().PD;
        if (startsWithNew)
            CMD.removeFirst();
    }
    if (!PD || CMD.isEmpty()) {
        Alert::beep();
        return;
    }
    PV = PD->PV;

    for (int n = 0; n < CMD.size();) {
        OK = 0;
        M->reloadBufferList();
        const QStringList command = CMD[n];
        const bool skipped = IFMODE == 1 && IFCOND == 0 && !isWord(command.first(), "else")
            && !isWord(command.first(), "endif");
        if (!skipped) {
            const int reportsBefore = failureReports();
            execute(command, n);
            if (!*alive)
                return;
            if (!OK) {
                macroError(QStringLiteral("Unkown command: %1\n").arg(echoedCommand(command)));
                ++ERR;
            }
            waitForPerl();
            if (!*alive)
                return;
            // One failure per command, however many ways it was reported.
            if (failureReports() > reportsBefore)
                ++failures;
            if (ERR > 0 || CANCEL == 1 || QUITTING == 1)
                break;
            if (LOOPNEXT == 1) {
                LOOPNEXT = 0;
                if (!LOOP.empty()) {
                    n = LOOPSTART + 1;
                    LOOPVAL = LOOP.takeFirst();
                    continue;
                }
            }
        }
        if (auto* view = dynamic_cast<VexaView*>(PV))
            view->resize();
        ++n;
    }

    // A document closed by the run (or under it) has nothing left to redraw.
    if (PD)
        PD->replot();
    // The tokeniser removes the source file and the inline perl file.
    inlineperl.clear();
}

int Macro::failureReports() const
{
    return (M ? M->consoleErrorsWritten() : 0) + Alert::reportsShown();
}

void Macro::execute(const QStringList& tokens, int index)
{
    if (tokens.isEmpty())
        return;
    const std::shared_ptr<bool> alive = alive_;
    const int arguments = int(tokens.size()) - 1;
    const int errorsBefore = ERR;
    for (const MacroCommandForm* form : MacroCommandTable::instance().formsNamed(tokens.first())) {
        if (!form->guard.admits(arguments))
            continue;
        // The run's document has closed: a command that needs one cannot
        // act, and the run cannot go on as written.
        if (!PD && form->needsDocument) {
            OK = 1;
            macroError(QStringLiteral("No document for: %1\n").arg(echoedCommand(tokens)));
            ++ERR;
            return;
        }
        if (chk(form->name, form->signature, form->minimum, tokens))
            form->body(*this, MacroCommandCall{tokens, index});
        if (!*alive)
            return;
        // The run stops after this command anyway; further forms of the
        // word would only repeat the report.
        if (ERR > errorsBefore)
            break;
    }
}

void Macro::waitForPerl()
{
    if (M->perlWaitFlag() == PerlJobState::Running) {
        // NaN would never run out; a day is as long as anybody waits.
        double limit = std::isnan(perltimeout) ? 10.0 : std::clamp(perltimeout, 0.0, 86400.0);
        const std::shared_ptr<bool> alive = alive_;
        QElapsedTimer clock;
        clock.start();
        while (M->perlWaitFlag() == PerlJobState::Running) {
            if (double(clock.elapsed()) / 1000.0 > limit) {
                M->terminatePerlTask();
                macroError(QStringLiteral("timeout on perl execution, you may set the timeout with "
                                          "'perltimeout <sec>', default is 10 sec"));
                break;
            }
            // The perl job hands its results over through the event loop. A
            // short turn: a macro that filters in a loop should not idle a
            // fifth of a second after every job.
            waitProcessingEvents(0.02);
            if (!*alive)
                return;
        }
    }
    M->setPerlWaitFlag(PerlJobState::Idle);
}
