// Files, imports and sub-views: documents, picture and ASCII export, the ASCII,
// binary, MySQL, EPICS and perl imports, the perl filter, and sub-views.
//
// Every file the commands write goes through the same document, export and
// import code as the menus, so a macro and a menu make the same file. A
// save, export, import or read that fails says why on the console and the
// run goes on (a batch over a list of files must not end at the first one
// missing); the run counts it among its failures, so it is never reported as
// a success. Only new without a document and a failed open end the run:
// what follows would act on the wrong document.

#include "io/AsciiImport.h"
#include "io/BinaryImport.h"
#include "io/MySQLQuery.h"
#include "io/PictureExport.h"
#include "macro/AlertQuestions.h"
#include "macro/Macro.h"
#include "macro/MacroCommandFamilies.h"
#include "macro/MacroCommandTable.h"
#include "macro/MacroHost.h"
#include "model/DataBuffer.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "view/VexaView.h"

#include "platform/Alert.h"
#include "platform/RegularFile.h"
#include <QRectF>

#include <cmath>
#include <memory>

namespace {

using Section = MacroCommandTable::Section;

// The resolution of a bitmap export without its second argument.
constexpr int defaultDpi = 72;

// The largest side a sub-view may have: pictures of the graph cannot be
// larger either.
constexpr double maxSubviewSide = PictureExport::maxImageSide;

VexaDocument* mainOf(VexaDocument* document)
{
    return document && document->MPD ? document->MPD : document;
}

// The document the rest of the run acts on, and its view.
void retarget(Macro& m, VexaDocument* document)
{
    m.PD = document;
    m.PV = document ? document->PV : nullptr;
}

void fail(Macro& m, const MacroCommandCall& call, const char* what, const QString& reason = QString())
{
    const QString command = Macro::echoedCommand(call.tokens);
    m.macroError(reason.isEmpty()
                     ? QStringLiteral("%1: %2\n").arg(QLatin1String(what), command)
                     : QStringLiteral("%1 (%2): %3\n").arg(QLatin1String(what), reason, command));
}

void report(Macro& m, const MacroCommandCall& call, const char* what, const Outcome& outcome)
{
    if (outcome.isFailure())
        fail(m, call, what, outcome.message());
}

// --- documents ---------------------------------------------------------------------------

// The run's error count grows without a message when no document came of
// it; the host has said why.
void doNew(Macro& m, const MacroCommandCall&)
{
    VexaDocument* d = nullptr;
    if (m.M) {
        m.M->newDocument();
        d = m.M->services().PD;
    }
    if (!d) {
        ++m.ERR;
        return;
    }
    retarget(m, d);
}

void doClose(Macro& m, const MacroCommandCall&)
{
    // A document that closes lets go of the run, which goes on without it
    // (an open or a new gives it another); one the user keeps open stays
    // the target.
    if (m.M)
        m.M->performClose(m.PD);
}

void doOpen(Macro& m, const MacroCommandCall&)
{
    VexaDocument* d = m.M ? m.M->openDocument(m.S.value(0)) : nullptr;
    if (!d) {
        ++m.ERR;
        return;
    }
    retarget(m, d);
    m.M->setCurrentDoc(d, d);
}

void doSave(Macro& m, const MacroCommandCall& call)
{
    if (m.M)
        report(m, call, "Save failed", m.M->saveDocument(m.PD));
}

void doSaveas(Macro& m, const MacroCommandCall& call)
{
    if (m.M)
        report(m, call, "Save failed", m.M->saveDocumentAs(m.PD, m.S.value(0)));
}

void doPrintdoc(Macro& m, const MacroCommandCall& call)
{
    if (m.M)
        report(m, call, "Print failed", m.M->printDocument(m.PD));
}

// --- pictures and ASCII ------------------------------------------------------------------------

template <Outcome (*save)(VexaDocument&, const QString&)>
void savePicture(Macro& m, const MacroCommandCall& call)
{
    report(m, call, "Export failed", save(*m.PD, m.S.value(0)));
}

template <Outcome (*save)(VexaDocument&, const QString&, int)>
void saveBitmap(Macro& m, const MacroCommandCall& call)
{
    report(m, call, "Export failed", save(*m.PD, m.S.value(0), m.O[1] ? m.I[1] : defaultDpi));
}

// Every buffer of the set writes the same file: it ends up with the last.
void doExport(Macro& m, const MacroCommandCall& call)
{
    const int mode = m.I[1] >= 0 && m.I[1] <= 2 ? m.I[1] : 0;
    for (int index : m.bufferIndices()) {
        const Outcome written = m.PD->DB[std::size_t(index)]->exportASCII(m.S.value(0), mode);
        if (!written.ok()) {
            report(m, call, "Export failed", written);
            return;
        }
    }
}

// --- imports ---------------------------------------------------------------------------------

void doImport(Macro& m, const MacroCommandCall& call)
{
    if (m.I[1] != ASCIIImport::ColumnMode && m.I[1] != ASCIIImport::ErrorMode)
        return;
    ASCIIImport::ImportOptions o;
    o.path = m.S.value(0);
    o.mode = m.I[1];
    o.comment = m.O[5] ? m.S.value(5) : QString();
    o.separator = m.O[2] ? m.S.value(2) : QString();
    o.xColumn = m.O[3] ? m.I[3] : 1;
    o.noXColumn = m.O[4] && m.I[4] != 0;
    o.ignoreText = m.O[6] ? m.S.value(6) : QString();
    o.commentText = m.O[7] ? m.S.value(7) : QString();
    o.numericLinesOnly = true;
    o.timeFormat.clear();
    o.useTimeFormat = false;
    o.noTime = false;
    o.commaSeparates = true;
    o.periodSeparates = false;
    const Outcome outcome = ASCIIImport::importFile(*m.PD, o);
    Alert::show(outcome);
    if (!outcome.ok())
        fail(m, call, "Import failed", outcome.message());
}

void doBinaryimport(Macro& m, const MacroCommandCall& call)
{
    const int type = m.I[1], layout = m.I[2], swap = m.I[3], columns = m.I[4];
    if (type < 0 || type > 3 || (layout != 0 && layout != 1) || (swap != 0 && swap != 1) || columns <= 0)
        return;
    const Outcome outcome
        = BinaryImport::binaryImport(*m.PD, m.S.value(0), type, layout, swap == 1, columns, QString(),
                                     m.O[5] ? m.S.value(5) : QString(), AlertQuestions::instance());
    Alert::show(outcome);
    if (!outcome.ok())
        fail(m, call, "Import failed");
}

void doMysqlimport(Macro& m, const MacroCommandCall& call)
{
    const MySQLQuery query(QString(), m.S.value(0), m.S.value(1), m.I[4], m.S.value(2), m.S.value(3),
                           m.S.value(5));
    if (!m.M || !m.M->importMySQL(*m.PD, query))
        fail(m, call, "Import failed");
}

void doEpicsimport(Macro& m, const MacroCommandCall& call)
{
    if (!m.M || !m.M->importEPICS(*m.PD, m.S.value(0), m.O[1] ? m.S.value(1) : QString()))
        fail(m, call, "Import failed");
}

void doEpicstimeout(Macro& m, const MacroCommandCall&)
{
    if (m.M)
        m.M->epicsTimeout(m.D[0]);
}

void doEpicsmaxarray(Macro& m, const MacroCommandCall& call)
{
    if (!m.M || !m.M->epicsMaxArray(m.S.value(0)))
        fail(m, call, "Setting refused");
}

void doEpicsaddrlist(Macro& m, const MacroCommandCall&)
{
    if (m.M)
        m.M->epicsAddrList(m.S.value(0));
}

void doEpicssetvar(Macro& m, const MacroCommandCall& call)
{
    if (!m.M || !m.M->epicsSetVar(m.S.value(0), m.S.value(1)))
        fail(m, call, "Read failed");
}

// --- perl ----------------------------------------------------------------------------------

// The perl commands run the stored macros of the name given as argument 1
// (any letter case) and of the command's type, or, without a name, the
// inline perl of the run's source. Neither waits: the job raises the wait
// flag, and the run waits on it after the command.
template <class Start> void runPerlCommand(Macro& m, MacroType type, Start start)
{
    if (m.O[1]) {
        if (!m.M)
            return;
        const QString name = m.S.value(1);
        for (Macro* stored : m.M->storedMacros())
            if (stored->type == type && stored->name.compare(name, Qt::CaseInsensitive) == 0)
                start(*stored);
        return;
    }
    if (m.inlineperl.isEmpty())
        return;
    const RegularFile::Contents file = RegularFile::read(m.inlineperl, Macro::maxSourceBytes);
    if (file.outcome != RegularFile::Outcome::Read)
        return;
    // A macro of its own for the inline code; its job carries on after it
    // is gone. The tokeniser wrote the code as the source's own UTF-8.
    Macro inlineMacro(QString(), QString::fromUtf8(file.bytes), 0, type);
    start(inlineMacro);
}

void doPerlimport(Macro& m, const MacroCommandCall&)
{
    const QString path = m.S.value(0);
    VexaDocument* target = m.PD;
    runPerlCommand(m, MacroTypePerlImport, [&](Macro& perl) { perl.perlImportFromMacro(path, target); });
}

void doPerlfilter(Macro& m, const MacroCommandCall&)
{
    const std::vector<int> indices = m.bufferIndices();
    VexaDocument* target = m.PD;
    runPerlCommand(m, MacroTypePerlFilter, [&](Macro& perl) { perl.perlFilterFromMacro(indices, target); });
}

// --- sub-views -----------------------------------------------------------------------------------

// The frame of the arguments: width, height, x, y.
QRectF frameArgument(const Macro& m)
{
    return QRectF(m.D[2], m.D[3], m.D[0], m.D[1]);
}

bool usableFrame(const QRectF& f)
{
    auto finite = [](double v) { return std::isfinite(v); };
    return finite(f.x()) && finite(f.y()) && f.width() > 5 && f.height() > 5 && f.width() <= maxSubviewSide
        && f.height() <= maxSubviewSide;
}

void doSubview(Macro& m, const MacroCommandCall&)
{
    if (!m.M)
        return;
    VexaDocument* main = m.M->services().MPD;
    if (!main)
        return;
    if (m.PD != main) {
        retarget(m, main);
        m.M->setCurrentDoc(main, mainOf(main));
    }
    const QRectF frame = frameArgument(m);
    if (usableFrame(frame)) {
        if (VexaDocument* sub = m.M->addSubview(*main, frame)) {
            m.M->setCurrentDoc(sub, main);
            m.M->services().update();
            retarget(m, sub);
        }
    }
    main->replot();
}

void doSizeview(Macro& m, const MacroCommandCall&)
{
    const QRectF frame = frameArgument(m);
    if (!m.PD->subview || !usableFrame(frame) || frame.x() < 0 || frame.y() < 0)
        return;
    if (auto* view = dynamic_cast<VexaView*>(m.PD->PV))
        view->setFrame(frame);
    mainOf(m.PD)->replot();
}

void doChangeview(Macro& m, const MacroCommandCall&)
{
    VexaDocument* main = m.M ? m.M->services().MPD : nullptr;
    if (!main)
        return;
    const int n = m.I[0];
    VexaDocument* target = nullptr;
    if (n == 0)
        target = main;
    else if (n >= 1 && n <= int(main->SPD.size()))
        target = main->SPD[std::size_t(n - 1)].get();
    if (!target)
        return;
    retarget(m, target);
    m.M->setCurrentDoc(target, main);
}

void doDeleteview(Macro& m, const MacroCommandCall&)
{
    VexaDocument* main = m.M ? m.M->services().MPD : nullptr;
    if (!main)
        return;
    const bool all = m.S.value(0).compare(QLatin1String("all"), Qt::CaseInsensitive) == 0;
    const int n = m.I[0];
    if (!all && (n < 1 || n > int(main->SPD.size())))
        return;
    // The run moves to the main document first: a sub-view that goes lets
    // go of every macro working on it.
    m.M->setCurrentDoc(main, main);
    retarget(m, main);
    if (all) {
        while (!main->SPD.empty()) {
            const std::size_t before = main->SPD.size();
            m.M->removeSubview(*main, main->SPD.front().get());
            if (main->SPD.size() >= before)
                break;
        }
    } else {
        m.M->removeSubview(*main, main->SPD[std::size_t(n - 1)].get());
    }
    main->replot();
}

} // namespace

