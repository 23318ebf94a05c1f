// The calc panel: the function generator with its steps and increment, the
// buffer expression, arithmetic of two buffers and the exchange of axes;
// refusals; the stored parameters after a restart.

#include "OperationPanelSupport.h"

#include "inspectors/CalcManager.h"

#include "ui_calc.h"

#include <QPushButton>

#include <gtest/gtest.h>

using InspectorSupport::type;
using OperationPanelSupport::buffer;
using OperationPanelSupport::store;

namespace {

struct Fixture : OperationPanelSupport::PanelFixture<CalcManager> {
    Fixture()
            : PanelFixture("calc")
    {
        add(buffer(5, [](int i) { return 2.0 * i; }));
        add(buffer(5, [](int i) { return 1.0 + i; }));
    }
    const Ui::CalcPanel& u() const { return panel->ui(); }
};

} // namespace

TEST(CalcInspector, StepsAndIncrementFollowEachOther)
{
    const struct {
        const char* min;
        const char* max;
        bool typedSteps; // else the increment
        const char* typed;
        const char* steps;
        const char* increment;
    } cases[] = {
        {"0", "10", true, "1", "2", "10"},
        {"0", "10", true, "-5", "2", "10"},
        {"0", "10", true, "5000000", "1000000", "0.00001"},
        {"0", "10", true, "11", "11", "1"},
        {"0", "10", true, "many", "2", "10"},
        {"0", "10", false, "0.5", "21", "0.5"},
        {"0", "10", false, "3", "4", "3.33333333"},
        {"0", "10", false, "1e-9", "1000000", "0.00001"},
        // No count follows from these: the count stays.
        {"-1", "1", false, "0", "3", "0"},
        {"-1", "1", false, "-2", "3", "-2"},
        {"-1", "1", false, "none", "3", "none"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        Fixture f;
        f.panel->fmin->setText(QLatin1String(c.min));
        f.panel->fmax->setText(QLatin1String(c.max));
        type(f.panel->fsteps, QStringLiteral("3"));
        type(c.typedSteps ? f.panel->fsteps : f.panel->finc, QLatin1String(c.typed));
        EXPECT_EQ(f.panel->fsteps->text(), QLatin1String(c.steps));
        EXPECT_EQ(f.panel->finc->text(), QLatin1String(c.increment));
    }
}

TEST(CalcInspector, FunctionGeneratorAddsABufferAndRescales)
{
    Fixture f;
    f.panel->faxis->button(1)->click();
    f.panel->fexpr->setText(QStringLiteral("y*y"));
    f.panel->fmin->setText(QStringLiteral("-2"));
    f.panel->fmax->setText(QStringLiteral("2"));
    type(f.panel->fsteps, QStringLiteral("5"));
    f.replotted();
    f.u().generateButton->click();
    ASSERT_EQ(f.d.bufferCount(), 3);
    EXPECT_EQ(f.b(2).nop(), 5);
    EXPECT_DOUBLE_EQ(f.b(2).xDoubleValueAt(0), 4);
    EXPECT_DOUBLE_EQ(f.b(2).yDoubleValueAt(1), -1);
    EXPECT_TRUE(f.replotted());
    // Rescaled to the new extents with headroom: y reaches down to -2.
    EXPECT_LT(f.d.ymin1, -1.99);
    EXPECT_TRUE(f.alerts.requests().empty());

    // An empty function: the expression's message, no buffer.
    f.panel->fexpr->clear();
    f.u().generateButton->click();
    EXPECT_EQ(f.d.bufferCount(), 3);
    ASSERT_EQ(f.alerts.requests().size(), 1u);
    EXPECT_EQ(f.alerts.requests()[0].title, QStringLiteral("Expression Error"));
}

TEST(CalcInspector, BufferExpressionChangesTheSelectedBuffersOnly)
{
    const struct {
        int target;
        const char* expression;
        std::function<double(const DataBuffer&)> value;
        double expected;
    } cases[] = {
        {0, "x+100", [](const DataBuffer& b) { return b.xDoubleValueAt(2); }, 102},
        {1, "y*x", [](const DataBuffer& b) { return b.yDoubleValueAt(3); }, 18},
        {2, "x/10", [](const DataBuffer& b) { return b.xDoubleErrorAt(4); }, 0.4},
        {3, "np", [](const DataBuffer& b) { return b.yDoubleErrorAt(0); }, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expression);
        Fixture f;
        f.select({0});
        f.panel->axis->button(c.target)->click();
        f.panel->expr->setText(QLatin1String(c.expression));
        f.replotted();
        f.u().calcButton->click();
        EXPECT_DOUBLE_EQ(c.value(f.b(0)), c.expected);
        EXPECT_DOUBLE_EQ(f.b(1).yDoubleValueAt(3), 4);
        EXPECT_FALSE(f.b(1).haserror());
        EXPECT_TRUE(f.replotted());
        EXPECT_TRUE(f.alerts.requests().empty());
    }
}

TEST(CalcInspector, EmptyExpressionIsRefusedAndLeavesTheValues)
{
    for (int target : {1, 3}) {
        SCOPED_TRACE(target);
        Fixture f;
        f.select({0, 1});
        f.panel->axis->button(target)->click();
        f.panel->expr->setText(QStringLiteral("  "));
        f.u().calcButton->click();
        ASSERT_FALSE(f.alerts.requests().empty());
        EXPECT_EQ(f.alerts.requests()[0].title, QStringLiteral("Expression Error"));
        for (int i = 0; i < 2; ++i) {
            EXPECT_DOUBLE_EQ(f.b(i).yDoubleValueAt(3), i == 0 ? 6 : 4) << i;
            EXPECT_EQ(f.b(i).comment, QStringLiteral("b")) << i;
            if (f.b(i).haserror()) {
                EXPECT_EQ(f.b(i).yDoubleErrorAt(3), 0) << i;
            }
        }
    }
}

TEST(CalcInspector, TwoBufferArithmeticAndItsRefusals)
{
    const struct {
        const char* buf1;
        const char* buf2;
        int op;
        bool made;
        double y3; // of the new buffer at x = 3
    } cases[] = {
        {"0", "1", 0, true, 10},  {"0", "1", 1, true, 2},  {"1", "0", 2, true, 24},
        {"0", "1", 3, true, 1.5}, {"0", "2", 0, false, 0}, {"-1", "0", 0, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.buf1) + " " + std::to_string(c.op) + " " + c.buf2);
        Fixture f;
        // No selection is needed.
        f.panel->buf1->setText(QLatin1String(c.buf1));
        f.panel->buf2->setText(QLatin1String(c.buf2));
        f.panel->op->button(c.op)->click();
        f.replotted();
        f.u().twoBufButton->click();
        EXPECT_EQ(f.d.bufferCount(), c.made ? 3 : 2);
        EXPECT_EQ(f.alerts.beeps(), c.made ? 0 : 1);
        EXPECT_TRUE(f.alerts.requests().empty());
        if (c.made) {
            EXPECT_DOUBLE_EQ(f.b(2).yDoubleValueAt(3), c.y3);
            EXPECT_TRUE(f.replotted());
        }
        EXPECT_EQ(store().integerForKey(QStringLiteral("CAOp")), c.op);
    }
}

