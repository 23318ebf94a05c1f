#pragma once

// The command interpreter tries every command form of the macro language in
// one fixed order. That order is the order of the sections below and, inside
// a section, the order in which a family registers its forms. Each family of
// commands lives in a source file of its own with one registration function
// (MacroCommandFamilies.h) that adds its forms to their sections; the table
// calls every registration function once, when it is first used.
//
// A form runs when its guard admits the number of arguments and
// Macro::chk accepts the tokens under the form's name, signature and
// minimum; trying goes on after a form ran (a name may own several forms,
// and some names run two of them for one command).

#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

class Macro;

// Which numbers of arguments (tokens after the command word) let a form be
// tried at all. Forms of one name that take a colour as numbers or as a word
// are told apart this way, before the name is compared.
class ArgumentGuard {
public:
    static ArgumentGuard always() { return ArgumentGuard(Kind::Always, {}); }
    static ArgumentGuard atLeast(int n) { return ArgumentGuard(Kind::AtLeast, {n}); }
    static ArgumentGuard exactly(int n) { return ArgumentGuard(Kind::OneOf, {n}); }
    static ArgumentGuard oneOf(std::initializer_list<int> counts)
    {
        return ArgumentGuard(Kind::OneOf, counts);
    }
    static ArgumentGuard noneOf(std::initializer_list<int> counts)
    {
        return ArgumentGuard(Kind::NoneOf, counts);
    }

    bool admits(int argumentCount) const;

private:
    enum class Kind { Always, AtLeast, OneOf, NoneOf };
    ArgumentGuard(Kind kind, std::initializer_list<int> counts)
            : kind_(kind)
            , counts_(counts)
    {
    }
    Kind kind_;
    std::vector<int> counts_;
};

// What a form's body is given besides the macro (whose argument slots hold
// the parsed arguments): the command's tokens and its index in the run's
// command list (the loop commands remember it).
struct MacroCommandCall {
    const QStringList& tokens;
    int index;
};

using MacroCommandBody = std::function<void(Macro& macro, const MacroCommandCall& call)>;

struct MacroCommandForm {
    QString name; // lower case; matched without regard to case
    QString signature; // one ArgumentSignature letter per argument, at most 16
    int minimum = 0; // fewest arguments
    ArgumentGuard guard = ArgumentGuard::always();
    MacroCommandBody body;
    bool built = true; // false: the body only reports that the command is missing
    bool needsDocument = true; // false: runs also when the run's document has closed
};

class MacroCommandTable {
public:
    // The families in dispatch order.
    enum class Section {
        Scaling,
        Buffers,
        DataPoints,
        ControlFlow,
        Interaction,
        DataOperations,
        Page,
        BufferStyle,
        Axes,
        Legend,
        TextsAndGraphics,
        Files,
        Subviews,
        Miscellany,
    };
    static constexpr int SectionCount = int(Section::Miscellany) + 1;

    // Appends a form to the end of its section.
    void add(Section section, const QString& name, const QString& signature, int minimum,
             MacroCommandBody body, ArgumentGuard guard = ArgumentGuard::always());
    // A form whose command is not part of the program yet: it is recognised
    // and its arguments are checked, then the run stops with
    // "Command not yet implemented: <command>".
    void addPending(Section section, const QString& name, const QString& signature, int minimum,
                    ArgumentGuard guard = ArgumentGuard::always());

    // The one table of the program, made on first use from every family.
    static const MacroCommandTable& instance();

    // Every form in dispatch order.
    std::vector<const MacroCommandForm*> forms() const;
    int size() const;
    int sectionSize(Section section) const { return int(sections_[std::size_t(section)].size()); }

    // The forms of one command word, in dispatch order; empty for a word no
    // form has. Other names never match, so trying only these forms is the
    // same as trying them all.
    const std::vector<const MacroCommandForm*>& formsNamed(const QString& word) const;

    // The body of every pending form.
    static void reportPending(Macro& macro, const MacroCommandCall& call);

private:
    void index();

    std::array<std::vector<MacroCommandForm>, SectionCount> sections_;
    QHash<QString, std::vector<const MacroCommandForm*>> byName_;
};

// The forms of one family in one section, added in the family's order: what
// every family's registration function starts with.
class SectionForms {
public:
    SectionForms(MacroCommandTable& table, MacroCommandTable::Section section)
            : table_(table)
            , section_(section)
    {
    }

    void add(const char* name, const char* signature, int minimum, MacroCommandBody body,
             ArgumentGuard guard = ArgumentGuard::always())
    {
        table_.add(section_, QLatin1String(name), QLatin1String(signature), minimum, std::move(body),
                   std::move(guard));
    }
    void pending(const char* name, const char* signature, int minimum,
                 ArgumentGuard guard = ArgumentGuard::always())
    {
        table_.addPending(section_, QLatin1String(name), QLatin1String(signature), minimum, std::move(guard));
    }

private:
    MacroCommandTable& table_;
    MacroCommandTable::Section section_;
};
