#include "model/DataBuffer.h"

#include "model/BufferStyleDefaults.h"
#include "platform/Color.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

class DataBufferTest : public ::testing::Test { };

TEST_F(DataBufferTest, NewBufferHasThePlainLineStyle)
{
    DataBuffer b;
    EXPECT_EQ(b.nop(), 0);
    EXPECT_FALSE(b.haserror());
    EXPECT_EQ(b.show, 1);
    EXPECT_EQ(b.belongx, 1);
    EXPECT_EQ(b.belongy, 1);
    EXPECT_EQ(b.style.plotlines, 1);
    for (auto f : {b.style.plotsymbols, b.style.plotybars, b.style.plotxbars, b.style.plotfhist,
                   b.style.plotysticks, b.style.plotxsticks, b.style.plotdots, b.style.plotarea,
                   b.style.plothist, b.style.stickabs, b.style.symfill, b.style.freex, b.style.freey})
        EXPECT_EQ(f, 0);
    EXPECT_EQ(b.style.symbolsize, 10);
    EXPECT_EQ(b.style.sticksize, 20);
    EXPECT_EQ(b.plotlegend, 1);
    EXPECT_EQ(b.errorbars.errorwidth, 1);
    EXPECT_EQ(b.style.color, Color::black());
    EXPECT_EQ(b.style.fillcolor, Color::lightGray());
    EXPECT_EQ(b.style.fxmax, 1);
    EXPECT_EQ(b.havexminmax, 0);
}

TEST_F(DataBufferTest, StyleDefaultsComeFromTheStore)
{
    auto& d = UserDefaults::standard();
    d.removeAll();
    d.setValue("BStickSize", 35);
    d.setValue("BSymbolSize", 6);
    d.setValue("BDashWidth", 2);
    d.setValue("BFXmax", 250.5);
    d.setValue("BLineWidth", 0.1);
    d.setValue("BPlotLines", false);
    d.setValue("BPlotSymbols", 7);
    d.setValue("BSymbol", 3);
    d.setValue("BDynSize", "y*2");
    d.setColor("BColor", QColor(255, 0, 0));
    d.setValue("BFillColor", QByteArray("not a colour"));

    BufferDefaults defaults;
    BufferStyleDefaults::read(d, defaults);
    d.removeAll();
    DataBuffer b(defaults);
    EXPECT_EQ(b.style.sticksize, 35);
    EXPECT_EQ(b.style.symbolsize, 6);
    EXPECT_EQ(b.style.dashwidth, 2);
    EXPECT_EQ(b.style.fxmax, 250.5);
    EXPECT_EQ(b.style.linewidth, double(0.1f)); // the store keeps single precision
    EXPECT_EQ(b.style.plotlines, 0);
    EXPECT_EQ(b.style.plotsymbols, 1);
    EXPECT_EQ(b.style.symbol, 3);
    EXPECT_EQ(b.dynsize, "y*2");
    EXPECT_EQ(b.style.color, QColor(255, 0, 0));
    EXPECT_EQ(b.style.fillcolor, Color::lightGray()); // undecodable: left as it was
}

TEST_F(DataBufferTest, ExtentsCoverOnlyFiniteValues)
{
    DataBuffer b;
    b.addDoubleValue(1, nan);
    b.addDoubleValue(2, 5);
    EXPECT_EQ(b.xmin, 1);
    EXPECT_EQ(b.xmax, 2);
    EXPECT_EQ(b.ymin, 5);
    EXPECT_EQ(b.ymax, 5);
    b.addDoubleValue(inf, 3);
    EXPECT_EQ(b.xmax, 2);
    EXPECT_EQ(b.ymin, 3);

    DataBuffer allNan;
    allNan.addDoubleValue(nan, nan);
    allNan.rescale();
    EXPECT_EQ(allNan.havexminmax, 0);
    EXPECT_EQ(allNan.haveyminmax, 0);
    EXPECT_EQ(allNan.xmin, 0);
}

TEST_F(DataBufferTest, EmptiedBufferKeepsItsLastExtentsWithFlagsOff)
{
    DataBuffer b;
    for (double x : {5.0, 7.0, 9.0})
        b.addDoubleValue(x, 1);
    b.deletePoints({0, 1, 2});
    EXPECT_EQ(b.nop(), 0);
    EXPECT_EQ(b.xmin, 5);
    EXPECT_EQ(b.xmax, 9);
    EXPECT_EQ(b.havexminmax, 0);
}

TEST_F(DataBufferTest, RemovalRecomputesExtents)
{
    DataBuffer b;
    for (double x : {1.0, 2.0, 3.0})
        b.addDoubleValue(x, x * 10);
    b.deletePoint(2);
    EXPECT_EQ(b.xmax, 2);
    EXPECT_EQ(b.ymax, 20);
    b.setYDoubleValueAt(0, -4);
    EXPECT_EQ(b.ymin, -4);
    b.deletePoint(5);
    b.deletePoint(-1);
    EXPECT_EQ(b.nop(), 2);
}

