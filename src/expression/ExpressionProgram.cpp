#include "expression/ExpressionProgram.h"

#include "expression/ExpressionMath.h"
#include "expression/ExpressionVectorMath.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace ExpressionMath;

double ExpressionProgram::unary(Op op, double x)
{
    switch (op) {
    case Op::Neg:
        return -x;
    case Op::Int:
        return intPart(x);
    case Op::Frac:
        return fracPart(x);
    case Op::Abs:
        return std::fabs(x);
    case Op::Rad:
        return rad(x);
    case Op::Deg:
        return deg(x);
    case Op::Rnd:
        return rnd(x);
    default:
        return 0.0;
    }
}

double ExpressionProgram::binary(Op op, double a, double b)
{
    switch (op) {
    case Op::Add:
        return a + b;
    case Op::Sub:
        return a - b;
    case Op::Mul:
        return a * b;
    case Op::Div:
        return a / b;
    case Op::Mod:
        return std::fmod(a, b);
    case Op::Pow:
        return power(a, b);
    default:
        return 0.0;
    }
}

double ExpressionProgram::call2(Op op, double a, double b)
{
    switch (op) {
    case Op::Jn:
        return besselJn(a, b);
    case Op::Yn:
        return besselYn(a, b);
    case Op::Round:
        return roundTo(a, b);
    default:
        return 0.0;
    }
}

double ExpressionProgram::call4(Op op, double a, double b, double c, double d)
{
    switch (op) {
    case Op::Gau:
        return gau(a, b, c, d);
    case Op::Lor:
        return lor(a, b, c, d);
    default:
        return 0.0;
    }
}

void ExpressionProgram::clear()
{
    code_.clear();
    names_.clear();
    failMessage_.clear();
    stack_.clear();
    depth_ = 0;
    maxDepth_ = 0;
    unresolvedLeft_ = 0;
    resolvedAt_ = 0;
}

void ExpressionProgram::push(Instr i, int depthChange)
{
    code_.push_back(i);
    depth_ += depthChange;
    if (depth_ > maxDepth_)
        maxDepth_ = depth_;
}

// Where the last complete operand begins: the shortest tail of the code
// that leaves exactly one more value on the stack.
size_t ExpressionProgram::lastOperandStart() const
{
    int pushed = 0;
    for (size_t i = code_.size(); i-- > 0;) {
        switch (code_[i].op) {
        case Op::Const:
        case Op::Load:
        case Op::Unresolved:
        case Op::Doc0:
            ++pushed;
            break;
        case Op::Add:
        case Op::Sub:
        case Op::Mul:
        case Op::Div:
        case Op::Mod:
        case Op::Pow:
        case Op::Jn:
        case Op::Yn:
        case Op::Round:
        case Op::Doc2:
        case Op::Line:
            --pushed;
            break;
        case Op::Gau:
        case Op::Lor:
            pushed -= 3;
            break;
        default:
            break;
        }
        if (pushed == 1)
            return i;
    }
    return 0;
}

bool ExpressionProgram::lastIsConst(size_t n) const
{
    // A constant is always a whole operand (every longer operand ends with an
    // operation), so n trailing constants are exactly the last n operands.
    if (code_.size() < n)
        return false;
    for (size_t i = code_.size() - n; i < code_.size(); ++i)
        if (code_[i].op != Op::Const)
            return false;
    return true;
}

void ExpressionProgram::emitConst(double k)
{
    push({Op::Const, {}, 0, k, nullptr, nullptr}, +1);
}

void ExpressionProgram::emitLoad(int slot)
{
    push({Op::Load, {}, slot, 0.0, nullptr, nullptr}, +1);
}

void ExpressionProgram::emitUnresolved(const std::string& name)
{
    names_.push_back({name, "Undefined variable: " + name});
    ++unresolvedLeft_;
    push({Op::Unresolved, {}, static_cast<int32_t>(names_.size() - 1), 0.0, nullptr, nullptr}, +1);
}

void ExpressionProgram::emitUnary(Op op)
{
    if (op != Op::Rnd && lastIsConst(1)) {
        code_.back().k = unary(op, code_.back().k);
        return;
    }
    push({op, {}, 0, 0.0, nullptr, nullptr}, 0);
}

void ExpressionProgram::emitCall1(MathFunction f, BlockFunction block)
{
    if (lastIsConst(1)) {
        code_.back().k = f(code_.back().k);
        return;
    }
    push({Op::Call1, {}, 0, 0.0, f, block}, 0);
}

