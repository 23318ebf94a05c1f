#include "expression/ExpressionCompiler.h"

#include "ExpressionParser.hpp"
#include "expression/ExpressionMath.h"
#include "expression/ExpressionVectorMath.h"
#include "platform/CNumber.h"

#include <cmath>
#include <cstring>

using Op = ExpressionProgram::Op;

namespace {

// The libm functions behind the one-argument keywords. Wrapped so that the
// program can hold plain function pointers (taking the address of a standard
// library function is not allowed).
double fSin(double x)
{
    return std::sin(x);
}
double fCos(double x)
{
    return std::cos(x);
}
double fTan(double x)
{
    return std::tan(x);
}
double fAsin(double x)
{
    return std::asin(x);
}
double fAcos(double x)
{
    return std::acos(x);
}
double fAtan(double x)
{
    return std::atan(x);
}
double fSinh(double x)
{
    return std::sinh(x);
}
double fCosh(double x)
{
    return std::cosh(x);
}
double fTanh(double x)
{
    return std::tanh(x);
}
double fAsinh(double x)
{
    return std::asinh(x);
}
double fAcosh(double x)
{
    return std::acosh(x);
}
double fAtanh(double x)
{
    return std::atanh(x);
}
double fJ0(double x)
{
    return ::j0(x);
}
double fJ1(double x)
{
    return ::j1(x);
}
double fY0(double x)
{
    return ::y0(x);
}
double fY1(double x)
{
    return ::y1(x);
}
double fErf(double x)
{
    return std::erf(x);
}
double fErfc(double x)
{
    return std::erfc(x);
}
double fSqrt(double x)
{
    return std::sqrt(x);
}
double fLn(double x)
{
    return std::log(x);
}
double fLog(double x)
{
    return std::log10(x);
}
double fCbrt(double x)
{
    return std::cbrt(x);
}

// The whole-block forms of the functions that have one.
ExpressionProgram::BlockFunction blockFormOf(ExpressionProgram::MathFunction f)
{
    if (f == fSin)
        return ExpressionVectorMath::sin;
    if (f == fCos)
        return ExpressionVectorMath::cos;
    if (f == fLn)
        return ExpressionVectorMath::ln;
    return nullptr;
}

struct Keyword {
    const char* name;
    int token;
    Op op; // Call1 for libm functions, Doc0..Doc2 for document reads
    ExpressionProgram::MathFunction f;
    DocFunction doc;
};

constexpr DocFunction kNoDoc = DocFunction::XVal;

// Keywords are case-sensitive; any other identifier is a variable name.
const Keyword kKeywords[] = {
    // Prefix functions binding looser than "mod".
    {"rnd", TOK_FUNA, Op::Rnd, nullptr, kNoDoc},
    {"sin", TOK_FUNA, Op::Call1, fSin, kNoDoc},
    {"cos", TOK_FUNA, Op::Call1, fCos, kNoDoc},
    {"tan", TOK_FUNA, Op::Call1, fTan, kNoDoc},
    {"asin", TOK_FUNA, Op::Call1, fAsin, kNoDoc},
    {"acos", TOK_FUNA, Op::Call1, fAcos, kNoDoc},
    {"atan", TOK_FUNA, Op::Call1, fAtan, kNoDoc},
    {"frac", TOK_FUNA, Op::Frac, nullptr, kNoDoc},
    {"abs", TOK_FUNA, Op::Abs, nullptr, kNoDoc},
    {"int", TOK_FUNA, Op::Int, nullptr, kNoDoc},
    {"sinh", TOK_FUNA, Op::Call1, fSinh, kNoDoc},
    {"cosh", TOK_FUNA, Op::Call1, fCosh, kNoDoc},
    {"tanh", TOK_FUNA, Op::Call1, fTanh, kNoDoc},
    {"asinh", TOK_FUNA, Op::Call1, fAsinh, kNoDoc},
    {"acosh", TOK_FUNA, Op::Call1, fAcosh, kNoDoc},
    {"atanh", TOK_FUNA, Op::Call1, fAtanh, kNoDoc},
    {"j0", TOK_FUNA, Op::Call1, fJ0, kNoDoc},
    {"j1", TOK_FUNA, Op::Call1, fJ1, kNoDoc},
    {"y0", TOK_FUNA, Op::Call1, fY0, kNoDoc},
    {"y1", TOK_FUNA, Op::Call1, fY1, kNoDoc},
    {"erf", TOK_FUNA, Op::Call1, fErf, kNoDoc},
    {"erfc", TOK_FUNA, Op::Call1, fErfc, kNoDoc},
    {"mod", TOK_MOD, Op::Mod, nullptr, kNoDoc},
    // Prefix functions binding tighter than "mod".
    {"sqrt", TOK_FUNB, Op::Call1, fSqrt, kNoDoc},
    {"ln", TOK_FUNB, Op::Call1, fLn, kNoDoc},
    {"log", TOK_FUNB, Op::Call1, fLog, kNoDoc},
    {"cbrt", TOK_FUNB, Op::Call1, fCbrt, kNoDoc},
    {"rad", TOK_FUNB, Op::Rad, nullptr, kNoDoc},
    {"deg", TOK_FUNB, Op::Deg, nullptr, kNoDoc},
    {"xmin", TOK_FUNB, Op::Doc1, nullptr, DocFunction::XMin},
    {"xmax", TOK_FUNB, Op::Doc1, nullptr, DocFunction::XMax},
    {"ymin", TOK_FUNB, Op::Doc1, nullptr, DocFunction::YMin},
    {"ymax", TOK_FUNB, Op::Doc1, nullptr, DocFunction::YMax},
    {"points", TOK_FUNB, Op::Doc1, nullptr, DocFunction::Points},
    // Functions of two and four arguments, written with parentheses.
    {"jn", TOK_FUNC2, Op::Jn, nullptr, kNoDoc},
    {"yn", TOK_FUNC2, Op::Yn, nullptr, kNoDoc},
    {"round", TOK_FUNC2, Op::Round, nullptr, kNoDoc},
    {"xval", TOK_FUNC2, Op::Doc2, nullptr, DocFunction::XVal},
    {"yval", TOK_FUNC2, Op::Doc2, nullptr, DocFunction::YVal},
    {"xerr", TOK_FUNC2, Op::Doc2, nullptr, DocFunction::XErr},
    {"yerr", TOK_FUNC2, Op::Doc2, nullptr, DocFunction::YErr},
    {"findx", TOK_FUNC2, Op::Doc2, nullptr, DocFunction::FindX},
    {"findy", TOK_FUNC2, Op::Doc2, nullptr, DocFunction::FindY},
    {"xpoint", TOK_FUNC2, Op::Doc2, nullptr, DocFunction::XPoint},
    {"ypoint", TOK_FUNC2, Op::Doc2, nullptr, DocFunction::YPoint},
    {"xvalue", TOK_FUNC2, Op::Doc2, nullptr, DocFunction::XValue},
    {"yvalue", TOK_FUNC2, Op::Doc2, nullptr, DocFunction::YValue},
    {"gau", TOK_FUNC4, Op::Gau, nullptr, kNoDoc},
    {"lor", TOK_FUNC4, Op::Lor, nullptr, kNoDoc},
    // Constants and document values without arguments.
    {"pi", TOK_PI, Op::Const, nullptr, kNoDoc},
    {"e", TOK_E, Op::Const, nullptr, kNoDoc},
    {"txmin", TOK_DOC0, Op::Doc0, nullptr, DocFunction::TXMin},
    {"txmax", TOK_DOC0, Op::Doc0, nullptr, DocFunction::TXMax},
    {"tymin", TOK_DOC0, Op::Doc0, nullptr, DocFunction::TYMin},
    {"tymax", TOK_DOC0, Op::Doc0, nullptr, DocFunction::TYMax},
    {"vxmin", TOK_DOC0, Op::Doc0, nullptr, DocFunction::VXMin},
    {"vxmax", TOK_DOC0, Op::Doc0, nullptr, DocFunction::VXMax},
    {"vymin", TOK_DOC0, Op::Doc0, nullptr, DocFunction::VYMin},
    {"vymax", TOK_DOC0, Op::Doc0, nullptr, DocFunction::VYMax},
};

} // namespace

