#include "model/DocumentFunctions.h"

#include "Fakes.h"
#include "expression/Expression.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"

#include <gtest/gtest.h>

namespace {

struct ScaledView : FakeView {
    double xPoint(double v, int pair) const override { return v * 10 + pair; }
    double yPoint(double v, int pair) const override { return v * 20 + pair; }
    double xValue(double p, int pair) const override { return p / 10 - pair; }
    double yValue(double p, int pair) const override { return p / 20 - pair; }
};

class DocumentFunctionsTest : public ::testing::Test {
protected:
    void SetUp() override { ExpressionDocumentFunctions::install(&functions); }
    void TearDown() override { ExpressionDocumentFunctions::install(nullptr); }

    double eval(const char* text)
    {
        ScriptedAlerts alerts;
        Expression e;
        EXPECT_TRUE(e.parse(QString::fromLatin1(text))) << text << ": " << e.err().toStdString();
        return e.resultValue();
    }

    DataBuffer& add(std::initializer_list<std::pair<double, double>> points)
    {
        doc.DB.push_back(std::make_unique<DataBuffer>());
        for (auto [x, y] : points)
            doc.DB.back()->addDoubleValue(x, y);
        return *doc.DB.back();
    }

    FakeManager manager;
    DocumentFunctions functions{manager};
    VexaDocument doc{&manager};
};

TEST_F(DocumentFunctionsTest, NoCurrentDocumentGivesZero)
{
    add({{1, 2}});
    for (const char* t : {"xval(0;0)", "xmax 0", "txmax", "findy(1;0)", "xpoint(1;1)"})
        EXPECT_EQ(eval(t), 0) << t;
}

TEST_F(DocumentFunctionsTest, PointsAndExtents)
{
    manager.CPD = &doc;
    add({{1, 10}, {2, 20}, {3, 30}, {4, 40}, {5, 50}});
    DataBuffer& hidden = add({{-7, 100}});
    hidden.show = 0;

    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"xval(0;1)", 2}, {"yval(0;4)", 50}, {"xval(0;5)", 0}, {"xval(-1;0)", 0}, {"xval(0.9;0)", 1},
        {"xval(2;0)", 0}, {"xerr(0;1)", 0},  {"xmax 0", 5},    {"ymin 1", 100},   {"points 0", 5},
        {"points 9", 0},  {"txmin", -7},     {"vxmin", 1},     {"tymax", 100},    {"vymax", 50},
    };
    for (const Case& c : cases)
        EXPECT_EQ(eval(c.text), c.value) << c.text;

    doc.DB[0]->setYDoubleErrorAt(1, 0.5);
    EXPECT_EQ(eval("yerr(0;1)"), 0.5);
    doc.DB[0]->show = 0;
    EXPECT_EQ(eval("vxmin"), 0);
}

TEST_F(DocumentFunctionsTest, FindWalksTheFirstSpanningSegment)
{
    manager.CPD = &doc;
    add({{1, 10}, {2, 20}, {3, 30}});
    add({{1, 10}, {2, 20}, {2, 40}, {3, 50}});
    add({{5, 5}});
    add({{1, 10}, {1, 30}});
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"findy(2.5;0)", 25}, {"findy(5;0)", 0},  {"findy(2;1)", 20}, {"findy(5;2)", 0},
        {"findx(15;0)", 1.5}, {"findy(1;3)", 20}, {"findy(1;9)", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(eval(c.text), c.value) << c.text;
}

TEST_F(DocumentFunctionsTest, ConversionsGoThroughTheDocumentsView)
{
    manager.CPD = &doc;
    EXPECT_EQ(eval("xpoint(3;1)"), 0); // no view yet
    ScaledView view;
    doc.PV = &view;
    EXPECT_EQ(eval("xpoint(3;1)"), 31);
    EXPECT_EQ(eval("ypoint(3;2)"), 62);
    EXPECT_EQ(eval("xvalue(30;1)"), 2);
    EXPECT_EQ(eval("yvalue(60;2)"), 1);
}

} // namespace
