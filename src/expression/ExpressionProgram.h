#pragma once

#include "expression/ExpressionDocumentFunctions.h"
#include "expression/ExpressionVectorMath.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The compiled form of one expression text: the operations the parser
// performs, in the order it reduces them, for a stack machine. Replaying it
// does exactly what parsing the text again would do (same values, same order
// of rand() draws and document reads, same undefined-variable errors), without
// scanning and parsing per point.
//
// The trace of a text that fails to parse holds the operations done before the
// error and then the error itself, because parsing it again would do those too.
class ExpressionProgram {
public:
    // clang-format off
    enum class Op : uint8_t {
        Const, Load, Unresolved,
        Neg, Add, Sub, Mul, Div, Mod, Pow,
        AddK, SubK, MulK, DivK, ModK, PowK, // right operand a constant
        KPow,                               // a constant to the power of the operand
        Call1, Int, Frac, Abs, Rad, Deg, Rnd,
        Jn, Yn, Round, Gau, Lor,
        Doc0, Doc1, Doc2,
        Line, Fail, End,
    };
    // clang-format on

    using MathFunction = double (*)(double);
    // The same function over n values (out may be in), where a faster
    // whole-block form exists, its values joined to those of another
    // operand as ExpressionVectorMath::Join says.
    using BlockFunction
        = void (*)(const double* in, double* out, std::size_t n, ExpressionVectorMath::Join join);

    // Emission, in reduction order. The binary and call forms take their
    // operands from the stack; constant operands are folded away where the
    // operation is pure.
    void clear();
    void emitConst(double k);
    void emitLoad(int slot);
    void emitUnresolved(const std::string& name);
    void emitUnary(Op op); // Neg, Int, Frac, Abs, Rad, Deg, Rnd
    void emitCall1(MathFunction f, BlockFunction block = nullptr);
    void emitBinary(Op op); // Add, Sub, Mul, Div, Mod, Pow
    void emitCall2(Op op); // Jn, Yn, Round
    void emitCall4(Op op); // Gau, Lor
    void emitDoc(DocFunction which, int arity);
    void emitLine();
    void emitFail(const std::string& message);
    void finish();

    bool empty() const { return code_.empty(); }
    size_t size() const { return code_.size(); }

    // Names that were undefined when compiled may have been defined since
    // (variables are only ever added): looks them up again in the table when
    // it has grown since the last look-up.
    void resolve(const std::vector<std::string>& names);
    bool needsResolve(size_t variableCount) const
    {
        return unresolvedLeft_ != 0 && variableCount != resolvedAt_;
    }

    // Runs the program over the variable values. A completed line stores its
    // value into lastResult. Returns the message of the last error raised, or
    // nullptr when the run raised none.
    const std::string* run(const double* values, size_t variableCount, double& lastResult);

    // Block evaluation. A program that draws no random numbers, reads no
    // document, names nothing undefined and parses without error gives every
    // point a value that depends on that point's variables alone, so it may
    // run over many points at once and on several threads.
    static constexpr std::size_t BlockSize = 512;
    bool blockable() const;
    // Lines of the text: runBlock writes out once per line, so with one
    // line every input of a block is read before out is written.
    int lineCount() const;
    // What one runBlock call works in; each thread has its own.
    struct BlockScratch {
        // A block per stack entry, and where each entry's values lie.
        std::vector<double> values;
        std::vector<const double*> operands;
    };
    BlockScratch blockScratch() const;
    // Runs a blockable program for n <= BlockSize points: slot s reads
    // columns[s][i] where columns[s] is set and values[s] otherwise. out[i]
    // gets the value of the last line for point i. Keeps no state, so calls
    // may run side by side with their own scratch. Columns are read where
    // they lie, not copied.
    void runBlock(const double* values, const double* const* columns, std::size_t n, BlockScratch& scratch,
                  double* out) const;

    // The pure operations, shared with the parser's direct evaluation.
    static double unary(Op op, double x);
    static double binary(Op op, double a, double b);
    static double call2(Op op, double a, double b);
    static double call4(Op op, double a, double b, double c, double d);

private:
    struct Instr {
        Op op;
        DocFunction doc;
        int32_t a; // slot, name index
        double k; // constant
        MathFunction f; // for Call1
        BlockFunction block; // for Call1, or null
    };
    struct Name {
        std::string name;
        std::string message;
    };

    void push(Instr i, int depthChange);
    bool lastIsConst(size_t n) const;
    size_t lastOperandStart() const;

    std::vector<Instr> code_;
    std::vector<Name> names_;
    std::string failMessage_;
    std::vector<double> stack_;
    int depth_ = 0;
    int maxDepth_ = 0;
    size_t unresolvedLeft_ = 0;
    size_t resolvedAt_ = 0;
};
