#pragma once

#include "expression/ExpressionProgram.h"

#include <QHash>
#include <QList>
#include <QString>

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

// One-line arithmetic over doubles with up to 256 named variables, used for
// buffer calculations, per-point symbol sizes, axis scale expressions,
// inspector fields and macro arguments.
//
// parse() checks a text once and compiles it; resultValue() then evaluates the
// compiled form with the current variable values, as often as needed. The
// compiled form behaves exactly as scanning and parsing the text again would:
// same value, same order of rand() draws, same undefined-variable errors (a
// name undefined at parse time that is defined later is found).
//
// Per point: look a variable's slot up once with slot(), then setValue() and
// resultValue(). Objects are independent of one another; the only shared
// state is the last error message (errortext()), rand() and the installed
// document functions.
class Expression {
public:
    static constexpr int MaxVariables = 256;

    Expression();
    Expression(const Expression&) = delete;
    Expression& operator=(const Expression&) = delete;
    Expression(Expression&&) = default;
    Expression& operator=(Expression&&) = default;

    // Failed parses then return false silently and leave err() empty.
    void setNoError();
    // Failed parses then set err() but show no alert.
    void setNoAlert();

    // Defines or changes a variable. A new name beyond the 256th is ignored.
    Expression& setVar(const char* name, double value);
    // Every entry of a name -> value table, in its iteration order (the
    // controller's numeric variables).
    Expression& setVars(const QHash<QString, double>& variables);
    // Element i as the variable "r<i>": r0, r1, ... (the controller's list).
    Expression& setGlobalVars(const QList<double>& values);

    // The slot of a defined variable, or -1. Slots never move.
    int slot(const char* name) const;
    // Sets the value of a defined slot; other slots are ignored.
    void setValue(int slot, double value)
    {
        if (slot >= 0 && slot < count())
            value_[static_cast<size_t>(slot)] = value;
    }

    // Prepares the text (every "," becomes ".", then every "**" becomes "^"),
    // compiles it and evaluates it once. Returns false when that evaluation
    // raised an error (syntax error, undefined variable, stack exhausted,
    // non-ASCII text); then, unless switched off, shows the alert "Expression
    // Error" (the message, a line end, "in " and the text as typed) and sets
    // err() to "<message> in <text>".
    bool parse(const QString& text);

    // Evaluates the parsed text with the current variable values. Never
    // reports; failed() and errortext() tell about errors. After an error the
    // value is that of this object's last completed evaluation (0 before).
    double resultValue();

    // One slot's values over a column of points: point i reads values[i], or
    // the number i itself when values is null.
    struct Column {
        int slot;
        const double* values;
    };
    // Evaluates the parsed text for n points into out: for point i each
    // column's slot takes its value i,
    // other slots keep theirs. Texts that draw random numbers or read the
    // document run point by point in order, exactly as setValue() and
    // resultValue() per point would. The others run a block of points per
    // operation, on several threads for long columns, with the block forms
    // of sin, cos, ln and the power operator (small integer powers as
    // products, powers of e through exp): each value within 4 ULP of the
    // per-point result (see ExpressionVectorMath), and the same whatever the
    // column's length or the number of threads.
    // Afterwards the slots hold the last point's values, and failed() and
    // the last result are those of the last point. out may be the values of
    // one of the columns, which the results then replace (each point reads
    // the column as it was); it must not overlap a column otherwise.
    void evaluateColumns(std::span<const Column> columns, std::size_t n, double* out);

    // The same evaluation done by scanning and parsing the prepared text
    // again, without the compiled form: the reference the compiled form must
    // match.
    double resultValueReparsed();

    // Whether the last evaluation (parse, resultValue) of this object raised
    // an error.
    bool failed() const { return failed_; }

    // The last error message raised by any evaluation in the process.
    static QString errortext();

    // The prepared text with its line end, or nullptr before the first parse
    // and after a text that could not be converted to ASCII.
    const char* expr() const { return hasExpr_ ? expr_.c_str() : nullptr; }
    int count() const { return static_cast<int>(name_.size()); }
    const char* name(int slot) const;
    double value(int slot) const;
    bool showerror() const { return showerror_; }
    bool showalert() const { return showalert_; }
    const QString& err() const { return err_; }

private:
    double finishEvaluation(const std::string* message);

    std::string expr_;
    bool hasExpr_ = false;
    std::vector<std::string> name_;
    std::array<double, MaxVariables> value_{};
    bool showerror_ = true;
    bool showalert_ = true;
    QString err_;

    ExpressionProgram program_;
    double lastResult_ = 0.0;
    bool failed_ = false;
};
