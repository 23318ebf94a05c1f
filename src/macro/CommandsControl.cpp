// Control flow: if/else/endif, the three loops and endloop, the repeating
// timer and the perl time-out. The flags are one level deep: an if inside an
// if, or a loop inside a loop, replaces the outer state.

#include "macro/Macro.h"
#include "macro/MacroCommandFamilies.h"
#include "macro/MacroCommandTable.h"
#include "macro/MacroHost.h"
#include "model/VexaDocument.h"

#include <vector>

namespace {

using Section = MacroCommandTable::Section;

void doIf(Macro& m, const MacroCommandCall&)
{
    m.IFMODE = 1;
    m.IFCOND = 0;
    const QString op = m.S.value(1).toLower();
    const double a = m.D[0];
    const double b = m.D[2];
    bool holds = false;
    if (op == QLatin1String("=="))
        holds = a == b;
    else if (op == QLatin1String("!="))
        holds = a != b; // also when either is not a number
    else if (op == QLatin1String(">"))
        holds = a > b;
    else if (op == QLatin1String(">="))
        holds = a >= b;
    else if (op == QLatin1String("<"))
        holds = a < b;
    else if (op == QLatin1String("<="))
        holds = a <= b;
    else if (op == QLatin1String("eq"))
        holds = m.S.value(0).compare(m.S.value(2), Qt::CaseInsensitive) == 0;
    else if (op == QLatin1String("ne"))
        holds = m.S.value(0).compare(m.S.value(2), Qt::CaseInsensitive) != 0;
    m.IFCOND = holds ? 1 : 0;
}

void doElse(Macro& m, const MacroCommandCall&)
{
    m.IFCOND = m.IFCOND == 1 ? 0 : 1;
}

void doEndif(Macro& m, const MacroCommandCall&)
{
    m.IFMODE = 0;
}

void startLoop(Macro& m, int index, MacroLoopValues values, int mode)
{
    m.LOOPSTART = index;
    m.LOOP = std::move(values);
    m.LOOPVAL = m.LOOP.takeFirst();
    m.LOOPMODE = mode;
}

void doLoop(Macro& m, const MacroCommandCall& call)
{
    if (m.R.empty())
        return;
    // Loop values pass through "%g" text, as they always have: six
    // significant digits.
    MacroLoopValues values = m.R;
    values.setSixDigits(true);
    startLoop(m, call.index, std::move(values), 1);
}

void doBufferloop(Macro& m, const MacroCommandCall& call)
{
    if (m.B.isEmpty())
        return;
    std::vector<double> values;
    values.reserve(std::size_t(m.B.size()));
    for (const QString& v : m.B)
        values.push_back(v.toInt());
    MacroLoopValues indices;
    indices.setList(std::move(values));
    startLoop(m, call.index, std::move(indices), 3);
}

void doDataloop(Macro& m, const MacroCommandCall& call)
{
    const int index = m.I[0];
    if (index < 0 || index >= m.PD->bufferCount())
        return;
    DataBuffer* buffer = m.PD->DB[std::size_t(index)].get();
    const int points = buffer->nop();
    if (points <= 0)
        return;
    m.LOOPSTART = call.index;
    m.DB = buffer;
    m.LOOP.setWholeNumbers(0, points - 1);
    m.LOOPVAL = m.LOOP.takeFirst();
    m.LOOPMODE = 3;
    m.LOOPBUFFER = index;
}

void doEndloop(Macro& m, const MacroCommandCall&)
{
    m.LOOPNEXT = 1;
}

void doTimer(Macro& m, const MacroCommandCall&)
{
    if (m.timerRunning())
        return;
    m.startTimer(m.D[0]);
    m.timermaxcount = m.I[1];
    m.timercount = 0;
    if (m.M) {
        m.M->setExecuteButtonTitle(QStringLiteral("Stop"));
        m.M->reloadMacroTable();
    }
}

void doStoptimer(Macro& m, const MacroCommandCall&)
{
    if (!m.timerRunning())
        return;
    m.stopTimer();
    if (m.M)
        m.M->reloadMacroTable();
}

void doPerltimeout(Macro& m, const MacroCommandCall&)
{
    m.perltimeout = m.D[0];
}

} // namespace

void registerControlCommands(MacroCommandTable& t)
{
    const Section s = Section::ControlFlow;
    t.add(s, QStringLiteral("if"), QStringLiteral("usu"), 3, doIf);
    t.add(s, QStringLiteral("else"), QString(), 0, doElse);
    t.add(s, QStringLiteral("endif"), QString(), 0, doEndif);
    t.add(s, QStringLiteral("loop"), QStringLiteral("r"), 1, doLoop);
    t.add(s, QStringLiteral("bufferloop"), QStringLiteral("b"), 1, doBufferloop);
    t.add(s, QStringLiteral("dataloop"), QStringLiteral("i"), 1, doDataloop);
    t.add(s, QStringLiteral("endloop"), QString(), 0, doEndloop);
    t.add(s, QStringLiteral("timer"), QStringLiteral("di"), 1, doTimer);
    t.add(s, QStringLiteral("stoptimer"), QString(), 0, doStoptimer);
    t.add(s, QStringLiteral("perltimeout"), QStringLiteral("d"), 1, doPerltimeout);
}
