#include "expression/Expression.h"
#include "expression/ExpressionMath.h"
#include "platform/Alert.h"
#include "platform/CNumber.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// x = 3, y = 2, a = 1, A = 5: enough to tell precedence and case apart.
void defineVariables(Expression& ex)
{
    ex.setVar("x", 3).setVar("y", 2).setVar("a", 1).setVar("A", 5);
}

void expectSame(double actual, double expected, const char* text)
{
    if (std::isnan(expected))
        EXPECT_TRUE(std::isnan(actual)) << text << " gave " << actual;
    else
        EXPECT_DOUBLE_EQ(actual, expected) << text;
}

struct ValueCase {
    const char* text;
    double expected;
};

TEST(Expression, EvaluatesTheLanguage)
{
    const double pi = 3.141592653589793;
    const ValueCase cases[] = {
        // precedence and associativity
        {"1+2*3", 7},
        {"(1+2)*3", 9},
        {"1-2-3", -4},
        {"12/3/2", 2},
        {"2^3^2", 64},
        {"-2^2", 4},
        {"2^-2", 0.25},
        {"2*-3", -6},
        {"2 - -3", 5},
        {"8/4 mod 3", 8},
        {"8/4 % 3", 2},
        {"10 mod 4 mod 3", 2},
        {"-7 mod 3", -1},
        {"7 % -3", 1},
        // prefix functions take their operand at their own level
        {"sin x * 2", std::sin(3.0) * 2},
        {"sin x mod 2", std::sin(1.0)},
        {"sqrt 9 mod 2", 1},
        {"sin(pi/2)^2", std::sin(pi / 2 * (pi / 2))},
        {"sin -1", std::sin(-1.0)},
        {"-sin x", -std::sin(3.0)},
        {"2^sin x", std::pow(2.0, std::sin(3.0))},
        {"sqrt sin 1", std::sqrt(std::sin(1.0))},
        // numbers, commas, "**"
        {"1,5*2", 3},
        {"2**3", 8},
        {"2**3**2", 64},
        {"1.5e+3", 1500},
        {"2.e-1", 0.2},
        {".", 0},
        {".5", 0.5},
        {"1.5e-400", 0},
        {"1.e+400", kInf},
        // variables are case-sensitive; names may hold digits
        {"a+A", 6},
        {"x*y", 6},
        // built-in functions
        {"int 2.7", 2},
        {"int -2.7", -2},
        {"frac -2.5", -0.5},
        {"abs -3", 3},
        {"rad 180", pi},
        {"deg pi", 180},
        {"ln e", std::log(2.718281828459045)},
        {"log 1000", 3},
        {"cbrt 27", 3},
        {"sqrt 2", std::sqrt(2.0)},
        {"erf 0.5", std::erf(0.5)},
        {"erfc 0.5", std::erfc(0.5)},
        {"j0 1", ::j0(1.0)},
        {"j1 1", ::j1(1.0)},
        {"y0 1", ::y0(1.0)},
        {"y1 1", ::y1(1.0)},
        {"jn(2;1.5)", ::jn(2, 1.5)},
        {"yn(2.9;1.5)", ::yn(2, 1.5)},
        {"sinh 1", std::sinh(1.0)},
        {"acosh 2", std::acosh(2.0)},
        {"atanh 0.5", std::atanh(0.5)},
        {"atan 1", std::atan(1.0)},
        {"tan 1", std::tan(1.0)},
        {"asin 1", pi / 2},
        {"acos 1", 0},
        {"round(2.5;0)", 2},
        {"round(3.5;0)", 4},
        {"round(1.2345;2)", 1.23},
        {"round(1250;-2)", 1200},
        {"gau(1;1;3;2)", 3},
        {"gau(2;1;3;2)", 1.5},
        {"lor(1;1;3;2)", 3},
        {"lor(2;1;3;2)", 1.5},
        {"rnd 0", 0},
        // numeric faults are values, not errors
        {"1/0", kInf},
        {"ln 0", -kInf},
        {"sqrt -1", kNaN},
        {"5 mod 0", kNaN},
        // document reads without a document
        {"txmin", 0},
        {"xval(0;0)", 0},
        {"xmin 0 + 1", 1},
        {"findy(2;0)", 0},
        // several lines: the last one counts
        {"1\n2", 2},
    };
    for (const auto& c : cases) {
        Expression ex;
        ex.setNoError();
        defineVariables(ex);
        ASSERT_TRUE(ex.parse(QString::fromLatin1(c.text)))
            << c.text << ": " << Expression::errortext().toStdString();
        expectSame(ex.resultValue(), c.expected, c.text);
        EXPECT_FALSE(ex.failed()) << c.text;
    }
}

