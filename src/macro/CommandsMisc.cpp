// Scaling, buffers, data points, interaction and miscellany: the forms
// before and after the control flow, and the last eight of the table.
//
// Bodies write model fields and leave the drawing to the end of the run;
// only the document operations they call (new, delete, duplicate buffers)
// and the command plot redraw earlier.

#include "macro/Macro.h"
#include "macro/MacroCommandFamilies.h"
#include "macro/MacroCommandTable.h"
#include "macro/MacroFormat.h"
#include "macro/MacroHost.h"
#include "model/DataBuffer.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "platform/CNumber.h"

#include <QDir>

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>
#include <vector>

namespace {

using Section = MacroCommandTable::Section;

// The longest a sleep may take.
constexpr double kMaxSleepSeconds = 3600;

// A variable named by a raw token: a leading "$" is dropped, except from the
// token "$" itself.
QString variableName(const QString& token)
{
    return token.size() >= 2 && token.startsWith(QLatin1Char('$')) ? token.mid(1) : token;
}

// The members of the last b argument, all of them existing buffers.
std::vector<DataBuffer*> bufferSet(const Macro& m)
{
    std::vector<DataBuffer*> out;
    for (const QString& index : m.B) {
        const int i = index.toInt();
        if (i >= 0 && i < m.PD->bufferCount())
            out.push_back(m.PD->DB[std::size_t(i)].get());
    }
    return out;
}

DataBuffer* bufferAt(const Macro& m, int index)
{
    return index >= 0 && index < m.PD->bufferCount() ? m.PD->DB[std::size_t(index)].get() : nullptr;
}

// Buffer I[0] and its point I[1], when both exist.
DataBuffer* pointOwner(const Macro& m)
{
    DataBuffer* b = bufferAt(m, m.I[0]);
    return b && m.I[1] >= 0 && m.I[1] < b->nop() ? b : nullptr;
}

// A u argument that did not read as a number is left as its text; one that
// did is the number printed with "%g". Words are therefore looked up only
// after the number failed: a numeric variable of that name wins.
bool isWord(const Macro& m, int slot, const char* word)
{
    return m.O[std::size_t(slot)] && m.S.value(slot) == QLatin1String(word);
}

bool readAsNumber(const Macro& m, int slot)
{
    return m.S.value(slot) == QString::fromStdString(CNumber::format("%g", m.D[std::size_t(slot)]));
}

// The axis pair of rescale: "both", "first", "second" (this case only), or
// the number 0, 1 or 2; anything else is both pairs.
int rescalePair(const Macro& m)
{
    if (!m.O[0] || isWord(m, 0, "both"))
        return PairBoth;
    if (isWord(m, 0, "first"))
        return Pair1;
    if (isWord(m, 0, "second"))
        return Pair2;
    const int n = m.I[0];
    return n == Pair1 || n == Pair2 ? n : int(PairBoth);
}

// The axis pair of upscale and downscale: the same words, or a number. A
// text that is neither is the expression error it would be as a number, and
// stops the run. Pairs outside 0..2 are handed on (and do nothing).
std::optional<int> zoomPair(Macro& m)
{
    if (isWord(m, 0, "both"))
        return PairBoth;
    if (isWord(m, 0, "first"))
        return Pair1;
    if (isWord(m, 0, "second"))
        return Pair2;
    if (!readAsNumber(m, 0) && !m.expr(m.SS.value(0), 0, true))
        return std::nullopt;
    return m.I[0];
}

// --- scaling --------------------------------------------------------------------------

void doRange(Macro& m, const MacroCommandCall&)
{
    VexaDocument& d = *m.PD;
    const double lo = m.D[1];
    const double hi = m.D[2];
    // One axis after the other: each call reads what the one before left.
    for (const QString& axis : m.A) {
        switch (axis.toInt()) {
        case AxisX1:
            d.scale(Pair1, lo, hi, d.ymin1, d.ymax1, false, false);
            break;
        case AxisY1:
            d.scale(Pair1, d.xmin1, d.xmax1, lo, hi, false, false);
            break;
        case AxisX2:
            d.scale(Pair2, lo, hi, d.ymin2, d.ymax2, false, false);
            break;
        case AxisY2:
            d.scale(Pair2, d.xmin2, d.xmax2, lo, hi, false, false);
            break;
        default:
            break;
        }
    }
}

void doRescale(Macro& m, const MacroCommandCall&)
{
    m.PD->rescale(false, rescalePair(m));
}

void zoom(Macro& m, bool out)
{
    const std::optional<int> pair = zoomPair(m);
    if (!pair || *pair < PairBoth || *pair > Pair2)
        return;
    const double factor = m.O[1] ? m.D[1] : 10.0;
    if (out)
        m.PD->upscale(factor, ZoomXY, *pair, false);
    else
        m.PD->downscale(factor, ZoomXY, *pair);
}

void doUpscale(Macro& m, const MacroCommandCall&)
{
    zoom(m, true);
}

void doDownscale(Macro& m, const MacroCommandCall&)
{
    zoom(m, false);
}

// --- buffers ------------------------------------------------------------------------------

void doSelect(Macro& m, const MacroCommandCall&)
{
    if (!m.M)
        return;
    std::set<int> rows;
    for (const QString& index : m.B)
        rows.insert(index.toInt());
    m.M->setSelectedBufferRows(std::vector<int>(rows.begin(), rows.end()));
}

void doSetcurrent(Macro& m, const MacroCommandCall&)
{
    if (bufferAt(m, m.I[0]))
        m.PD->current = m.I[0];
}

void doInvertselection(Macro& m, const MacroCommandCall&)
{
    if (!m.M)
        return;
    const std::vector<int> selected = m.M->services().selectedBufferRows();
    const std::set<int> was(selected.begin(), selected.end());
    std::vector<int> rows;
    for (int i = 0; i < m.PD->bufferCount(); ++i)
        if (!was.count(i))
            rows.push_back(i);
    m.M->setSelectedBufferRows(rows);
}

void doHide(Macro& m, const MacroCommandCall&)
{
    for (DataBuffer* b : bufferSet(m))
        b->setShow(false);
}

void doShow(Macro& m, const MacroCommandCall&)
{
    for (DataBuffer* b : bufferSet(m))
        b->setShow(true);
}

void doDelete(Macro& m, const MacroCommandCall&)
{
    for (DataBuffer* b : bufferSet(m))
        b->setRm();
    // The document removes every flagged buffer, also ones flagged before;
    // the macro's scratch buffer must not outlive its removal.
    if (m.DB) {
        for (const auto& b : m.PD->DB)
            if (b.get() == m.DB && b->rm)
                m.DB = nullptr;
    }
    m.PD->deleteBuffer();
}

void doDuplicate(Macro& m, const MacroCommandCall&)
{
    // Copies go to the end, so the indices of the set stay valid.
    for (const QString& index : m.B)
        m.PD->duplicateBuffer(index.toInt());
}

void doSetcomment(Macro& m, const MacroCommandCall&)
{
    for (DataBuffer* b : bufferSet(m))
        b->setComment(m.S.value(1));
}

void doAddcomment(Macro& m, const MacroCommandCall&)
{
    for (DataBuffer* b : bufferSet(m))
        b->setComment(b->comment + QLatin1Char(' ') + m.S.value(1));
}

void doSetsource(Macro& m, const MacroCommandCall&)
{
    for (DataBuffer* b : bufferSet(m))
        b->setSource(m.S.value(1));
}

void doAddsource(Macro& m, const MacroCommandCall&)
{
    for (DataBuffer* b : bufferSet(m))
        b->setSource(b->source + QLatin1Char(' ') + m.S.value(1));
}

// The variable gets a copy: a later change of the buffer's text does not
// reach into the variable store.
void doGetcomment(Macro& m, const MacroCommandCall&)
{
    if (DataBuffer* b = bufferAt(m, m.I[0]); b && m.M)
        m.M->stringVariables().insert(variableName(m.SS.value(1)), b->comment);
}

void doGetsource(Macro& m, const MacroCommandCall&)
{
    if (DataBuffer* b = bufferAt(m, m.I[0]); b && m.M)
        m.M->stringVariables().insert(variableName(m.SS.value(1)), b->source);
}

// The pair of belongx and belongy: 1 or 2, or the side word of this case.
std::optional<int> sidePair(const Macro& m, const char* first, const char* second)
{
    if (isWord(m, 1, first))
        return 1;
    if (isWord(m, 1, second))
        return 2;
    if (m.I[1] == 1 || m.I[1] == 2)
        return m.I[1];
    return std::nullopt;
}

void doBelongx(Macro& m, const MacroCommandCall&)
{
    if (const std::optional<int> pair = sidePair(m, "bottom", "top"))
        for (DataBuffer* b : bufferSet(m))
            b->belongx = *pair;
}

void doBelongy(Macro& m, const MacroCommandCall&)
{
    if (const std::optional<int> pair = sidePair(m, "left", "right"))
        for (DataBuffer* b : bufferSet(m))
            b->belongy = *pair;
}

// --- data points ---------------------------------------------------------------------------

void doAddvalue(Macro& m, const MacroCommandCall&)
{
    DataBuffer* b = bufferAt(m, m.I[0]);
    if (!b)
        return;
    b->addDoubleValue(m.D[1], m.D[2]);
    // Both errors or none: the setters give a buffer without errors its
    // error columns (zeros) first, so the columns keep one length.
    if (m.O[3] && m.O[4]) {
        const int last = b->nop() - 1;
        b->setXDoubleErrorAt(last, m.D[3]);
        b->setYDoubleErrorAt(last, m.D[4]);
    }
}

void doSetxvalue(Macro& m, const MacroCommandCall&)
{
    if (DataBuffer* b = pointOwner(m))
        b->setXDoubleValueAt(m.I[1], m.D[2]);
}

void doSetxerror(Macro& m, const MacroCommandCall&)
{
    if (DataBuffer* b = pointOwner(m))
        b->setXDoubleErrorAt(m.I[1], m.D[2]);
}

void doSetyvalue(Macro& m, const MacroCommandCall&)
{
    if (DataBuffer* b = pointOwner(m))
        b->setYDoubleValueAt(m.I[1], m.D[2]);
}

void doSetyerror(Macro& m, const MacroCommandCall&)
{
    if (DataBuffer* b = pointOwner(m))
        b->setYDoubleErrorAt(m.I[1], m.D[2]);
}

void doRmvalue(Macro& m, const MacroCommandCall&)
{
    if (DataBuffer* b = pointOwner(m))
        b->deletePoint(m.I[1]);
}

void doNewbuffer(Macro& m, const MacroCommandCall&)
{
    m.PD->newBuffer();
}

// --- interaction -----------------------------------------------------------------------------

const QString& stoppedTitle()
{
    static const QString title = QStringLiteral("Macro stopped!");
    return title;
}

void doAsk(Macro& m, const MacroCommandCall&)
{
    const int answer
        = Alert::run(stoppedTitle(), m.S.value(0), {QStringLiteral("Continue"), QStringLiteral("Cancel")});
    if (answer == 1)
        m.CANCEL = 1;
}

void doAskoption(Macro& m, const MacroCommandCall&)
{
    const int answer = Alert::run(stoppedTitle(), m.S.value(0), {m.S.value(1), m.S.value(2)});
    if (m.M)
        m.M->services().setVar(QStringLiteral("option"), answer == 0 ? 1.0 : 0.0);
}

QString expandedHome(const QString& folder)
{
    if (folder.isEmpty() || folder == QStringLiteral("~") || folder.startsWith(QStringLiteral("~/")))
        return QDir::homePath() + folder.mid(1);
    return folder;
}

void doBrowse(Macro& m, const MacroCommandCall&)
{
    if (!m.M)
        return;
    const QString start = expandedHome(m.M->lastFolder());
    const std::optional<QString> path = m.M->openFilePanel(QStringLiteral("Select File"), start);
    if (!path || path->isEmpty())
        return;
    m.M->rememberFolderOf(*path);
    m.M->stringVariables().insert(QStringLiteral("file"), *path);
}

void doInput(Macro& m, const MacroCommandCall&)
{
    if (m.M)
        m.M->getInput(m.O[0] ? m.S.value(0) : QStringLiteral("Enter value"));
}

void doPlot(Macro& m, const MacroCommandCall&)
{
    if (m.M)
        m.M->services().update();
    m.PD->replot();
}

void doPrint(Macro& m, const MacroCommandCall&)
{
    QString line;
    for (const QString& text : m.S)
        line += text + QLatin1Char(' ');
    m.macroMsg(line);
}

void doSleep(Macro& m, const MacroCommandCall&)
{
    const double seconds = std::isnan(m.D[0]) ? 0.0 : std::clamp(m.D[0], 0.0, kMaxSleepSeconds);
    Macro::waitProcessingEvents(std::trunc(seconds * 1e6) / 1e6);
}

void doSetwarn(Macro& m, const MacroCommandCall&)
{
    if (m.M)
        m.M->services().warnings = m.I[0] == 1 ? 1 : 0;
}

// --- miscellany -----------------------------------------------------------------------------------

void doColormode(Macro& m, const MacroCommandCall&)
{
    if (m.I[0] == 0 || m.I[0] == 1)
        m.colormode = m.I[0];
}

void doClr(Macro& m, const MacroCommandCall&)
{
    if (m.M)
        m.M->consoleClear();
}

void doSetvar(Macro& m, const MacroCommandCall&)
{
    if (m.M)
        m.M->services().setVar(m.S.value(0), m.D[1]);
}

void doSetstring(Macro& m, const MacroCommandCall&)
{
    if (m.M)
        m.M->stringVariables().insert(variableName(m.SS.value(0)), m.SS.value(1));
}

void doEval(Macro& m, const MacroCommandCall&)
{
    if (m.M)
        m.M->stringVariables().insert(m.S.value(0), m.S.value(1));
}

void doFormat(Macro& m, const MacroCommandCall& call)
{
    QString reason;
    // D[2] to D[11]: the nine number arguments and one that is always 0.
    const std::optional<QString> text
        = MacroFormat::fill(m.S.value(1), &m.D[2], MacroFormat::maxConversions, &reason);
    if (!text) {
        m.macroError(
            QStringLiteral("Invalid format (%1): %2\n").arg(reason, call.tokens.join(QLatin1Char(' '))));
        ++m.ERR;
        return;
    }
    if (m.M)
        m.M->stringVariables().insert(m.S.value(0), *text);
}

void doHideapp(Macro& m, const MacroCommandCall&)
{
    if (m.M)
        m.M->hideApplication();
}

void doQuitapp(Macro& m, const MacroCommandCall&)
{
    if (!m.M)
        return;
    // The run ends after this command, as the application does.
    m.QUITTING = 1;
    MacroHost* host = m.M;
    host->closeDocumentWindow(m.PD);
    host->terminateApplication();
}

} // namespace