TEST(CalcInspector, FieldsThatHoldNoNumberAreRefusedAndNothingRuns)
{
    const struct {
        QLineEdit* CalcManager::*field;
        const char* typed;
        QPushButton* Ui::CalcPanel::*button;
        const char* message;
    } cases[] = {
        {&CalcManager::fmin, "abc", &Ui::CalcPanel::generateButton, "abc is no number"},
        {&CalcManager::fmax, "", &Ui::CalcPanel::generateButton, " is no number"},
        {&CalcManager::fsteps, "many", &Ui::CalcPanel::generateButton, "many is no number"},
        {&CalcManager::buf1, "x", &Ui::CalcPanel::twoBufButton, "x is no number"},
        {&CalcManager::buf2, "first", &Ui::CalcPanel::twoBufButton, "first is no number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        Fixture f;
        f.panel->fexpr->setText(QStringLiteral("x*x"));
        f.panel->buf1->setText(QStringLiteral("0"));
        f.panel->buf2->setText(QStringLiteral("1"));
        (f.panel->*c.field)->setText(QLatin1String(c.typed));
        f.replotted();
        (f.u().*c.button)->click();
        EXPECT_EQ(f.d.bufferCount(), 2);
        EXPECT_FALSE(f.replotted());
        EXPECT_EQ(f.alerts.beeps(), 0);
        ASSERT_EQ(f.alerts.requests().size(), 1u);
        EXPECT_EQ(f.alerts.requests()[0].title, QStringLiteral("Calculation Inspector"));
        EXPECT_EQ(f.alerts.requests()[0].message, QLatin1String(c.message));
    }
}

TEST(CalcInspector, SwapExchangesTheAxesOfTheSelectedBuffers)
{
    Fixture f;
    f.select({1});
    f.replotted();
    f.u().swapButton->click();
    EXPECT_DOUBLE_EQ(f.b(1).xDoubleValueAt(4), 5);
    EXPECT_DOUBLE_EQ(f.b(1).yDoubleValueAt(4), 4);
    EXPECT_DOUBLE_EQ(f.b(0).xDoubleValueAt(4), 4);
    EXPECT_TRUE(f.replotted());
}

TEST(CalcInspector, StoredParametersComeBackAtTheNextStart)
{
    store().removeAll();
    {
        Fixture f;
        f.select({0});
        f.panel->faxis->button(1)->click();
        f.panel->fexpr->setText(QStringLiteral("y^2"));
        f.panel->fmin->setText(QStringLiteral("-1.5"));
        f.panel->fmax->setText(QStringLiteral("4.5"));
        type(f.panel->fsteps, QStringLiteral("7"));
        f.u().generateButton->click();
        f.panel->axis->button(2)->click();
        f.panel->expr->setText(QStringLiteral("0.1"));
        f.u().calcButton->click();
        f.panel->op->button(3)->click();
        f.panel->buf1->setText(QStringLiteral("1"));
        f.panel->buf2->setText(QStringLiteral("9"));
        f.u().twoBufButton->click();
    }
    Fixture f;
    EXPECT_EQ(f.panel->faxis->checkedId(), 1);
    EXPECT_EQ(f.panel->fexpr->text(), QStringLiteral("y^2"));
    EXPECT_EQ(f.panel->fmin->text(), QStringLiteral("-1.5"));
    EXPECT_EQ(f.panel->fmax->text(), QStringLiteral("4.5"));
    EXPECT_EQ(f.panel->fsteps->text(), QStringLiteral("7"));
    EXPECT_EQ(f.panel->finc->text(), QStringLiteral("1"));
    EXPECT_EQ(f.panel->axis->checkedId(), 2);
    EXPECT_EQ(f.panel->expr->text(), QStringLiteral("0.1"));
    EXPECT_EQ(f.panel->op->checkedId(), 3);
    EXPECT_EQ(f.panel->buf1->text(), QStringLiteral("1"));
    EXPECT_EQ(f.panel->buf2->text(), QStringLiteral("9"));
}