TEST(Expression, SquareIsThePowFunction)
{
    // pow(x, 2) and x*x differ in the last bit for these: ^ must stay pow,
    // whether the exponent is a constant, a variable or everything is constant.
    const double bases[] = {9.2706403971540989e-60, 2.8093446393843091e+75};
    for (double b : bases) {
        volatile double two = 2.0; // a constant exponent would let the compiler use b*b
        const double expected = std::pow(b, two);
        for (const char* text : {"x^2", "x^y", "x**2.0"}) {
            Expression ex;
            ex.setVar("x", b).setVar("y", 2);
            ASSERT_TRUE(ex.parse(text));
            EXPECT_EQ(ex.resultValue(), expected) << text << " at " << b;
        }
        Expression folded;
        ASSERT_TRUE(folded.parse(QString::fromStdString(CNumber::format("%.17e^2", b))));
        EXPECT_EQ(folded.resultValue(), expected) << b;
    }
}

TEST(Expression, RndDrawsTheMeanOfTwoUniformNumbers)
{
    Expression ex;
    ASSERT_TRUE(ex.parse("rnd 10"));
    std::srand(7);
    const double r1 = std::rand(), r2 = std::rand();
    std::srand(7);
    EXPECT_EQ(ex.resultValue(), ((10 / 2147483647.0) * r1 + (10 / 2147483647.0) * r2) * 0.5);
}

struct ErrorCase {
    const char* text;
    const char* message;
};

TEST(Expression, BadTextFailsWithItsMessage)
{
    const ErrorCase cases[] = {
        {"", "syntax error"},
        {"\n", "syntax error"},
        {"1\n\n", "syntax error"},
        {"1e+3", "syntax error"},
        {"1.5e3", "syntax error"},
        {"round(2.5,0)", "syntax error"},
        {"2 3", "syntax error"},
        {"2pi", "syntax error"},
        {"sin(1)(2)", "syntax error"},
        {"sin(1;2)", "syntax error"},
        {"round 2.5", "syntax error"},
        {"txmin()", "syntax error"},
        {"gau(1;2;3)", "syntax error"},
        {"+1", "syntax error"},
        {"1 +", "syntax error"},
        {"(1", "syntax error"},
        {"1)", "syntax error"},
        {"x = 1", "syntax error"},
        {"1\r", "syntax error"},
        {"[1]", "syntax error"},
        {"1_2", "syntax error"},
        {"SIN 1", "syntax error"},
        {"q + 1", "Undefined variable: q"},
        {"q + w", "Undefined variable: w"},
        {"sinx", "Undefined variable: sinx"},
        {"e1", "Undefined variable: e1"},
        {"q +", "syntax error"},
    };
    for (const auto& c : cases) {
        Expression ex;
        ex.setNoAlert();
        defineVariables(ex);
        const QString text = QString::fromLatin1(c.text);
        EXPECT_FALSE(ex.parse(text)) << c.text;
        EXPECT_TRUE(ex.failed()) << c.text;
        EXPECT_EQ(Expression::errortext().toStdString(), c.message) << c.text;
        EXPECT_EQ(ex.err(), QString::fromLatin1(c.message) + " in " + text) << c.text;
    }
}

