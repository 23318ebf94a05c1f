#include "macro/MacroCommandTable.h"

#include "macro/Macro.h"
#include "macro/MacroCommandFamilies.h"

#include <algorithm>

bool ArgumentGuard::admits(int argumentCount) const
{
    switch (kind_) {
    case Kind::Always:
        return true;
    case Kind::AtLeast:
        return argumentCount >= counts_.front();
    case Kind::OneOf:
        return std::find(counts_.begin(), counts_.end(), argumentCount) != counts_.end();
    case Kind::NoneOf:
        return std::find(counts_.begin(), counts_.end(), argumentCount) == counts_.end();
    }
    return false;
}

void MacroCommandTable::add(Section section, const QString& name, const QString& signature, int minimum,
                            MacroCommandBody body, ArgumentGuard guard)
{
    MacroCommandForm form;
    form.name = name.toLower();
    form.signature = signature;
    form.minimum = minimum;
    form.guard = std::move(guard);
    form.body = std::move(body);
    sections_[std::size_t(section)].push_back(std::move(form));
}

void MacroCommandTable::addPending(Section section, const QString& name, const QString& signature,
                                   int minimum, ArgumentGuard guard)
{
    add(section, name, signature, minimum, &MacroCommandTable::reportPending, std::move(guard));
    sections_[std::size_t(section)].back().built = false;
}

void MacroCommandTable::reportPending(Macro& macro, const MacroCommandCall& call)
{
    macro.macroError(
        QStringLiteral("Command not yet implemented: %1\n").arg(call.tokens.join(QLatin1Char(' '))));
    ++macro.ERR;
}

const MacroCommandTable& MacroCommandTable::instance()
{
    // Built in place: the name index points into the sections.
    static const MacroCommandTable* const table = [] {
        auto* t = new MacroCommandTable;
        registerMiscCommands(*t);
        registerControlCommands(*t);
        registerDataOperationCommands(*t);
        registerPageLegendCommands(*t);
        registerBufferStyleCommands(*t);
        registerAxisCommands(*t);
        registerTextCommands(*t);
        registerFileCommands(*t);
        t->index();
        return t;
    }();
    return *table;
}

namespace {

// The commands that act on no document: a run whose document has closed
// still opens or makes another, computes, prints, asks and loops.
// clang-format off
constexpr const char* documentFreeCommands[] = {
    "new", "open", "changeview",
    "if", "else", "endif", "loop", "endloop", "timer", "stoptimer", "perltimeout",
    "ask", "askoption", "browse", "input", "print", "sleep", "setwarn",
    "colormode", "clr", "setvar", "setstring", "eval", "format", "hideapp", "quitapp",
    "epicstimeout", "epicsmaxarray", "epicsaddrlist", "epicssetvar",
};
// clang-format on

} // namespace

void MacroCommandTable::index()
{
    byName_.clear();
    for (auto& section : sections_)
        for (MacroCommandForm& form : section) {
            form.needsDocument
                = std::none_of(std::begin(documentFreeCommands), std::end(documentFreeCommands),
                               [&form](const char* name) { return form.name == QLatin1String(name); });
            byName_[form.name.toCaseFolded()].push_back(&form);
        }
}

std::vector<const MacroCommandForm*> MacroCommandTable::forms() const
{
    std::vector<const MacroCommandForm*> all;
    for (const auto& section : sections_)
        for (const MacroCommandForm& form : section)
            all.push_back(&form);
    return all;
}

int MacroCommandTable::size() const
{
    int n = 0;
    for (const auto& section : sections_)
        n += int(section.size());
    return n;
}

const std::vector<const MacroCommandForm*>& MacroCommandTable::formsNamed(const QString& word) const
{
    static const std::vector<const MacroCommandForm*> none;
    const auto it = byName_.constFind(word.toCaseFolded());
    return it == byName_.constEnd() ? none : it.value();
}
