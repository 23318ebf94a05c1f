// The perl bridge: macros of type 2 (perl filter) and 1 (perl import) run
// their code with perl (PerlJob), and what perl hands back becomes new
// buffers and variables of the document. Everything here runs on the main
// thread; a job reports its end through the event loop.

#include "macro/Macro.h"

#include "macro/MacroHost.h"
#include "macro/PerlStreams.h"
#include "model/DataBuffer.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"

#include <QStringDecoder>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// What a running job needs when it ends. It outlives the macro that started
// it when need be: the short-lived macro of an inline perl command, or a
// stored macro replaced by an edit while its job runs.
struct PerlRun {
    MacroHost* host = nullptr;
    VexaDocument* document = nullptr; // cleared when the document closes
    Macro* macro = nullptr;
    std::shared_ptr<bool> macroAlive;
    bool fromMacro = false;
    bool stopAsked = false; // the user stopped it: its result is dropped
    PerlJob* job = nullptr;
};

std::vector<std::shared_ptr<PerlRun>>& runs()
{
    static std::vector<std::shared_ptr<PerlRun>> list;
    return list;
}

// Jobs started from the editor, the menu or a shortcut that still run: the
// progress indicator shows while there is one.
int& userJobs()
{
    static int count = 0;
    return count;
}

std::shared_ptr<PerlRun> runOf(const PerlJob* job)
{
    for (const auto& r : runs())
        if (r->job == job)
            return r;
    return nullptr;
}

// The text of bytes that are valid UTF-8; empty for anything else.
QString utf8Text(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    return decoder.hasError() ? QString() : text;
}

void consoleError(MacroHost& host, const QString& text)
{
    host.consoleWrite(text, true);
}

void consoleMessage(MacroHost& host, const QString& text)
{
    host.consoleWrite(text, false);
}

// What a failed perl said: its error output and its standard output, each
// when it is text, cut to the first 1000 characters.
QString failureText(const PerlJob::Outcome& outcome)
{
    QString text = utf8Text(outcome.errors);
    const QString output = utf8Text(outcome.output);
    if (!output.isEmpty() && !text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    text += output;
    return text.left(1000);
}

// The user's start while the macro's job runs is its stop: the job is ended
// and its result dropped; while a stop is pending, a beep. False when no job
// runs and the start may go ahead.
bool stoppedInstead(PerlJobState& state, PerlJob* task)
{
    switch (state) {
    case PerlJobState::Idle:
        return false;
    case PerlJobState::Running:
        if (const auto run = runOf(task))
            run->stopAsked = true;
        if (task)
            task->terminate();
        state = PerlJobState::Stopping;
        return true;
    case PerlJobState::Stopping:
        Alert::beep();
        return true;
    }
    return false;
}

void applyResult(MacroHost& host, VexaDocument& document, PerlResult&& result)
{
    const int first = document.bufferCount();
    for (PerlResultBuffer& r : result.buffers) {
        auto b = document.makeBuffer();
        b->source = r.source.isEmpty() ? QStringLiteral("perl import") : r.source;
        b->comment = r.comment;
        b->X = std::move(r.X);
        b->Y = std::move(r.Y);
        b->EX = std::move(r.EX);
        b->EY = std::move(r.EY);
        b->rescale();
        document.DB.push_back(std::move(b));
    }
    ManagerServices& services = host.services();
    if (document.bufferCount() > first)
        services.setVar(QStringLiteral("lastbuffer"), document.bufferCount() - 1);
    for (const auto& [name, value] : result.numbers)
        services.setVar(name, value);
    QHash<QString, QString>& texts = host.stringVariables();
    for (const auto& [name, value] : result.texts)
        texts.insert(name, value);
    document.rescale(true, 0);
    document.replot();
}

} // namespace

// --- starting and stopping ---------------------------------------------------------------------

void Macro::perlFilter()
{
    if (stoppedInstead(MAP, task))
        return;
    // Nothing to filter without a document.
    if (!M || !PD) {
        Alert::beep();
        return;
    }
    startPerlJob(PerlJob::Kind::Filter, M->services().selectedBufferRows(), QString(), false);
}

void Macro::perlImport()
{
    if (stoppedInstead(MAP, task))
        return;
    if (!M) {
        Alert::beep();
        return;
    }
    const std::optional<QString> path = M->openFilePanel(QStringLiteral("Perl Import"), M->lastFolder());
    if (!path)
        return;
    M->rememberFolderOf(*path);
    if (!PD) {
        M->newDocument();
        PD = M->services().PD;
        PV = PD ? PD->PV : nullptr;
    }
    if (!PD) {
        Alert::beep();
        return;
    }
    startPerlJob(PerlJob::Kind::Import, {}, *path, false);
}

