#pragma once

#include "expression/ExpressionProgram.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// One run of the scanner and parser over a prepared text. The parser
// evaluates as it reduces (each rule's value computed on its value stack,
// variables read at that moment) and, when given a program, records every
// operation it performs into it. All parser state lives in this object and in
// the scanner and parser stacks it owns for the run.
class ExpressionCompiler {
public:
    // names and values: the variable table (values read at reduction time).
    // lastResult: the value of the last completed line; a completed line
    // stores into it. program may be null: evaluation only.
    ExpressionCompiler(const std::vector<std::string>& names, const double* values, double& lastResult,
                       ExpressionProgram* program);

    // Scans and parses `text` (ASCII; a NUL ends it). Returns false when the
    // evaluation raised an error; message() then holds the last one.
    bool run(std::string_view text);
    bool failed() const { return failed_; }
    const std::string& message() const { return message_; }

    // Called by the scanner.
    double number(const char* text, size_t length);
    int identifier(const char* text, size_t length, int* code); // token kind

    // Called by the parser's actions; each returns the rule's value.
    double constant(double k);
    double variable(int code);
    double prefix(int keyword, double x);
    double negate(double x);
    double binary(ExpressionProgram::Op op, double a, double b);
    double call2(int keyword, double a, double b);
    double call4(int keyword, double a, double b, double c, double d);
    double documentValue(int keyword);
    void line(double value);
    void error(const char* message);

private:
    void raise(std::string message);

    const std::vector<std::string>& names_;
    const double* values_;
    double& lastResult_;
    ExpressionProgram* program_;
    std::vector<std::string> undefined_;
    bool failed_ = false;
    std::string message_;
};

// How a keyword of the language is written.
enum class ExpressionKeywordForm {
    Prefix, // before its operand, binding looser than "mod": sin x
    PrefixTight, // before its operand, binding tighter than "mod": sqrt x
    Operator, // between two operands: a mod b
    Call, // with its arguments in parentheses, separated by ";": round(x; n)
    Constant, // a value without arguments: pi, txmax
};

struct ExpressionKeyword {
    const char* name;
    ExpressionKeywordForm form;
    int arguments;
};

// Every keyword the scanner knows, in its order: the functions, operators
// and constants of the language (the help pages list them from here).
std::vector<ExpressionKeyword> expressionKeywords();

// The generated scanner-and-parser pair behind ExpressionCompiler::run. buffer
// must be writable and end with two NUL bytes (counted in size).
int vexaexprScanAndParse(ExpressionCompiler* compiler, char* buffer, size_t size);