TEST(Expression, NulEndsTheInputAndNonAsciiTextFailsWithAMessage)
{
    Expression nul;
    nul.setNoAlert();
    EXPECT_FALSE(nul.parse(QString::fromLatin1("1\0"
                                               "2",
                                               3))); // the line end after the NUL is never seen
    EXPECT_EQ(Expression::errortext(), "syntax error");

    Expression ex;
    ex.setNoAlert();
    ex.setVar("x", 1);
    EXPECT_FALSE(ex.parse(QString::fromUtf8("5 µs")));
    EXPECT_EQ(ex.err(), QString::fromUtf8("non-ASCII character in 5 µs"));
    EXPECT_EQ(ex.expr(), nullptr);
    ex.resultValue();
    EXPECT_TRUE(ex.failed());
    EXPECT_EQ(Expression::errortext(), "non-ASCII character");
}

TEST(Expression, FailedParseShowsTheAlertWithTheTextAsTyped)
{
    ScriptedAlerts alerts;
    Expression shown;
    EXPECT_FALSE(shown.parse("1,5,"));
    ASSERT_EQ(alerts.requests().size(), 1u);
    EXPECT_EQ(alerts.requests()[0].title, "Expression Error");
    EXPECT_EQ(alerts.requests()[0].message, "syntax error\nin 1,5,");
    EXPECT_EQ(alerts.requests()[0].buttons, QStringList{"Ok"});
    EXPECT_EQ(shown.err(), "syntax error in 1,5,");
    EXPECT_STREQ(shown.expr(), "1.5.\n");

    Expression quiet;
    quiet.setNoError();
    EXPECT_FALSE(quiet.parse("q"));
    EXPECT_TRUE(quiet.err().isEmpty());

    Expression noPanel;
    noPanel.setNoAlert();
    EXPECT_FALSE(noPanel.parse("q"));
    EXPECT_EQ(noPanel.err(), "Undefined variable: q in q");
    EXPECT_EQ(alerts.requests().size(), 1u);

    // A later good parse clears err.
    noPanel.setVar("q", 2);
    EXPECT_TRUE(noPanel.parse("q"));
    EXPECT_TRUE(noPanel.err().isEmpty());
}

TEST(Expression, UndefinedNameStandsForSlotZeroUntilDefined)
{
    Expression none;
    none.setNoError();
    EXPECT_FALSE(none.parse("z + 1"));
    EXPECT_EQ(none.resultValue(), 1); // no variable at all: 0
    EXPECT_TRUE(none.failed());

    Expression ex;
    ex.setNoError();
    ex.setVar("a", 7);
    EXPECT_FALSE(ex.parse("z * 2"));
    EXPECT_EQ(ex.resultValue(), 14);
    EXPECT_TRUE(ex.failed());
    EXPECT_EQ(Expression::errortext(), "Undefined variable: z");

    ex.setVar("z", 4);
    EXPECT_EQ(ex.resultValue(), 8);
    EXPECT_FALSE(ex.failed());
    EXPECT_EQ(ex.resultValueReparsed(), 8);
}

TEST(Expression, ErrorsReturnTheLastCompletedValue)
{
    Expression ex;
    ex.setNoError();
    ex.setVar("x", 1);
    ASSERT_TRUE(ex.parse("x + 1"));
    ASSERT_TRUE(ex.parse("x + 41"));
    EXPECT_FALSE(ex.parse("x +"));
    EXPECT_EQ(ex.resultValue(), 42);
    // A line completed before the error still counts.
    EXPECT_FALSE(ex.parse("5\n)"));
    EXPECT_EQ(ex.resultValue(), 5);
}

TEST(Expression, VariableTableHoldsAtMost256Names)
{
    Expression ex;
    ex.setNoError();
    for (int i = 0; i < 256; ++i)
        ex.setVar(("v" + std::to_string(i)).c_str(), i);
    ex.setVar("extra", 1);
    EXPECT_EQ(ex.count(), 256);
    EXPECT_EQ(ex.slot("extra"), -1);
    EXPECT_FALSE(ex.parse("extra"));
    ex.setVar("v255", 9); // existing names still change
    ASSERT_TRUE(ex.parse("v255 + v0"));
    EXPECT_EQ(ex.resultValue(), 9);
}