void registerMiscCommands(MacroCommandTable& t)
{
    auto add = [&t](Section s, const char* name, const char* signature, int minimum, MacroCommandBody body) {
        t.add(s, QLatin1String(name), QLatin1String(signature), minimum, std::move(body));
    };

    add(Section::Scaling, "range", "add", 3, doRange);
    add(Section::Scaling, "rescale", "u", 0, doRescale);
    // The pair may be a word ("both", "first", "second"), which an i
    // argument would refuse as an undefined variable: u reads it, and
    // zoomPair() reports what is neither word nor number.
    add(Section::Scaling, "upscale", "ud", 1, doUpscale);
    add(Section::Scaling, "downscale", "ud", 1, doDownscale);

    add(Section::Buffers, "select", "b", 1, doSelect);
    add(Section::Buffers, "setcurrent", "i", 1, doSetcurrent);
    add(Section::Buffers, "invertselection", "", 0, doInvertselection);
    add(Section::Buffers, "hide", "b", 1, doHide);
    add(Section::Buffers, "show", "b", 1, doShow);
    add(Section::Buffers, "delete", "b", 1, doDelete);
    add(Section::Buffers, "duplicate", "b", 1, doDuplicate);
    add(Section::Buffers, "setcomment", "bu", 2, doSetcomment);
    add(Section::Buffers, "addcomment", "bu", 2, doAddcomment);
    add(Section::Buffers, "getcomment", "is", 2, doGetcomment);
    add(Section::Buffers, "setsource", "bu", 2, doSetsource);
    add(Section::Buffers, "addsource", "bu", 2, doAddsource);
    add(Section::Buffers, "getsource", "is", 2, doGetsource);
    add(Section::Buffers, "belongx", "bu", 2, doBelongx);
    add(Section::Buffers, "belongy", "bu", 2, doBelongy);

    add(Section::DataPoints, "addvalue", "idddd", 3, doAddvalue);
    add(Section::DataPoints, "setxvalue", "iid", 3, doSetxvalue);
    add(Section::DataPoints, "setxerror", "iid", 3, doSetxerror);
    add(Section::DataPoints, "setyvalue", "iid", 3, doSetyvalue);
    add(Section::DataPoints, "setyerror", "iid", 3, doSetyerror);
    add(Section::DataPoints, "rmvalue", "ii", 2, doRmvalue);
    add(Section::DataPoints, "newbuffer", "", 0, doNewbuffer);

    add(Section::Interaction, "ask", "sss", 1, doAsk);
    add(Section::Interaction, "askoption", "sss", 3, doAskoption);
    add(Section::Interaction, "browse", "", 0, doBrowse);
    add(Section::Interaction, "input", "s", 0, doInput);
    add(Section::Interaction, "plot", "", 0, doPlot);
    add(Section::Interaction, "print", "uuuuuuuuuuuuuuuu", 0, doPrint);
    add(Section::Interaction, "sleep", "d", 1, doSleep);
    add(Section::Interaction, "setwarn", "i", 1, doSetwarn);

    add(Section::Miscellany, "colormode", "i", 1, doColormode);
    add(Section::Miscellany, "clr", "", 0, doClr);
    add(Section::Miscellany, "setvar", "sd", 2, doSetvar);
    add(Section::Miscellany, "setstring", "uu", 2, doSetstring);
    add(Section::Miscellany, "eval", "su", 2, doEval);
    add(Section::Miscellany, "format", "ssddddddddd", 2, doFormat);
    add(Section::Miscellany, "hideapp", "", 0, doHideapp);
    add(Section::Miscellany, "quitapp", "", 0, doQuitapp);
}