std::vector<ExpressionKeyword> expressionKeywords()
{
    std::vector<ExpressionKeyword> out;
    for (const Keyword& k : kKeywords) {
        switch (k.token) {
        case TOK_FUNA:
            out.push_back({k.name, ExpressionKeywordForm::Prefix, 1});
            break;
        case TOK_FUNB:
            out.push_back({k.name, ExpressionKeywordForm::PrefixTight, 1});
            break;
        case TOK_MOD:
            out.push_back({k.name, ExpressionKeywordForm::Operator, 2});
            break;
        case TOK_FUNC2:
            out.push_back({k.name, ExpressionKeywordForm::Call, 2});
            break;
        case TOK_FUNC4:
            out.push_back({k.name, ExpressionKeywordForm::Call, 4});
            break;
        default:
            out.push_back({k.name, ExpressionKeywordForm::Constant, 0});
            break;
        }
    }
    return out;
}

ExpressionCompiler::ExpressionCompiler(const std::vector<std::string>& names, const double* values,
                                       double& lastResult, ExpressionProgram* program)
        : names_(names)
        , values_(values)
        , lastResult_(lastResult)
        , program_(program)
{
}

bool ExpressionCompiler::run(std::string_view text)
{
    // A NUL ends the input. The scanner works in place on a writable copy
    // that ends with the two NULs it needs, so any length fits.
    const size_t nul = text.find('\0');
    if (nul != std::string_view::npos)
        text = text.substr(0, nul);
    std::vector<char> buffer(text.size() + 2, '\0');
    std::memcpy(buffer.data(), text.data(), text.size());

    failed_ = false;
    message_.clear();
    if (program_)
        program_->clear();
    vexaexprScanAndParse(this, buffer.data(), buffer.size());
    if (program_)
        program_->finish();
    return !failed_;
}

