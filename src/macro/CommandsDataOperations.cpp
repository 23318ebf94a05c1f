// Data operations: function generator, buffer arithmetic and expressions,
// normalising, moving, cutting, integration, regressions, smoothing, spline,
// differentiation, FFT and single values of a buffer set.
//
// The commands only choose the operation and hand it the parsed arguments;
// the document and buffer operations check their own input and return what
// became of them, which the commands show as alerts; they publish their results ("lastbuffer", "rega",
// "regb", "regr", "integral") through the controller's variables. The commands add no replot of their own:
// the run replots once when it ends.

#include "macro/AlertQuestions.h"
#include "macro/Macro.h"
#include "macro/MacroCommandFamilies.h"
#include "macro/MacroCommandTable.h"
#include "macro/MacroHost.h"
#include "model/DataBuffer.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "model/VexaDocumentOperations.h"
#include "platform/Alert.h"

#include <type_traits>
#include <utility>

namespace {

using Section = MacroCommandTable::Section;

ManagerServices& controller(Macro& m)
{
    return m.M ? m.M->services() : ManagerServices::idle();
}

DataBuffer& bufferAt(VexaDocument& d, int index)
{
    return *d.DB[std::size_t(index)];
}

// Calls op(macro, document, index) for each buffer of the command's buffer
// set, in set order. An operation may show an alert, and with it run the
// event loop: the document can close meanwhile (the macro then lets go of
// it), so the document and each index are checked again before every step.
// Buffers that an operation appends lie past the set and are not visited.
template <typename Op> void forEachBuffer(Macro& m, Op op)
{
    const QStringList set = m.B;
    for (const QString& entry : set) {
        if (!m.PD)
            return;
        bool ok = false;
        const int index = entry.toInt(&ok);
        if (!ok || index < 0 || index >= m.PD->bufferCount())
            continue;
        if constexpr (std::is_same_v<decltype(op(m, *m.PD, index)), Outcome>)
            Alert::show(op(m, *m.PD, index));
        else
            op(m, *m.PD, index);
    }
}

// Whoever answers the questions of an operation: the user, through alerts.
Questions& questions()
{
    return AlertQuestions::instance();
}

template <typename Op> MacroCommandBody eachBuffer(Op op)
{
    return [op](Macro& m, const MacroCommandCall&) { forEachBuffer(m, op); };
}

void doFg(Macro& m, const MacroCommandCall&)
{
    // The mode is 1 (y = f(x)) or 2 (x = f(y)); the generator's flag is 0 or 1.
    const int mode = m.I[0];
    if (mode != 1 && mode != 2)
        return;
    Alert::show(m.PD->functionGenerator(mode - 1, m.D[1], m.D[2], m.I[3], m.S.value(4)));
}

void doBcalc(Macro& m, const MacroCommandCall&)
{
    const int a = m.I[0];
    const int b = m.I[2];
    const int count = m.PD->bufferCount();
    if (a < 0 || a >= count || b < 0 || b >= count)
        return;
    static constexpr std::pair<const char*, BufferArithmetic> operators[]
        = {{"+", ArithAdd}, {"-", ArithSubtract}, {"*", ArithMultiply}, {"/", ArithDivide}};
    const QString op = m.S.value(1);
    for (const auto& [word, arithmetic] : operators)
        if (op.compare(QLatin1String(word), Qt::CaseInsensitive) == 0) {
            Alert::show(m.PD->calcBuf(a, b, arithmetic, questions()));
            return;
        }
}

void doCalc(Macro& m, const MacroCommandCall&)
{
    // Targets 1 to 4 are x, y, x error and y error. Any other number names
    // no column, and is refused before the subtraction (which could overflow
    // for a saturated slot) so the points stay as they are.
    const int target = m.I[0];
    if (target < 1 || target > 4)
        return;
    forEachBuffer(m, [target](Macro& macro, VexaDocument& d, int i) {
        ManagerServices& c = controller(macro);
        bufferAt(d, i).calc(target - 1, macro.S.value(1), {}, c.GV, &d);
    });
}

} // namespace

