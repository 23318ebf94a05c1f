// Scaling, buffers, data points, interaction and miscellany: the forms
// before and after the control flow, and the last eight of the table.

#include "macro/Macro.h"
#include "macro/MacroCommandFamilies.h"
#include "macro/MacroCommandTable.h"
#include "macro/MacroFormat.h"
#include "macro/MacroHost.h"
#include "model/ManagerServices.h"

#include <algorithm>
#include <cmath>

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
    const std::optional<QString> text = MacroFormat::fill(m.S.value(1), &m.D[2], MacroFormat::maxConversions, &reason);
    if (!text) {
        m.macroError(QStringLiteral("Invalid format (%1): %2\n").arg(reason, call.tokens.join(QLatin1Char(' '))));
        ++m.ERR;
        return;
    }
    if (m.M)
        m.M->stringVariables().insert(m.S.value(0), *text);
}

} // namespace

void registerMiscCommands(MacroCommandTable& t)
{
    auto pending = [&t](Section s, const char* name, const char* signature, int minimum) {
        t.addPending(s, QLatin1String(name), QLatin1String(signature), minimum);
    };

    pending(Section::Scaling, "range", "add", 3);
    pending(Section::Scaling, "rescale", "u", 0);
    pending(Section::Scaling, "upscale", "id", 1);
    pending(Section::Scaling, "downscale", "id", 1);

    pending(Section::Buffers, "select", "b", 1);
    pending(Section::Buffers, "setcurrent", "i", 1);
    pending(Section::Buffers, "invertselection", "", 0);
    pending(Section::Buffers, "hide", "b", 1);
    pending(Section::Buffers, "show", "b", 1);
    pending(Section::Buffers, "delete", "b", 1);
    pending(Section::Buffers, "duplicate", "b", 1);
    pending(Section::Buffers, "setcomment", "bu", 2);
    pending(Section::Buffers, "addcomment", "bu", 2);
    pending(Section::Buffers, "getcomment", "is", 2);
    pending(Section::Buffers, "setsource", "bu", 2);
    pending(Section::Buffers, "addsource", "bu", 2);
    pending(Section::Buffers, "getsource", "is", 2);
    pending(Section::Buffers, "belongx", "bu", 2);
    pending(Section::Buffers, "belongy", "bu", 2);

    pending(Section::DataPoints, "addvalue", "idddd", 3);
    pending(Section::DataPoints, "setxvalue", "iid", 3);
    pending(Section::DataPoints, "setxerror", "iid", 3);
    pending(Section::DataPoints, "setyvalue", "iid", 3);
    pending(Section::DataPoints, "setyerror", "iid", 3);
    pending(Section::DataPoints, "rmvalue", "ii", 2);
    pending(Section::DataPoints, "newbuffer", "", 0);

    pending(Section::Interaction, "ask", "sss", 1);
    pending(Section::Interaction, "askoption", "sss", 3);
    pending(Section::Interaction, "browse", "", 0);
    pending(Section::Interaction, "input", "s", 0);
    pending(Section::Interaction, "plot", "", 0);
    t.add(Section::Interaction, QStringLiteral("print"), QStringLiteral("uuuuuuuuuuuuuuuu"), 0, doPrint);
    t.add(Section::Interaction, QStringLiteral("sleep"), QStringLiteral("d"), 1, doSleep);
    pending(Section::Interaction, "setwarn", "i", 1);

    pending(Section::Miscellany, "colormode", "i", 1);
    t.add(Section::Miscellany, QStringLiteral("clr"), QString(), 0, doClr);
    t.add(Section::Miscellany, QStringLiteral("setvar"), QStringLiteral("sd"), 2, doSetvar);
    t.add(Section::Miscellany, QStringLiteral("setstring"), QStringLiteral("uu"), 2, doSetstring);
    t.add(Section::Miscellany, QStringLiteral("eval"), QStringLiteral("su"), 2, doEval);
    t.add(Section::Miscellany, QStringLiteral("format"), QStringLiteral("ssddddddddd"), 2, doFormat);
    pending(Section::Miscellany, "hideapp", "", 0);
    pending(Section::Miscellany, "quitapp", "", 0);
}