void ExpressionProgram::emitBinary(Op op)
{
    if (lastIsConst(2)) {
        const double b = code_.back().k;
        code_.pop_back();
        code_.back().k = binary(op, code_.back().k, b);
        --depth_;
        return;
    }
    if (lastIsConst(1)) {
        // The right operand is a constant: fold it into the operation.
        Instr& last = code_.back();
        switch (op) {
        case Op::Add:
            last.op = Op::AddK;
            break;
        case Op::Sub:
            last.op = Op::SubK;
            break;
        case Op::Mul:
        case Op::Div:
            last.op = op == Op::Mul ? Op::MulK : Op::DivK;
            // (-a) * k and (-a) / k are a * -k and a / -k, bit for bit
            // (but for the sign of a NaN): one operation less per point.
            if (code_.size() >= 2 && code_[code_.size() - 2].op == Op::Neg) {
                last.k = -last.k;
                code_.erase(code_.end() - 2);
            }
            break;
        case Op::Mod:
            last.op = Op::ModK;
            break;
        case Op::Pow:
            last.op = Op::PowK;
            break;
        default:
            break;
        }
        --depth_;
        return;
    }
    if (op == Op::Pow) {
        // A constant base (e^x, 2^x): the operation holds it, and the
        // whole-block form may take a faster road for it.
        const size_t right = lastOperandStart();
        if (right > 0 && code_[right - 1].op == Op::Const) {
            const double base = code_[right - 1].k;
            code_.erase(code_.begin() + static_cast<std::ptrdiff_t>(right - 1));
            push({Op::KPow, {}, 0, base, nullptr, nullptr}, -1);
            return;
        }
    }
    push({op, {}, 0, 0.0, nullptr, nullptr}, -1);
}

void ExpressionProgram::emitCall2(Op op)
{
    if (lastIsConst(2)) {
        const double b = code_.back().k;
        code_.pop_back();
        code_.back().k = call2(op, code_.back().k, b);
        --depth_;
        return;
    }
    push({op, {}, 0, 0.0, nullptr, nullptr}, -1);
}

void ExpressionProgram::emitCall4(Op op)
{
    if (lastIsConst(4)) {
        const size_t n = code_.size();
        const double v = call4(op, code_[n - 4].k, code_[n - 3].k, code_[n - 2].k, code_[n - 1].k);
        code_.resize(n - 3);
        code_.back().k = v;
        depth_ -= 3;
        return;
    }
    push({op, {}, 0, 0.0, nullptr, nullptr}, -3);
}

void ExpressionProgram::emitDoc(DocFunction which, int arity)
{
    // Document reads are never folded: the document changes between runs.
    switch (arity) {
    case 0:
        push({Op::Doc0, which, 0, 0.0, nullptr, nullptr}, +1);
        break;
    case 1:
        push({Op::Doc1, which, 0, 0.0, nullptr, nullptr}, 0);
        break;
    default:
        push({Op::Doc2, which, 0, 0.0, nullptr, nullptr}, -1);
        break;
    }
}

void ExpressionProgram::emitLine()
{
    push({Op::Line, {}, 0, 0.0, nullptr, nullptr}, -1);
}

void ExpressionProgram::emitFail(const std::string& message)
{
    failMessage_ = message;
    push({Op::Fail, {}, 0, 0.0, nullptr, nullptr}, 0);
}

void ExpressionProgram::finish()
{
    if (code_.empty() || code_.back().op != Op::Fail)
        push({Op::End, {}, 0, 0.0, nullptr, nullptr}, 0);
    // With the top of the stack held in a register, memory holds at most
    // maxDepth_ entries (the bottom one a placeholder).
    stack_.assign(static_cast<size_t>(maxDepth_) + 1, 0.0);
}

void ExpressionProgram::resolve(const std::vector<std::string>& names)
{
    for (Instr& i : code_) {
        if (i.op != Op::Unresolved)
            continue;
        const std::string& wanted = names_[static_cast<size_t>(i.a)].name;
        for (size_t slot = 0; slot < names.size(); ++slot) {
            if (names[slot] == wanted) {
                i.op = Op::Load;
                i.a = static_cast<int32_t>(slot);
                --unresolvedLeft_;
                break;
            }
        }
    }
    resolvedAt_ = names.size();
}