void registerDataOperationCommands(MacroCommandTable& t)
{
    auto add = [&t](const char* name, const char* signature, int minimum, MacroCommandBody body) {
        t.add(Section::DataOperations, QLatin1String(name), QLatin1String(signature), minimum,
              std::move(body));
    };

    add("fg", "iddis", 5, doFg);
    add("bcalc", "isi", 3, doBcalc);
    add("calc", "isb", 3, doCalc);
    add("swapxy", "b", 1, eachBuffer([](Macro&, VexaDocument& d, int i) { bufferAt(d, i).swapXY(); }));
    add("normx", "ddddb", 5, eachBuffer([](Macro& m, VexaDocument& d, int i) {
            bufferAt(d, i).normX(m.D[0], m.D[1], m.D[2], m.D[3]);
        }));
    add("normy", "ddddb", 5, eachBuffer([](Macro& m, VexaDocument& d, int i) {
            bufferAt(d, i).normY(m.D[0], m.D[1], m.D[2], m.D[3]);
        }));
    // From the first position to the second.
    add("movex", "ddb", 3,
        eachBuffer([](Macro& m, VexaDocument& d, int i) { bufferAt(d, i).addX(m.D[1] - m.D[0]); }));
    add("movey", "ddb", 3,
        eachBuffer([](Macro& m, VexaDocument& d, int i) { bufferAt(d, i).addY(m.D[1] - m.D[0]); }));
    // Named after what goes: "outside" keeps the inside (mode 0), "inside"
    // keeps the outside (mode 1).
    add("cutoutsidex", "ddb", 3, eachBuffer([](Macro& m, VexaDocument& d, int i) {
            return bufferAt(d, i).cut(0, m.D[0], m.D[1], 0);
        }));
    add("cutinsidex", "ddb", 3, eachBuffer([](Macro& m, VexaDocument& d, int i) {
            return bufferAt(d, i).cut(0, m.D[0], m.D[1], 1);
        }));
    add("cutoutsidey", "ddb", 3, eachBuffer([](Macro& m, VexaDocument& d, int i) {
            return bufferAt(d, i).cut(1, m.D[0], m.D[1], 0);
        }));
    add("cutinsidey", "ddb", 3, eachBuffer([](Macro& m, VexaDocument& d, int i) {
            return bufferAt(d, i).cut(1, m.D[0], m.D[1], 1);
        }));
    add("calcint", "ddb", 3, eachBuffer([](Macro& m, VexaDocument& d, int i) {
            return d.integrate(i, m.D[0], m.D[1], questions());
        }));
    add("linreg", "ddb", 3,
        eachBuffer([](Macro& m, VexaDocument& d, int i) { return d.reg(i, m.D[0], m.D[1], RegLinear); }));
    add("logreg", "ddb", 3, eachBuffer([](Macro& m, VexaDocument& d, int i) {
            return d.reg(i, m.D[0], m.D[1], RegLogarithmic);
        }));
    add("expreg", "ddb", 3, eachBuffer([](Macro& m, VexaDocument& d, int i) {
            return d.reg(i, m.D[0], m.D[1], RegExponential);
        }));
    add("linbg", "ddb", 3,
        eachBuffer([](Macro& m, VexaDocument& d, int i) { bufferAt(d, i).linBg(m.D[0], m.D[1]); }));
    add("smooth", "db", 2, eachBuffer([](Macro& m, VexaDocument& d, int i) { return d.smooth(i, m.I[0]); }));
    add("fftsmooth", "db", 2,
        eachBuffer([](Macro& m, VexaDocument& d, int i) { return d.fftsmooth(i, m.D[0], questions()); }));
    add("datareduction", "db", 2,
        eachBuffer([](Macro& m, VexaDocument& d, int i) { return d.reduction(i, m.I[0]); }));
    add("spline", "idb", 3, eachBuffer([](Macro& m, VexaDocument& d, int i) {
            return d.spline(i, m.I[0], m.D[1], questions());
        }));
    add("diff", "db", 2,
        eachBuffer([](Macro& m, VexaDocument& d, int i) { return d.diff(i, m.D[0], questions()); }));
    add("fft", "ib", 2,
        eachBuffer([](Macro& m, VexaDocument& d, int i) { return d.doFFT(i, m.I[0], questions()); }));
    add("integrate", "b", 1,
        eachBuffer([](Macro&, VexaDocument& d, int i) { return d.integrate(i, questions()); }));
    // A missing point index and value are both 0.
    add("setxval", "bid", 1, eachBuffer([](Macro& m, VexaDocument& d, int i) {
            bufferAt(d, i).setXDoubleValueAt(m.I[1], m.D[2]);
        }));
    add("setyval", "bid", 1, eachBuffer([](Macro& m, VexaDocument& d, int i) {
            bufferAt(d, i).setYDoubleValueAt(m.I[1], m.D[2]);
        }));
    add("setxeval", "bid", 1, eachBuffer([](Macro& m, VexaDocument& d, int i) {
            bufferAt(d, i).setXDoubleErrorAt(m.I[1], m.D[2]);
        }));
    add("setyeval", "bid", 1, eachBuffer([](Macro& m, VexaDocument& d, int i) {
            bufferAt(d, i).setYDoubleErrorAt(m.I[1], m.D[2]);
        }));
}