void registerFileCommands(MacroCommandTable& t)
{
    SectionForms f(t, Section::Files);
    f.add("new", "", 0, doNew);
    f.add("close", "", 0, doClose);
    f.add("open", "s", 1, doOpen);
    f.add("save", "", 0, doSave);
    f.add("saveas", "s", 1, doSaveas);
    f.add("savepng", "si", 1, saveBitmap<&PictureExport::savePNG>);
    f.add("savejpg", "si", 1, saveBitmap<&PictureExport::saveJPG>);
    f.add("savepdf", "s", 1, savePicture<&PictureExport::savePDF>);
    f.add("saveeps", "s", 1, savePicture<&PictureExport::saveEPS>);
    f.add("printdoc", "", 0, doPrintdoc);
    f.add("import", "sisiisss", 2, doImport);
    f.add("binaryimport", "siiiis", 5, doBinaryimport);
    f.add("mysqlimport", "ssssis", 6, doMysqlimport);
    f.add("perlimport", "ss", 1, doPerlimport);
    f.add("perlfilter", "bs", 1, doPerlfilter);
    f.add("epicsimport", "ss", 1, doEpicsimport);
    f.add("epicstimeout", "d", 1, doEpicstimeout);
    f.add("epicsmaxarray", "s", 1, doEpicsmaxarray);
    f.add("epicsaddrlist", "s", 1, doEpicsaddrlist);
    f.add("epicssetvar", "ss", 2, doEpicssetvar);
    f.add("export", "sib", 3, doExport);

    SectionForms s(t, Section::Subviews);
    s.add("subview", "dddd", 4, doSubview);
    s.add("sizeview", "dddd", 4, doSizeview);
    s.add("changeview", "i", 1, doChangeview);
    s.add("deleteview", "u", 1, doDeleteview);
}
