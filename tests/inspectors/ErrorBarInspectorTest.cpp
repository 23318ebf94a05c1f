// The error-bar panel: modes, values, width and colour written into the
// buffers of the scope, and refused numbers.

#include "InspectorSupport.h"

#include "app/ColorWell.h"
#include "inspectors/DoubleSlider.h"
#include "inspectors/ErrorBarManager.h"

#include "ui_errorbar.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>

#include <gtest/gtest.h>

using InspectorSupport::type;

namespace {

using Fixture = InspectorSupport::PanelFixture<ErrorBarManager>;

} // namespace

TEST(ErrorBarInspector, EveryControlWritesTheSelectedBuffers)
{
    Fixture f("errorbar", 4);
    ASSERT_NE(f.panel, nullptr);
    const Ui::ErrorBarPanel& u = f.panel->ui();
    VexaDocument& d = f.d;
    u.selbuffer->click();
    InspectorSupport::selectBufferRows(*f.m, {1, 3});

    // Every target holds the value; buffers 0 and 2 keep the default.
    auto expectTargets = [&](auto read, auto value) {
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(read(d.DB[std::size_t(i)]->errorbars), i % 2 ? value : read(ErrorBarSettings()))
                << "buffer " << i;
    };

    const struct {
        QButtonGroup* cells;
        int ErrorBarSettings::*mode;
    } matrices[] = {{f.panel->errorBarX, &ErrorBarSettings::errorbarx},
                    {f.panel->errorBarY, &ErrorBarSettings::errorbary}};
    for (const auto& m : matrices) {
        for (int tag : {3, 1, 2}) {
            ASSERT_NE(m.cells->button(tag), nullptr);
            m.cells->button(tag)->click();
            expectTargets([&](const ErrorBarSettings& e) { return e.*m.mode; }, tag);
            EXPECT_TRUE(f.replotted());
        }
    }
    EXPECT_EQ(d.current, 1); // the first target became current

    const struct {
        QLineEdit* field;
        double ErrorBarSettings::*value;
        const char* typed;
        double stored;
        const char* shown;
    } numbers[] = {
        {u.errorValX, &ErrorBarSettings::errorvalx, "0,25", 0.25, "0.25"},
        {u.errorValY, &ErrorBarSettings::errorvaly, "12.5 %", 12.5, "12.5"},
        {u.errBarWidth, &ErrorBarSettings::errorwidth, "2.25", 2.25, "2.2"},
    };
    for (const auto& n : numbers) {
        SCOPED_TRACE(n.typed);
        type(n.field, QLatin1String(n.typed));
        expectTargets([&](const ErrorBarSettings& e) { return e.*n.value; }, n.stored);
        EXPECT_EQ(n.field->text(), QLatin1String(n.shown));
        EXPECT_TRUE(f.replotted());
    }
    u.errBarWidthSlider->setDoubleValue(3.5);
    expectTargets([](const ErrorBarSettings& e) { return e.errorwidth; }, 3.5);
    EXPECT_EQ(u.errBarWidth->text(), QStringLiteral("3.5"));

    const QColor c(200, 10, 10, 90);
    u.errorColor->chooseColor(c);
    EXPECT_EQ(d.DB[1]->style.errorcolor, c);
    EXPECT_EQ(d.DB[3]->style.errorcolor, c);
    EXPECT_NE(d.DB[2]->style.errorcolor, c);
    EXPECT_TRUE(f.alerts.requests().empty());
}

TEST(ErrorBarInspector, TextThatIsNoNumberIsRefused)
{
    Fixture f("errorbar", 1);
    ASSERT_NE(f.panel, nullptr);
    const Ui::ErrorBarPanel& u = f.panel->ui();
    const ErrorBarSettings before = f.d.DB[0]->errorbars;
    for (QLineEdit* field : {u.errorValX, u.errorValY, u.errBarWidth}) {
        SCOPED_TRACE(field->objectName().toStdString());
        const QString shown = field->text();
        type(field, QStringLiteral("n/a"));
        EXPECT_EQ(field->text(), shown);
        EXPECT_FALSE(f.replotted());
    }
    ASSERT_EQ(f.alerts.requests().size(), 3u);
    EXPECT_EQ(f.alerts.requests()[0].title, QStringLiteral("Error Bar Inspector"));
    EXPECT_EQ(f.alerts.requests()[0].message, QStringLiteral("n/a is no number"));
    EXPECT_EQ(f.d.DB[0]->errorbars, before);
}
