// The fit panel: each action makes one new buffer per selected row and
// replots; the strength pair; refusals with the operation's own message and
// no new buffer; the stored parameters after a restart.

#include "OperationPanelSupport.h"

#include "inspectors/DoubleSlider.h"
#include "inspectors/FitManager.h"

#include "ui_fit.h"

#include <QPushButton>

#include <gtest/gtest.h>

#include <cmath>

using InspectorSupport::type;
using OperationPanelSupport::buffer;
using OperationPanelSupport::store;

namespace {

struct Fixture : OperationPanelSupport::PanelFixture<FitManager> {
    Fixture()
            : PanelFixture("fit")
    {
        // Four buffers of 64 evenly spaced points.
        for (int k = 0; k < 4; ++k)
            add(buffer(64, [k](int i) { return std::sin(0.3 * i) + k; }));
    }
    const Ui::FitPanel& u() const { return panel->ui(); }
};

} // namespace

TEST(FitInspector, EachSelectedRowGivesOneNewBuffer)
{
    const struct {
        const char* name;
        QPushButton* Ui::FitPanel::*button;
        const char* comment; // of the new buffer made from buffer 1, after "b"
        int points;
    } cases[] = {
        {"spectrum", &Ui::FitPanel::fftButton, " FFT(Welch)", 64},
        {"reduction", &Ui::FitPanel::reductionButton, ", data reduction(4)", 16},
        {"smoothing", &Ui::FitPanel::smoothButton, ", smooth(4)", 64},
        {"FFT smoothing", &Ui::FitPanel::fftsmoothButton, ", fftsmooth(1,4)", 64},
        {"spline", &Ui::FitPanel::splineButton, ", spline(1,3,2.5)", 63 * 3 + 1},
        {"integral", &Ui::FitPanel::integrateButton, ", integral(1)", 64},
        {"derivative", &Ui::FitPanel::diffButton, ", diff(1,1.5)", 64},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.panel->window->button(2)->click();
        f.panel->factor->setText(QStringLiteral("4"));
        f.panel->points->setText(QStringLiteral("3"));
        type(f.panel->strength, QStringLiteral("2,5"));
        f.panel->interval->setText(QStringLiteral("1.5"));
        // Rows 1 and 3: the buffer made from 1 does not take 3's place.
        f.select({1, 3});
        f.replotted();
        (f.u().*c.button)->click();
        ASSERT_EQ(f.d.bufferCount(), 6);
        EXPECT_EQ(f.b(4).comment, QStringLiteral("b") + QLatin1String(c.comment));
        EXPECT_EQ(f.b(4).nop(), c.points);
        QString fromThree = QLatin1String(c.comment);
        fromThree.replace(QStringLiteral("(1"), QStringLiteral("(3"));
        EXPECT_EQ(f.b(5).comment, QStringLiteral("b") + fromThree);
        EXPECT_TRUE(f.replotted());
        EXPECT_TRUE(f.alerts.requests().empty());
        EXPECT_EQ(f.alerts.beeps(), 0);
    }
}

TEST(FitInspector, StrengthFieldAndSliderShowOneValue)
{
    Fixture f;
    type(f.panel->strength, QStringLiteral("3.14"));
    EXPECT_EQ(f.panel->strength->text(), QStringLiteral("3.1"));
    EXPECT_NEAR(f.panel->strengthSlider->doubleValue(), 3.1, 1e-9);
    f.panel->strengthSlider->setDoubleValue(7.5);
    EXPECT_EQ(f.panel->strength->text(), QStringLiteral("7.5"));
    // Past the slider's end the field keeps the typed value.
    type(f.panel->strength, QStringLiteral("40"));
    EXPECT_EQ(f.panel->strength->text(), QStringLiteral("40"));
    EXPECT_NEAR(f.panel->strengthSlider->doubleValue(), 10, 1e-9);
    // A text that is no number is refused; the field shows the strength it had.
    EXPECT_TRUE(f.alerts.requests().empty());
    type(f.panel->strength, QStringLiteral("strong"));
    EXPECT_EQ(f.panel->strength->text(), QStringLiteral("40"));
    ASSERT_EQ(f.alerts.requests().size(), 1u);
    EXPECT_EQ(f.alerts.requests()[0].title, QStringLiteral("Fit Inspector"));
    EXPECT_EQ(f.alerts.requests()[0].message, QStringLiteral("strong is no number"));
}