const std::string* ExpressionProgram::run(const double* values, size_t variableCount, double& lastResult)
{
    double acc = 0.0;
    double* sp = stack_.data();
    int lastError = -1;
    for (const Instr* ip = code_.data();; ++ip) {
        switch (ip->op) {
        case Op::Const:
            *sp++ = acc;
            acc = ip->k;
            break;
        case Op::Load:
            *sp++ = acc;
            acc = values[ip->a];
            break;
        case Op::Unresolved:
            // An undefined name stands for slot 0 and fails the evaluation.
            *sp++ = acc;
            acc = variableCount ? values[0] : 0.0;
            lastError = ip->a;
            break;
        case Op::Neg:
            acc = -acc;
            break;
        case Op::Add:
            acc = *--sp + acc;
            break;
        case Op::Sub:
            acc = *--sp - acc;
            break;
        case Op::Mul:
            acc = *--sp * acc;
            break;
        case Op::Div:
            acc = *--sp / acc;
            break;
        case Op::Mod:
            acc = std::fmod(*--sp, acc);
            break;
        case Op::Pow:
            acc = power(*--sp, acc);
            break;
        case Op::AddK:
            acc = acc + ip->k;
            break;
        case Op::SubK:
            acc = acc - ip->k;
            break;
        case Op::MulK:
            acc = acc * ip->k;
            break;
        case Op::DivK:
            acc = acc / ip->k;
            break;
        case Op::ModK:
            acc = std::fmod(acc, ip->k);
            break;
        case Op::PowK:
            acc = power(acc, ip->k);
            break;
        case Op::KPow:
            acc = power(ip->k, acc);
            break;
        case Op::Call1:
            acc = ip->f(acc);
            break;
        case Op::Int:
            acc = intPart(acc);
            break;
        case Op::Frac:
            acc = fracPart(acc);
            break;
        case Op::Abs:
            acc = std::fabs(acc);
            break;
        case Op::Rad:
            acc = rad(acc);
            break;
        case Op::Deg:
            acc = deg(acc);
            break;
        case Op::Rnd:
            acc = rnd(acc);
            break;
        case Op::Jn:
            acc = besselJn(*--sp, acc);
            break;
        case Op::Yn:
            acc = besselYn(*--sp, acc);
            break;
        case Op::Round:
            acc = roundTo(*--sp, acc);
            break;
        case Op::Gau:
            sp -= 3;
            acc = gau(sp[0], sp[1], sp[2], acc);
            break;
        case Op::Lor:
            sp -= 3;
            acc = lor(sp[0], sp[1], sp[2], acc);
            break;
        case Op::Doc0:
            *sp++ = acc;
            acc = ExpressionDocumentFunctions::call(ip->doc, 0.0, 0.0);
            break;
        case Op::Doc1:
            acc = ExpressionDocumentFunctions::call(ip->doc, acc, 0.0);
            break;
        case Op::Doc2:
            acc = ExpressionDocumentFunctions::call(ip->doc, *--sp, acc);
            break;
        case Op::Line:
            lastResult = acc;
            acc = *--sp;
            break;
        case Op::Fail:
            return &failMessage_;
        case Op::End:
            return lastError >= 0 ? &names_[static_cast<size_t>(lastError)].message : nullptr;
        }
    }
}

int ExpressionProgram::lineCount() const
{
    int lines = 0;
    for (const Instr& i : code_)
        lines += i.op == Op::Line;
    return lines;
}

bool ExpressionProgram::blockable() const
{
    if (code_.empty())
        return false;
    for (const Instr& i : code_) {
        switch (i.op) {
        case Op::Unresolved:
        case Op::Rnd:
        case Op::Doc0:
        case Op::Doc1:
        case Op::Doc2:
        case Op::Fail:
            return false;
        default:
            break;
        }
    }
    return true;
}

// The loops of the block operations, compiled for AVX2 as well where the CPU
// has it: wider, with the same operations in the same order.
#if defined(__x86_64__) && !defined(__clang__)
#define VEXA_BLOCK_LOOPS __attribute__((target_clones("avx2", "default")))
#else
#define VEXA_BLOCK_LOOPS
#endif

ExpressionProgram::BlockScratch ExpressionProgram::blockScratch() const
{
    const std::size_t entries = static_cast<std::size_t>(maxDepth_) + 2;
    return {std::vector<double>(entries * BlockSize), std::vector<const double*>(entries)};
}