TEST(Expression, SetVarsAndGlobalVars)
{
    Expression ex;
    ex.setVars(QHash<QString, double>{{"lastbuffer", 3}, {"rega", 0.5}});
    ex.setGlobalVars(QList<double>{10, 20, 30});
    EXPECT_EQ(ex.count(), 5);
    ASSERT_TRUE(ex.parse("lastbuffer + rega + r0 + r2"));
    EXPECT_EQ(ex.resultValue(), 43.5);
}

TEST(Expression, IntegerConversionsSaturate)
{
    using ExpressionMath::toInt32;
    EXPECT_EQ(toInt32(kNaN), 0);
    EXPECT_EQ(toInt32(1e300), INT32_MAX);
    EXPECT_EQ(toInt32(kInf), INT32_MAX);
    EXPECT_EQ(toInt32(-1e300), INT32_MIN);
    EXPECT_EQ(toInt32(2147483647.9), INT32_MAX);
    EXPECT_EQ(toInt32(-2147483648.9), INT32_MIN);
    EXPECT_EQ(toInt32(-2.9), -2);

    const ValueCase cases[] = {
        {"int 3000000000.0", 3e9},
        {"int -3000000000.5", -3e9},
        {"frac 3000000000.5", 0.5},
        {"int (0/0)", kNaN},
        {"int 2147483647.5", 2147483647},
        {"int -2147483648.5", -2147483648.0},
        {"jn(1.e+300;1)", 0},
        {"yn(1.e+300;1)", -kInf},
        {"jn(0/0;1)", ::j0(1.0)},
        // more decimals than a double holds leave the number as it is
        {"round(1.5;1.e+300)", 1.5},
        {"round(1.e+300;10)", 1e300},
        {"round(1.5;-1.e+300)", 0},
    };
    for (const auto& c : cases) {
        Expression ex;
        ASSERT_TRUE(ex.parse(c.text)) << c.text;
        expectSame(ex.resultValue(), c.expected, c.text);
    }
}

TEST(Expression, HugeBesselOrdersAgreeWithLibm)
{
    // Orders where the value is known without libm's n-step walk; the walk
    // itself is only affordable for these small ones.
    const int orders[] = {1099, 1100, 1101, 3000, -1100, -1101};
    const double xs[] = {0.001, 1, -1, 100, 404, 405, -404};
    for (int n : orders) {
        for (double x : xs) {
            const double j = ExpressionMath::besselJn(n, x);
            const double y = ExpressionMath::besselYn(n, x);
            EXPECT_EQ(j, ::jn(n, x)) << n << " " << x;
            EXPECT_EQ(std::signbit(j), std::signbit(::jn(n, x))) << n << " " << x;
            if (std::isnan(::yn(n, x)))
                EXPECT_TRUE(std::isnan(y)) << n << " " << x;
            else
                EXPECT_EQ(y, ::yn(n, x)) << n << " " << x;
        }
    }
}

TEST(Expression, AnyLengthParsesAndDeepNestingExhaustsTheStack)
{
    // 200001 terms, far beyond any fixed input buffer.
    std::string sum = "1";
    for (int i = 0; i < 200000; ++i)
        sum += "+1";
    Expression ex;
    ASSERT_TRUE(ex.parse(QString::fromStdString(sum)));
    EXPECT_EQ(ex.resultValue(), 200001);

    const std::string longName(50000, 'v');
    ex.setVar(longName.c_str(), 2);
    ASSERT_TRUE(ex.parse(QString::fromStdString(longName + "^10")));
    EXPECT_EQ(ex.resultValue(), 1024);

    auto nested = [](int depth) { return QString(depth, '(') + "1" + QString(depth, ')'); };
    ASSERT_TRUE(ex.parse(nested(9000)));
    EXPECT_EQ(ex.resultValue(), 1);

    Expression deep;
    deep.setNoAlert();
    EXPECT_FALSE(deep.parse(nested(10000)));
    EXPECT_EQ(Expression::errortext(), "memory exhausted");
    EXPECT_FALSE(deep.parse(QString(100000, '-') + "1"));
    EXPECT_EQ(Expression::errortext(), "memory exhausted");
}

} // namespace