TEST(FitInspector, BadEntriesGetTheOperationsMessageAndChangeNothing)
{
    const struct {
        const char* name;
        QLineEdit* FitManager::*field;
        const char* typed;
        QPushButton* Ui::FitPanel::*button;
        const char* title; // of the one alert
        const char* message;
    } cases[] = {
        {"text as interval", &FitManager::interval, "wide", &Ui::FitPanel::diffButton, "Fit Inspector",
         "wide is no number"},
        {"text as factor", &FitManager::factor, "abc", &Ui::FitPanel::smoothButton, "Fit Inspector",
         "abc is no number"},
        {"text as reduction", &FitManager::factor, "", &Ui::FitPanel::reductionButton, "Fit Inspector",
         " is no number"},
        {"text as FFT smoothing", &FitManager::factor, "wide", &Ui::FitPanel::fftsmoothButton,
         "Fit Inspector", "wide is no number"},
        {"text as spline points", &FitManager::points, "many", &Ui::FitPanel::splineButton, "Fit Inspector",
         "many is no number"},
        {"interval below the spacing", &FitManager::interval, "0.5", &Ui::FitPanel::diffButton,
         "Differentiate calculation error", "Interval is to small"},
        {"spline of three points", &FitManager::points, "10", &Ui::FitPanel::splineButton,
         "Error in spline calculation for buffer 0", "Can not calculate spline interpolation"},
        {"FFT of one point", &FitManager::factor, "5", &Ui::FitPanel::fftButton,
         "Error in FFT calculation for buffer 1", "FFT needs at least 2 points"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.d.DB.clear();
        f.add(buffer(3, [](int i) { return i; }));
        f.add(buffer(1, [](int i) { return i; }));
        f.select({c.button == &Ui::FitPanel::fftButton ? 1 : 0});
        type(f.panel->*c.field, QLatin1String(c.typed));
        (f.u().*c.button)->click();
        EXPECT_EQ(f.d.bufferCount(), 2);
        EXPECT_EQ(f.b(0).nop(), 3);
        ASSERT_EQ(f.alerts.requests().size(), 1u);
        EXPECT_EQ(f.alerts.requests()[0].title, QLatin1String(c.title));
        EXPECT_EQ(f.alerts.requests()[0].message, QLatin1String(c.message));
    }
}

TEST(FitInspector, ReductionWithoutDocumentIsSilentAndFFTBeeps)
{
    Fixture f;
    f.window().close();
    QCoreApplication::processEvents();
    ASSERT_EQ(f.m->PD, nullptr);
    f.u().reductionButton->click();
    EXPECT_EQ(f.alerts.beeps(), 0);
    f.u().fftButton->click();
    EXPECT_EQ(f.alerts.beeps(), 1);
    EXPECT_TRUE(f.alerts.requests().empty());
}

TEST(FitInspector, StoredParametersComeBackAtTheNextStart)
{
    store().removeAll();
    {
        Fixture f;
        f.select({0});
        f.panel->window->button(3)->click();
        f.panel->factor->setText(QStringLiteral("7.9"));
        f.panel->points->setText(QStringLiteral("4"));
        type(f.panel->strength, QStringLiteral("4.25"));
        f.u().fftButton->click();
        f.u().smoothButton->click();
        f.u().splineButton->click();
        // Typed, but differentiation never ran with it.
        f.panel->interval->setText(QStringLiteral("3"));
    }
    Fixture f;
    EXPECT_EQ(f.panel->window->checkedId(), 3);
    EXPECT_EQ(f.panel->factor->text(), QStringLiteral("7"));
    EXPECT_EQ(f.panel->points->text(), QStringLiteral("4"));
    EXPECT_EQ(f.panel->strength->text(), QStringLiteral("4.2"));
    EXPECT_NEAR(f.panel->strengthSlider->doubleValue(), 4.2, 1e-9);
    EXPECT_EQ(f.panel->interval->text(), QStringLiteral("1"));
    EXPECT_FALSE(store().contains(QStringLiteral("DiffInterval")));
}