VEXA_BLOCK_LOOPS void ExpressionProgram::runBlock(const double* values, const double* const* columns,
                                                  std::size_t n, BlockScratch& scratch, double* out) const
{
    // The stack of run(), one block of values per entry. Entry `top` is the
    // accumulator. An entry's values lie where operands[entry] points: its
    // own block once an operation has written them, or a column a load
    // left in place. Operations read their operands where they lie and
    // write the entry they leave, the lowest one they used.
    constexpr std::size_t B = BlockSize;
    double* const blocks = scratch.values.data();
    const double** const at = scratch.operands.data();
    std::size_t top = 0;
    for (const Instr* ip = code_.data();; ++ip) {
        const double* const acc = at[top];
        const double* const below = top > 0 ? at[top - 1] : nullptr;
        // The operation that ends a line writes out itself: every input it
        // reads at point i it reads before writing out[i].
        const bool endsLine = ip->op != Op::End && ip[1].op == Op::Line;
        double* const accOut = endsLine ? out : blocks + top * B;
        double* const belowOut = top == 0 ? nullptr : endsLine ? out : blocks + (top - 1) * B;
        // One operation over the block: on the accumulator, or with the
        // entry below it as the left operand, the result left there.
        const auto map = [&](auto f) {
            for (std::size_t i = 0; i < n; ++i)
                accOut[i] = f(acc[i]);
            at[top] = accOut;
        };
        const auto fold = [&](auto f) {
            for (std::size_t i = 0; i < n; ++i)
                belowOut[i] = f(below[i], acc[i]);
            at[--top] = belowOut;
        };
        // A function of the accumulator with a whole-block form, followed by
        // an addition, subtraction or multiplication with the entry below:
        // the two in one pass, the function's values joined to the entry's
        // on their way out. `apply` runs the function with that join.
        const auto joining = [&](auto apply) {
            const Op then = ip[1].op;
            if (top == 0 || (then != Op::Add && then != Op::Sub && then != Op::Mul)) {
                apply(accOut, ExpressionVectorMath::Join{});
                at[top] = accOut;
                return;
            }
            using Join = ExpressionVectorMath::Join;
            const Join::Op op = then == Op::Add ? Join::Op::Add
                : then == Op::Sub               ? Join::Op::Subtract
                                                : Join::Op::Multiply;
            double* const result = ip[2].op == Op::Line ? out : blocks + (top - 1) * B;
            apply(result, Join{op, below});
            at[--top] = result;
            ++ip;
        };
        switch (ip->op) {
        case Op::Const: {
            double* const entry = blocks + ++top * B;
            std::fill(entry, entry + n, ip->k);
            at[top] = entry;
            break;
        }
        case Op::Load:
            ++top;
            if (const double* column = columns[ip->a]) {
                at[top] = column;
            } else {
                double* const entry = blocks + top * B;
                std::fill(entry, entry + n, values[ip->a]);
                at[top] = entry;
            }
            break;
        case Op::Neg:
            map([](double x) { return -x; });
            break;
        case Op::Add:
            fold([](double x, double y) { return x + y; });
            break;
        case Op::Sub:
            fold([](double x, double y) { return x - y; });
            break;
        case Op::Mul:
            fold([](double x, double y) { return x * y; });
            break;
        case Op::Div:
            fold([](double x, double y) { return x / y; });
            break;
        case Op::Mod:
            fold([](double x, double y) { return std::fmod(x, y); });
            break;
        case Op::Pow:
            ExpressionVectorMath::pow(below, acc, belowOut, n);
            at[--top] = belowOut;
            break;
        case Op::AddK:
            map([k = ip->k](double x) { return x + k; });
            break;
        case Op::SubK:
            map([k = ip->k](double x) { return x - k; });
            break;
        case Op::MulK:
            map([k = ip->k](double x) { return x * k; });
            break;
        case Op::DivK:
            joining([&](double* to, ExpressionVectorMath::Join join) {
                ExpressionVectorMath::divide(acc, ip->k, to, n, join);
            });
            break;
        case Op::ModK:
            map([k = ip->k](double x) { return std::fmod(x, k); });
            break;
        case Op::PowK:
            joining([&](double* to, ExpressionVectorMath::Join join) {
                ExpressionVectorMath::powK(acc, ip->k, to, n, join);
            });
            break;
        case Op::KPow:
            joining([&](double* to, ExpressionVectorMath::Join join) {
                ExpressionVectorMath::kPow(ip->k, acc, to, n, join);
            });
            break;
        case Op::Call1:
            if (ip->block)
                joining([&](double* to, ExpressionVectorMath::Join join) { ip->block(acc, to, n, join); });
            else
                map(ip->f);
            break;
        case Op::Int:
            map(intPart);
            break;
        case Op::Frac:
            map(fracPart);
            break;
        case Op::Abs:
            map([](double x) { return std::fabs(x); });
            break;
        case Op::Rad:
            map(rad);
            break;
        case Op::Deg:
            map(deg);
            break;
        case Op::Jn:
            fold(besselJn);
            break;
        case Op::Yn:
            fold(besselYn);
            break;
        case Op::Round:
            fold(roundTo);
            break;
        case Op::Gau:
        case Op::Lor: {
            const double* const x = at[top - 3];
            const double* const x0 = at[top - 2];
            const double* const h = below;
            double* const result = endsLine ? out : blocks + (top - 3) * B;
            for (std::size_t i = 0; i < n; ++i)
                result[i]
                    = ip->op == Op::Gau ? gau(x[i], x0[i], h[i], acc[i]) : lor(x[i], x0[i], h[i], acc[i]);
            top -= 3;
            at[top] = result;
            break;
        }
        case Op::Line:
            if (acc != out)
                std::memcpy(out, acc, n * sizeof(double));
            --top;
            break;
        case Op::End:
            return;
        case Op::Unresolved:
        case Op::Rnd:
        case Op::Doc0:
        case Op::Doc1:
        case Op::Doc2:
        case Op::Fail:
            return; // never in a blockable program
        }
    }
}
