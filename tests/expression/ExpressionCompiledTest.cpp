#include "expression/Expression.h"
#include "expression/ExpressionDocumentFunctions.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Records every document read, so the order of reads can be compared.
class RecordingDocument : public ExpressionDocumentFunctions {
public:
    std::vector<std::string> calls;

    double pointValue(DocFunction which, int32_t buffer, int32_t point) override
    {
        return note(which, buffer, point);
    }
    double bufferValue(DocFunction which, int32_t buffer) override { return note(which, buffer, 0); }
    double documentValue(DocFunction which) override { return note(which, 0, 0); }
    double findValue(DocFunction which, double value, int32_t buffer) override
    {
        return note(which, value, buffer);
    }
    double axisValue(DocFunction which, double value, int32_t pair) override
    {
        return note(which, value, pair);
    }

private:
    double note(DocFunction which, double a, double b)
    {
        calls.push_back(std::to_string(int(which)) + "(" + std::to_string(a) + ";" + std::to_string(b) + ")");
        return int(which) * 100 + a + b / 10;
    }
};

struct Outcome {
    std::vector<double> values;
    std::vector<bool> failed;
    std::vector<std::string> errors;
    std::vector<std::string> docCalls;
    bool parsed = false;
};

// Parses text once and evaluates it over a range of x, either through the
// compiled form or by parsing again for every point, from the same seed.
Outcome evaluate(const char* text, bool compiled)
{
    RecordingDocument doc;
    ExpressionDocumentFunctions::install(&doc);
    std::srand(12345);
    Expression ex;
    ex.setNoError();
    ex.setVar("x", 0).setVar("y", 1.5).setVar("n", 2);
    const int x = ex.slot("x");
    Outcome run;
    run.parsed = ex.parse(QString::fromLatin1(text));
    for (int i = 0; i < 40; ++i) {
        ex.setValue(x, i * 0.37 - 5);
        if (i == 20)
            ex.setVar("later", 3); // a name undefined at parse time appears
        const double v = compiled ? ex.resultValue() : ex.resultValueReparsed();
        run.values.push_back(v);
        run.failed.push_back(ex.failed());
        run.errors.push_back(ex.failed() ? Expression::errortext().toStdString() : std::string());
    }
    run.values.push_back(std::rand()); // the generator is left in the same state
    ExpressionDocumentFunctions::install(nullptr);
    run.docCalls = doc.calls;
    return run;
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 || (a != a && b != b);
}

TEST(ExpressionCompiled, MatchesParsingEveryTime)
{
    const char* texts[] = {
        "sin(x)*e^(-x/10)+x^2",
        "x^2 + 2*x + 1 - 3/x",
        "rnd 10 + rnd x * rnd(1+2) - x",
        "rnd 1 + gau(x;rnd 1;2;3) * lor(x;0;1;rnd 2)",
        "-x^2 mod 3 + x % 2 - sqrt abs x mod 2",
        "sin x mod 2 ^ 2 + int x + frac x + round(x;1) + round(rnd 5;n)",
        "jn(n;x) + yn(n;abs x + 1) + j0 x + y1 (abs x + 1) + erf x + erfc x + cbrt x",
        "rad deg x + ln abs x + log abs x + sinh x / cosh x - tanh x + asinh x",
        "2^3^2 + -2^2 + 8/4 mod 3 + 1.5e+3 + 2.e-1",
        "xval(0.9;x) + xmin n + txmax * findy(x;1) - xpoint(rnd 1;2)",
        "rnd 5 + undefinedname * x",
        "later + rnd 1",
        "1\nrnd 5 + x\n",
        "1\nrnd 5 + x\n)",
        "rnd 1 + (2",
        "rnd 1 + q + ",
        "3 + 4 * (2 - 1) / 0",
        "0/0 + x",
    };
    for (const char* text : texts) {
        const Outcome compiled = evaluate(text, true);
        const Outcome reparsed = evaluate(text, false);
        EXPECT_EQ(compiled.parsed, reparsed.parsed) << text;
        ASSERT_EQ(compiled.values.size(), reparsed.values.size());
        for (size_t i = 0; i < compiled.values.size(); ++i)
            EXPECT_TRUE(sameBits(compiled.values[i], reparsed.values[i]))
                << text << " at " << i << ": " << compiled.values[i] << " vs " << reparsed.values[i];
        EXPECT_EQ(compiled.failed, reparsed.failed) << text;
        EXPECT_EQ(compiled.errors, reparsed.errors) << text;
        EXPECT_EQ(compiled.docCalls, reparsed.docCalls) << text;
    }
}

TEST(ExpressionCompiled, DocumentFunctionsGetTruncatedArgumentsAndAreReadEveryTime)
{
    RecordingDocument doc;
    ExpressionDocumentFunctions::install(&doc);
    Expression ex;
    ASSERT_TRUE(ex.parse("xval(0.9;-2.7) + points 1.e+300 + vymax"));
    ex.resultValue();
    ExpressionDocumentFunctions::install(nullptr);
    const std::vector<std::string> expected
        = {"0(0.000000;-2.000000)", "8(2147483647.000000;0.000000)", "16(0.000000;0.000000)"};
    ASSERT_EQ(doc.calls.size(), 6u); // parse evaluates once, then resultValue
    EXPECT_EQ(std::vector<std::string>(doc.calls.begin(), doc.calls.begin() + 3), expected);
    EXPECT_EQ(std::vector<std::string>(doc.calls.begin() + 3, doc.calls.end()), expected);
}

} // namespace