TEST_F(DataBufferTest, ErrorsComeAndGoAsAWhole)
{
    DataBuffer b;
    b.addDoubleValue(1, 1);
    b.addDoubleValue(2, 2);
    b.setXDoubleErrorAt(-1, 9); // out of range, yet the errors are created
    ASSERT_TRUE(b.haserror());
    EXPECT_EQ(b.EX, (std::vector<double>{0, 0}));
    EXPECT_EQ(b.EY, (std::vector<double>{0, 0}));

    b.addDoubleValue(3, 3); // zero errors follow the point
    EXPECT_EQ(b.EX.size(), 3u);
    b.quickAddDoubleValue(4, 4); // the quick form does not
    EXPECT_TRUE(b.haserror());
    EXPECT_EQ(b.EX.size(), 3u);
    EXPECT_EQ(b.nop(), 4);

    b.setYDoubleErrorAt(1, 0.5);
    EXPECT_EQ(b.ye(1), 0.5);
    b.deleteError();
    EXPECT_FALSE(b.haserror());
    EXPECT_EQ(b.xe(0), 0);
}

TEST_F(DataBufferTest, DeletePointsSkipsIndexesBeyondTheData)
{
    DataBuffer b;
    for (int i = 0; i < 5; ++i)
        b.addDoubleValueError(i, i * 2, i * 0.1, i * 0.2);
    b.deletePoints({0, 2, 7, -3});
    EXPECT_EQ(b.X, (std::vector<double>{1, 3, 4}));
    EXPECT_EQ(b.Y, (std::vector<double>{2, 6, 8}));
    EXPECT_EQ(b.EY, (std::vector<double>{0.2, 0.6000000000000001, 0.8}));
    EXPECT_EQ(b.xmin, 1);
}

// Columns of other lengths can only come from direct field writes; they must
// read as empty and never be read or cut past their end.
TEST_F(DataBufferTest, MismatchedColumnsAreHandledSafely)
{
    DataBuffer b;
    b.X = {1, 2, 3};
    b.Y = {1};
    EXPECT_EQ(b.nop(), 0);
    b.rescale();
    EXPECT_EQ(b.xmax, 3);
    b.deletePoint(2);
    b.deletePoints({0, 1});
    EXPECT_TRUE(b.X.empty());
    EXPECT_TRUE(b.Y.empty());
}

TEST_F(DataBufferTest, AccessorsOutOfRangeGiveZero)
{
    DataBuffer b;
    for (int i = 1; i <= 3; ++i)
        b.addDoubleValue(i, i);
    EXPECT_EQ(b.xDoubleValueAt(10), 0);
    EXPECT_EQ(b.x(-1), 0);
    EXPECT_EQ(b.yDoubleErrorAt(0), 0);
    b.setXDoubleValueAt(3, 99);
    EXPECT_EQ(b.xmax, 3);
}

TEST_F(DataBufferTest, StyleCopyLeavesLegendAndErrorBarsAlone)
{
    DataBuffer s;
    s.plotlegend = 0;
    s.errorbars.errorbary = 3;
    s.dynsize = "x";
    s.style.symbol = 7;
    s.style.plotsymbols = 1;
    s.style.barcolor = QColor(1, 2, 3);
    s.style.fymax = 42;

    DataBuffer r;
    r.copyStyle(s);
    EXPECT_EQ(r.plotlegend, 1);
    EXPECT_EQ(r.errorbars.errorbary, 0);
    EXPECT_EQ(r.dynsize, "");
    EXPECT_EQ(r.style.symbol, 7);
    EXPECT_EQ(r.style.plotsymbols, 1);
    EXPECT_EQ(r.style.barcolor, QColor(1, 2, 3));
    EXPECT_EQ(r.style.fymax, 42);
}

TEST_F(DataBufferTest, CopyIsDeepAndLeavesExtentsForRescale)
{
    DataBuffer s;
    s.addDoubleValueError(1, 2, 0.1, 0.2);
    s.addDoubleValueError(3, 4, 0.3, 0.4);
    s.source = "file.dat";
    s.comment = "Import";
    s.plotlegend = 0;
    s.errorbars.errorbarx = 2;
    s.errorbars.errorvalx = 5;
    s.belongy = 2;
    s.rm = 1;
    s.norescale = 1;
    s.style.color = QColor(10, 20, 30);

    auto c = s.copyWithZone();
    EXPECT_EQ(c->X, s.X);
    EXPECT_EQ(c->EY, s.EY);
    EXPECT_EQ(c->source, "file.dat");
    EXPECT_EQ(c->plotlegend, 0);
    EXPECT_EQ(c->errorbars.errorbarx, 2);
    EXPECT_EQ(c->errorbars.errorvalx, 5);
    EXPECT_EQ(c->belongy, 2);
    EXPECT_EQ(c->rm, 1);
    EXPECT_EQ(c->norescale, 0);
    EXPECT_EQ(c->style.color, QColor(10, 20, 30));
    EXPECT_EQ(c->havexminmax, 0);
    EXPECT_EQ(c->xmax, 0);

    c->X.set(0, 100);
    c->getComment() += ", moved";
    EXPECT_EQ(s.X[0], 1);
    EXPECT_EQ(s.comment, "Import");
    c->rescale();
    EXPECT_EQ(c->xmax, 100);
}

TEST_F(DataBufferTest, NorescaleFreezesTheExtents)
{
    DataBuffer b;
    b.addDoubleValue(1, 1);
    b.norescale = 1;
    b.X.set(0, 50);
    b.rescale();
    EXPECT_EQ(b.xmax, 1);
    b.norescale = 0;
    b.rescale();
    EXPECT_EQ(b.xmax, 50);
}

} // namespace