void ExpressionCompiler::raise(std::string message)
{
    failed_ = true;
    message_ = std::move(message);
}

void ExpressionCompiler::error(const char* message)
{
    raise(message);
    if (program_)
        program_->emitFail(message);
}

double ExpressionCompiler::number(const char* text, size_t length)
{
    return CNumber::parsePrefix(text, text + length);
}

int ExpressionCompiler::identifier(const char* text, size_t length, int* code)
{
    const std::string_view word(text, length);
    for (size_t i = 0; i < std::size(kKeywords); ++i) {
        if (word == kKeywords[i].name) {
            *code = static_cast<int>(i);
            return kKeywords[i].token;
        }
    }
    for (size_t slot = 0; slot < names_.size(); ++slot) {
        if (names_[slot] == word) {
            *code = static_cast<int>(slot);
            return TOK_VAR;
        }
    }
    // An undefined name fails the evaluation when it is scanned, and then
    // stands for slot 0 so that the parse goes on.
    undefined_.emplace_back(word);
    raise("Undefined variable: " + undefined_.back());
    *code = -static_cast<int>(undefined_.size());
    return TOK_VAR;
}

double ExpressionCompiler::constant(double k)
{
    if (program_)
        program_->emitConst(k);
    return k;
}

double ExpressionCompiler::variable(int code)
{
    if (code >= 0) {
        if (program_)
            program_->emitLoad(code);
        return values_[code];
    }
    if (program_)
        program_->emitUnresolved(undefined_[static_cast<size_t>(-code - 1)]);
    return names_.empty() ? 0.0 : values_[0];
}

double ExpressionCompiler::prefix(int keyword, double x)
{
    const Keyword& k = kKeywords[keyword];
    switch (k.op) {
    case Op::Call1:
        if (program_)
            program_->emitCall1(k.f, blockFormOf(k.f));
        return k.f(x);
    case Op::Doc1:
        if (program_)
            program_->emitDoc(k.doc, 1);
        return ExpressionDocumentFunctions::call(k.doc, x, 0.0);
    default:
        if (program_)
            program_->emitUnary(k.op);
        return ExpressionProgram::unary(k.op, x);
    }
}

double ExpressionCompiler::negate(double x)
{
    if (program_)
        program_->emitUnary(Op::Neg);
    return -x;
}

double ExpressionCompiler::binary(Op op, double a, double b)
{
    if (program_)
        program_->emitBinary(op);
    return ExpressionProgram::binary(op, a, b);
}

double ExpressionCompiler::call2(int keyword, double a, double b)
{
    const Keyword& k = kKeywords[keyword];
    if (k.op == Op::Doc2) {
        if (program_)
            program_->emitDoc(k.doc, 2);
        return ExpressionDocumentFunctions::call(k.doc, a, b);
    }
    if (program_)
        program_->emitCall2(k.op);
    return ExpressionProgram::call2(k.op, a, b);
}

double ExpressionCompiler::call4(int keyword, double a, double b, double c, double d)
{
    const Keyword& k = kKeywords[keyword];
    if (program_)
        program_->emitCall4(k.op);
    return ExpressionProgram::call4(k.op, a, b, c, d);
}

double ExpressionCompiler::documentValue(int keyword)
{
    const Keyword& k = kKeywords[keyword];
    if (program_)
        program_->emitDoc(k.doc, 0);
    return ExpressionDocumentFunctions::call(k.doc, 0.0, 0.0);
}

void ExpressionCompiler::line(double value)
{
    if (program_)
        program_->emitLine();
    lastResult_ = value;
}
