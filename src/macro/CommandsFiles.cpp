// Files, imports and sub-views: documents, picture and ASCII export, the ASCII,
// binary, MySQL, EPICS and perl imports, the perl filter, and sub-views.

#include "macro/Macro.h"
#include "macro/MacroCommandFamilies.h"
#include "macro/MacroCommandTable.h"
#include "macro/MacroHost.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

namespace {
using Section = MacroCommandTable::Section;

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
    if (m.inlineperl.isEmpty() || !QFileInfo(m.inlineperl).isFile())
        return;
    QFile file(m.inlineperl);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // A macro of its own for the inline code; its job carries on after it
    // is gone. The tokeniser wrote the code as the source's own UTF-8.
    Macro inlineMacro(QString(), QString::fromUtf8(file.readAll()), 0, type);
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

} // namespace

void registerFileCommands(MacroCommandTable& t)
{
    auto pending = [&t](Section s, const char* name, const char* signature, int minimum,
                        ArgumentGuard guard = ArgumentGuard::always()) {
        t.addPending(s, QLatin1String(name), QLatin1String(signature), minimum, guard);
    };

    pending(Section::Files, "new", "", 0);
    pending(Section::Files, "close", "", 0);
    pending(Section::Files, "open", "s", 1);
    pending(Section::Files, "save", "", 0);
    pending(Section::Files, "saveas", "s", 1);
    pending(Section::Files, "savepng", "si", 1);
    pending(Section::Files, "savejpg", "si", 1);
    pending(Section::Files, "savepdf", "s", 1);
    pending(Section::Files, "saveeps", "s", 1);
    pending(Section::Files, "printdoc", "", 0);
    pending(Section::Files, "import", "sisiisss", 2);
    pending(Section::Files, "binaryimport", "siiiis", 5);
    pending(Section::Files, "mysqlimport", "ssssis", 6);
    t.add(Section::Files, QStringLiteral("perlimport"), QStringLiteral("ss"), 1, doPerlimport);
    t.add(Section::Files, QStringLiteral("perlfilter"), QStringLiteral("bs"), 1, doPerlfilter);
    pending(Section::Files, "epicsimport", "ss", 1);
    pending(Section::Files, "epicstimeout", "d", 1);
    pending(Section::Files, "epicsmaxarray", "s", 1);
    pending(Section::Files, "epicsaddrlist", "s", 1);
    pending(Section::Files, "epicssetvar", "ss", 2);
    pending(Section::Files, "export", "sib", 3);

    pending(Section::Subviews, "subview", "dddd", 4);
    pending(Section::Subviews, "sizeview", "dddd", 4);
    pending(Section::Subviews, "changeview", "i", 1);
    pending(Section::Subviews, "deleteview", "u", 1);
}
