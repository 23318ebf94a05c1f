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
    case Op::Neg: return -x;
    case Op::Int: return intPart(x);
    case Op::Frac: return fracPart(x);
    case Op::Abs: return std::fabs(x);
    case Op::Rad: return rad(x);
    case Op::Deg: return deg(x);
    case Op::Rnd: return rnd(x);
    default: return 0.0;
    }
}

double ExpressionProgram::binary(Op op, double a, double b)
{
    switch (op) {
    case Op::Add: return a + b;
    case Op::Sub: return a - b;
    case Op::Mul: return a * b;
    case Op::Div: return a / b;
    case Op::Mod: return std::fmod(a, b);
    case Op::Pow: return power(a, b);
    default: return 0.0;
    }
}

double ExpressionProgram::call2(Op op, double a, double b)
{
    switch (op) {
    case Op::Jn: return besselJn(a, b);
    case Op::Yn: return besselYn(a, b);
    case Op::Round: return roundTo(a, b);
    default: return 0.0;
    }
}

double ExpressionProgram::call4(Op op, double a, double b, double c, double d)
{
    switch (op) {
    case Op::Gau: return gau(a, b, c, d);
    case Op::Lor: return lor(a, b, c, d);
    default: return 0.0;
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
        case Op::Add: last.op = Op::AddK; break;
        case Op::Sub: last.op = Op::SubK; break;
        case Op::Mul: last.op = Op::MulK; break;
        case Op::Div: last.op = Op::DivK; break;
        case Op::Mod: last.op = Op::ModK; break;
        case Op::Pow: last.op = Op::PowK; break;
        default: break;
        }
        --depth_;
        return;
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
        case Op::Const: *sp++ = acc; acc = ip->k; break;
        case Op::Load: *sp++ = acc; acc = values[ip->a]; break;
        case Op::Unresolved:
            // An undefined name stands for slot 0 and fails the evaluation.
            *sp++ = acc;
            acc = variableCount ? values[0] : 0.0;
            lastError = ip->a;
            break;
        case Op::Neg: acc = -acc; break;
        case Op::Add: acc = *--sp + acc; break;
        case Op::Sub: acc = *--sp - acc; break;
        case Op::Mul: acc = *--sp * acc; break;
        case Op::Div: acc = *--sp / acc; break;
        case Op::Mod: acc = std::fmod(*--sp, acc); break;
        case Op::Pow: acc = power(*--sp, acc); break;
        case Op::AddK: acc = acc + ip->k; break;
        case Op::SubK: acc = acc - ip->k; break;
        case Op::MulK: acc = acc * ip->k; break;
        case Op::DivK: acc = acc / ip->k; break;
        case Op::ModK: acc = std::fmod(acc, ip->k); break;
        case Op::PowK: acc = power(acc, ip->k); break;
        case Op::Call1: acc = ip->f(acc); break;
        case Op::Int: acc = intPart(acc); break;
        case Op::Frac: acc = fracPart(acc); break;
        case Op::Abs: acc = std::fabs(acc); break;
        case Op::Rad: acc = rad(acc); break;
        case Op::Deg: acc = deg(acc); break;
        case Op::Rnd: acc = rnd(acc); break;
        case Op::Jn: acc = besselJn(*--sp, acc); break;
        case Op::Yn: acc = besselYn(*--sp, acc); break;
        case Op::Round: acc = roundTo(*--sp, acc); break;
        case Op::Gau: sp -= 3; acc = gau(sp[0], sp[1], sp[2], acc); break;
        case Op::Lor: sp -= 3; acc = lor(sp[0], sp[1], sp[2], acc); break;
        case Op::Doc0: *sp++ = acc; acc = ExpressionDocumentFunctions::call(ip->doc, 0.0, 0.0); break;
        case Op::Doc1: acc = ExpressionDocumentFunctions::call(ip->doc, acc, 0.0); break;
        case Op::Doc2: acc = ExpressionDocumentFunctions::call(ip->doc, *--sp, acc); break;
        case Op::Line: lastResult = acc; acc = *--sp; break;
        case Op::Fail: return &failMessage_;
        case Op::End: return lastError >= 0 ? &names_[static_cast<size_t>(lastError)].message : nullptr;
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

void ExpressionProgram::runBlock(const double* values, const double* const* columns, std::size_t n,
                                 double* scratch, double* out) const
{
    // The stack of run(), one block of values per entry: buffer `top` is the
    // accumulator, the ones below it the stack. Operations take their left
    // operands from below and leave the result in the lowest one they used.
    double* top = scratch;
    constexpr std::size_t B = BlockSize;
    for (const Instr* ip = code_.data();; ++ip) {
        double* const acc = top;
        double* const below = top - B;
        // One operation over the block: in place on the accumulator, or
        // with the entry below it as the left operand, the result left there.
        const auto map = [&](auto f) {
            for (std::size_t i = 0; i < n; ++i)
                acc[i] = f(acc[i]);
        };
        const auto fold = [&](auto f) {
            for (std::size_t i = 0; i < n; ++i)
                below[i] = f(below[i], acc[i]);
            top = below;
        };
        switch (ip->op) {
        case Op::Const:
            top += B;
            std::fill(top, top + n, ip->k);
            break;
        case Op::Load:
            top += B;
            if (const double* column = columns[ip->a])
                std::memcpy(top, column, n * sizeof(double));
            else
                std::fill(top, top + n, values[ip->a]);
            break;
        case Op::Neg: map([](double x) { return -x; }); break;
        case Op::Add: fold([](double x, double y) { return x + y; }); break;
        case Op::Sub: fold([](double x, double y) { return x - y; }); break;
        case Op::Mul: fold([](double x, double y) { return x * y; }); break;
        case Op::Div: fold([](double x, double y) { return x / y; }); break;
        case Op::Mod: fold([](double x, double y) { return std::fmod(x, y); }); break;
        case Op::Pow:
            ExpressionVectorMath::pow(below, acc, n);
            top = below;
            break;
        case Op::AddK: map([k = ip->k](double x) { return x + k; }); break;
        case Op::SubK: map([k = ip->k](double x) { return x - k; }); break;
        case Op::MulK: map([k = ip->k](double x) { return x * k; }); break;
        case Op::DivK: map([k = ip->k](double x) { return x / k; }); break;
        case Op::ModK: map([k = ip->k](double x) { return std::fmod(x, k); }); break;
        case Op::PowK: ExpressionVectorMath::powK(acc, ip->k, n); break;
        case Op::Call1:
            if (ip->block)
                ip->block(acc, n);
            else
                map(ip->f);
            break;
        case Op::Int: map(intPart); break;
        case Op::Frac: map(fracPart); break;
        case Op::Abs: map([](double x) { return std::fabs(x); }); break;
        case Op::Rad: map(rad); break;
        case Op::Deg: map(deg); break;
        case Op::Jn: fold(besselJn); break;
        case Op::Yn: fold(besselYn); break;
        case Op::Round: fold(roundTo); break;
        case Op::Gau:
        case Op::Lor: {
            double* const a = top - 3 * B;
            const double* const x0 = top - 2 * B;
            const double* const h = below;
            for (std::size_t i = 0; i < n; ++i)
                a[i] = ip->op == Op::Gau ? gau(a[i], x0[i], h[i], acc[i]) : lor(a[i], x0[i], h[i], acc[i]);
            top = a;
            break;
        }
        case Op::Line:
            std::memcpy(out, acc, n * sizeof(double));
            top = below;
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
