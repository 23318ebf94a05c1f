// The example graph the program opens with: its data from the files and its
// look from the style macro beside them.

#include "app/ExampleGraph.h"
#include "AppFixtures.h"
#include "app/Manager.h"
#include "model/VexaDocument.h"
#include "platform/Color.h"
#include "view/Graphic.h"
#include "view/VexaTextView.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QString examples()
{
    return QStringLiteral(VEXA_FIXTURES "/../../resources/examples");
}

TEST(ExampleGraph, DataFromTheFilesAndTheLookFromItsMacro)
{
    Manager m;
    QString error;
    const auto d = ExampleGraph::build(m, examples(), &error);
    ASSERT_TRUE(d) << error.toStdString();
    ASSERT_EQ(d->bufferCount(), 3);
    EXPECT_EQ(d->DB[2]->belongx, 2);
    EXPECT_EQ(d->ymax2, 3000);

    // The style macro's doing: both axis pairs, the legend, the frame, the
    // buffers.
    const QColor green = Color::rgb(0.1, 0.55, 0.2);
    for (int a = 0; a < 4; ++a)
        EXPECT_EQ(d->axes[std::size_t(a)].axis, 1) << a;
    EXPECT_EQ(d->axes[AxisY2].axismode, AxisLog);
    EXPECT_EQ(d->axes[AxisX2].axistextcolor, green);
    EXPECT_EQ(d->axes[AxisY2].tickcolor, green);
    EXPECT_EQ(d->axes[AxisY1].grid, 1);
    EXPECT_EQ(d->axes[AxisY1].gridpattern, 2);
    EXPECT_EQ(d->axes[AxisX1].axistext, QStringLiteral("time (s)"));
    EXPECT_EQ(d->legend.plotlegend, 1);
    EXPECT_EQ(d->legend.legendalign, 2);
    EXPECT_EQ(d->legend.legendx, 800 - 90 - 20);
    EXPECT_EQ(d->page.framewidth, 1.5);
    EXPECT_EQ(d->page.marginright, 90);
    EXPECT_EQ(d->DB[0]->style.symbol, 1);
    EXPECT_EQ(d->DB[0]->errorbars.errorbary, 3);
    EXPECT_EQ(d->DB[2]->style.color, green);

    // A title above the top axis, and a note on the data with an arrow.
    ASSERT_EQ(d->T.size(), 2u);
    ASSERT_EQ(d->G.size(), 1u);
    const auto& title = dynamic_cast<const VexaTextView&>(*d->T[0]);
    const auto& note = dynamic_cast<const VexaTextView&>(*d->T[1]);
    const auto& arrow = dynamic_cast<const Graphic&>(*d->G[0]);
    EXPECT_EQ(title.string(), QStringLiteral("Damped oscillation and decay"));
    EXPECT_TRUE(title.autopos);
    EXPECT_EQ(title.autoposloc, 11);
    EXPECT_EQ(note.posmode, 1);
    EXPECT_EQ(arrow.type, 0);
    EXPECT_EQ(arrow.posmode, 1);
    EXPECT_TRUE(arrow.arrow1 || arrow.arrow2);
}

// A style macro that cannot be read, or that stops with an error, is no
// example graph.
TEST(ExampleGraph, AMissingOrFailingStyleMacroIsAnError)
{
    Manager m;
    const QString dir = TestSupport::scratchDir() + QStringLiteral("/examples");
    ASSERT_TRUE(QDir().mkpath(dir));
    for (const char* name : {"oscillation.dat", "model.dat", "decay.dat"})
        ASSERT_TRUE(QFile::copy(examples() + QLatin1Char('/') + QLatin1String(name),
                                dir + QLatin1Char('/') + QLatin1String(name)));
    QString error;
    EXPECT_FALSE(ExampleGraph::build(m, dir, &error));
    EXPECT_EQ(error, QStringLiteral("cannot read %1/example-graph.mac").arg(dir));

    ASSERT_FALSE(
        AppFixtures::writeScratch(QStringLiteral("examples/example-graph.mac"), "bsymbol 3\n").isEmpty());
    EXPECT_FALSE(ExampleGraph::build(m, dir, &error));
    EXPECT_EQ(error, QStringLiteral("%1/example-graph.mac stopped with an error").arg(dir));
}

} // namespace