void Macro::perlFilterFromMacro(MacroHost& host, const std::vector<int>& indices, VexaDocument* document)
{
    M = &host;
    if (!document)
        return;
    PD = document;
    PV = document->PV;
    startPerlJob(PerlJob::Kind::Filter, indices, QString(), true);
}

void Macro::perlImportFromMacro(MacroHost& host, const QString& path, VexaDocument* document)
{
    M = &host;
    if (!document)
        return;
    PD = document;
    PV = document->PV;
    startPerlJob(PerlJob::Kind::Import, {}, path, true);
}

void Macro::startPerlJob(PerlJob::Kind kind, const std::vector<int>& indices, const QString& path,
                         bool fromMacro)
{
    MacroHost& host = *M;
    QByteArray input;
    if (kind == PerlJob::Kind::Filter) {
        // Each buffer once, in ascending order; rows without a buffer are
        // left out.
        std::vector<int> rows = indices;
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        std::vector<const DataBuffer*> buffers;
        for (int row : rows)
            if (row >= 0 && row < PD->bufferCount())
                buffers.push_back(PD->DB[std::size_t(row)].get());
        input = PerlInputStream::forFilter(buffers, host.services().GV, host.stringVariables());
    } else {
        input = PerlInputStream::forImport(host.services().GV, host.stringVariables());
    }

    auto run = std::make_shared<PerlRun>();
    run->host = &host;
    run->document = PD;
    run->macro = this;
    run->macroAlive = alive_;
    run->fromMacro = fromMacro;

    MAP = PerlJobState::Running;
    if (fromMacro) {
        host.setPerlWaitFlag(PerlJobState::Running);
    } else if (++userJobs() == 1) {
        host.setPerlProgress(true);
    }
    if (!fromMacro)
        host.setExecuteButtonTitle(QStringLiteral("Stop"));

    runs().push_back(run);
    PerlJob* job = PerlJob::start(kind, src, path, input, [run](const PerlJob::Outcome& outcome) {
        auto& list = runs();
        list.erase(std::remove(list.begin(), list.end(), run), list.end());
        if (!run->fromMacro)
            --userJobs();
        if (*run->macroAlive && run->macro->task == run->job) {
            run->macro->MAP = PerlJobState::Idle;
            run->macro->task = nullptr;
        }
        // The application went away under the job: nobody is left to tell.
        if (!run->host)
            return;
        MacroHost& h = *run->host;

        if (!outcome.launched)
            consoleError(h, QStringLiteral("Exception %1: %2\n").arg(outcome.exceptionName, outcome.reason));
        else if (!run->stopAsked)
            parsePerlResult(h, run->document, outcome);

        if (!run->fromMacro && userJobs() == 0)
            h.setPerlProgress(false);
        h.setExecuteButtonTitle(QStringLiteral("Execute"));
        h.showSelectedMacro();
        if (run->fromMacro && h.perlTask() == run->job) {
            h.setPerlTask(nullptr);
            h.setPerlWaitFlag(PerlJobState::Idle);
        }
    });
    run->job = job;
    task = job;
    if (fromMacro)
        host.setPerlTask(job);
}

void Macro::perlHostWillGoAway(MacroHost* host)
{
    for (const auto& run : runs()) {
        if (run->host != host)
            continue;
        run->host = nullptr;
        run->document = nullptr;
        if (run->job)
            run->job->terminate();
    }
}

void Macro::perlDocumentWillClose(VexaDocument* document)
{
    for (const auto& run : runs())
        if (liesIn(run->document, document))
            run->document = nullptr;
}

// --- the result ------------------------------------------------------------------------------------

void Macro::parsePerlResult(MacroHost& host, VexaDocument* document, const PerlJob::Outcome& outcome)
{
    if (!document) {
        Alert::beep();
        return;
    }
    if (outcome.outputTooLarge) {
        consoleError(host,
                     QStringLiteral("the perl result is larger than %1 bytes; perl was ended and nothing was "
                                    "applied\n")
                         .arg(PerlJob::maxOutputBytes()));
        return;
    }
    if (outcome.status != 0) {
        consoleError(host, QStringLiteral("exit code: %1").arg(outcome.status));
        consoleError(host, failureText(outcome));
        return;
    }
    if (!outcome.output.isEmpty()) {
        PerlResultStream::Reading reading = PerlResultStream::read(outcome.output);
        if (!reading.ok()) {
            consoleError(host, reading.message() + QLatin1Char('\n'));
            return;
        }
        applyResult(host, *document, std::move(reading.result));
    }
    consoleMessage(host, outcome.log);
    consoleMessage(host, utf8Text(outcome.errors));
}
