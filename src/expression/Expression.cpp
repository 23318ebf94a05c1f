#include "expression/Expression.h"

#include "expression/ExpressionCompiler.h"
#include "platform/Alert.h"
#include "platform/ParallelRanges.h"
#include "platform/VectorState.h"

#include <cstring>
#include <mutex>
#include <vector>

namespace {

const char kNonAscii[] = "non-ASCII character";

std::mutex g_errorMutex;
std::string g_lastError;

void publishError(const std::string& message)
{
    std::lock_guard<std::mutex> lock(g_errorMutex);
    g_lastError = message;
}

} // namespace

QString Expression::errortext()
{
    std::lock_guard<std::mutex> lock(g_errorMutex);
    return QString::fromStdString(g_lastError);
}

Expression::Expression()
{
    name_.reserve(MaxVariables);
}

void Expression::setNoError()
{
    showerror_ = false;
}

void Expression::setNoAlert()
{
    showalert_ = false;
}

Expression& Expression::setVar(const char* name, double value)
{
    if (!name)
        return *this;
    const int s = slot(name);
    if (s >= 0) {
        value_[static_cast<size_t>(s)] = value;
    } else if (count() < MaxVariables) {
        value_[name_.size()] = value;
        name_.emplace_back(name);
    }
    return *this;
}

Expression& Expression::setVars(const QHash<QString, double>& variables)
{
    for (auto it = variables.constBegin(); it != variables.constEnd(); ++it)
        setVar(it.key().toUtf8().constData(), it.value());
    return *this;
}

Expression& Expression::setGlobalVars(const QList<double>& values)
{
    for (qsizetype i = 0; i < values.size(); ++i) {
        std::string name = "r";
        name += std::to_string(i);
        setVar(name.c_str(), values[i]);
    }
    return *this;
}

int Expression::slot(const char* name) const
{
    if (!name)
        return -1;
    for (size_t i = 0; i < name_.size(); ++i)
        if (std::strcmp(name_[i].c_str(), name) == 0)
            return static_cast<int>(i);
    return -1;
}

const char* Expression::name(int slot) const
{
    return slot >= 0 && slot < count() ? name_[static_cast<size_t>(slot)].c_str() : nullptr;
}

double Expression::value(int slot) const
{
    return slot >= 0 && slot < count() ? value_[static_cast<size_t>(slot)] : 0.0;
}

bool Expression::parse(const QString& text)
{
    err_.clear();
    QString prepared = text;
    prepared.replace(QLatin1Char(','), QLatin1Char('.'));
    prepared.replace(QLatin1String("**"), QLatin1String("^"));

    bool ascii = true;
    for (QChar c : prepared) {
        if (c.unicode() > 0x7f) {
            ascii = false;
            break;
        }
    }

    bool ok;
    std::string message;
    if (ascii) {
        expr_ = prepared.toLatin1().toStdString();
        expr_ += '\n';
        hasExpr_ = true;
        ExpressionCompiler compiler(name_, value_.data(), lastResult_, &program_);
        ok = compiler.run(expr_);
        failed_ = !ok;
        if (!ok) {
            message = compiler.message();
            publishError(message);
        }
    } else {
        // Such a text has no ASCII form to scan. It fails here and in every
        // later evaluation with a message rather than evaluating to nothing.
        expr_.clear();
        hasExpr_ = false;
        program_.clear();
        program_.emitFail(kNonAscii);
        program_.finish();
        finishEvaluation(program_.run(value_.data(), name_.size(), lastResult_));
        message = kNonAscii;
        ok = false;
    }
    if (ok)
        return true;

    if (showerror_) {
        const QString shown = QString::fromStdString(message);
        if (showalert_)
            Alert::run(QStringLiteral("Expression Error"), QStringLiteral("%1\nin %2").arg(shown, text),
                       {QStringLiteral("Ok")});
        err_ = QStringLiteral("%1 in %2").arg(shown, text);
    }
    return false;
}

double Expression::finishEvaluation(const std::string* message)
{
    failed_ = message != nullptr;
    if (message)
        publishError(*message);
    return lastResult_;
}

double Expression::resultValue()
{
    if (program_.empty()) {
        // Nothing parsed yet: the empty input is not a line.
        failed_ = true;
        publishError("syntax error");
        return lastResult_;
    }
    if (program_.needsResolve(name_.size()))
        program_.resolve(name_);
    // Callers evaluate between drawing calls (per-point symbol sizes), so the
    // state is cleared per evaluation, not once per column.
    VectorState::clearUpper();
    return finishEvaluation(program_.run(value_.data(), name_.size(), lastResult_));
}

double Expression::resultValueReparsed()
{
    if (!hasExpr_) {
        if (program_.empty()) {
            failed_ = true;
            publishError("syntax error");
            return lastResult_;
        }
        return finishEvaluation(program_.run(value_.data(), name_.size(), lastResult_));
    }
    ExpressionCompiler compiler(name_, value_.data(), lastResult_, nullptr);
    const bool ok = compiler.run(expr_);
    return finishEvaluation(ok ? nullptr : &compiler.message());
}

void Expression::evaluateColumns(std::span<const Column> columns, std::size_t n, double* out)
{
    if (n == 0)
        return;
    if (!program_.empty() && program_.needsResolve(name_.size()))
        program_.resolve(name_);
    auto setPoint = [&](std::size_t i) {
        for (const Column& c : columns)
            setValue(c.slot, c.values ? c.values[i] : static_cast<double>(i));
    };
    const bool blockable = program_.blockable();
    // Results written over a column: a block reads its inputs before it
    // writes a text of one line; other texts read columns after writing
    // (a later line, the document) and get a separate result.
    bool overwrites = false;
    for (const Column& c : columns)
        overwrites = overwrites || (c.values && c.values == out);
    if (overwrites && !(blockable && program_.lineCount() == 1)) {
        std::vector<double> separate(n);
        evaluateColumns(columns, n, separate.data());
        std::memcpy(out, separate.data(), n * sizeof(double));
        return;
    }
    if (!blockable) {
        for (std::size_t i = 0; i < n; ++i) {
            setPoint(i);
            out[i] = resultValue();
        }
        return;
    }

    bool indexed = false;
    for (const Column& c : columns)
        indexed = indexed || !c.values;
    constexpr std::size_t B = ExpressionProgram::BlockSize;
    const std::size_t blocks = (n + B - 1) / B;
    // The slots take the last point's values now, while a column written
    // over still holds them; the blocks read the columns, not the slots.
    setPoint(n - 1);
    const double* const values = value_.data();
    VectorState::clearUpper();
    // A thread is worth starting for some tens of thousands of points.
    ParallelRanges::run(blocks, 64, [&](std::size_t first, std::size_t last) {
        VectorState::clearUpper();
        ExpressionProgram::BlockScratch scratch = program_.blockScratch();
        std::vector<double> index(indexed ? B : 0);
        std::array<const double*, MaxVariables> at{};
        for (std::size_t b = first; b < last; ++b) {
            const std::size_t start = b * B;
            const std::size_t len = std::min(B, n - start);
            for (const Column& c : columns) {
                if (c.slot < 0 || c.slot >= count())
                    continue;
                if (c.values) {
                    at[static_cast<std::size_t>(c.slot)] = c.values + start;
                } else {
                    for (std::size_t j = 0; j < len; ++j)
                        index[j] = static_cast<double>(start + j);
                    at[static_cast<std::size_t>(c.slot)] = index.data();
                }
            }
            program_.runBlock(values, at.data(), len, scratch, out + start);
        }
    });
    lastResult_ = out[n - 1];
    failed_ = false;
}
