// The normalize panel: each action runs its document operation on the
// selected buffers and replots; reference values as numbers or dates; the
// stored parameters come back at the next start; the tools fill its fields.

#include "OperationPanelSupport.h"

#include "inspectors/NormalizeManager.h"
#include "model/ManagerServices.h"
#include "support/TestSupport.h"

#include "ui_normalize.h"

#include <QPushButton>

#include <gtest/gtest.h>

#include <cmath>

using InspectorSupport::type;
using OperationPanelSupport::buffer;
using OperationPanelSupport::store;

namespace {

struct Fixture : OperationPanelSupport::PanelFixture<NormalizeManager> {
    Fixture()
            : PanelFixture("normalize")
    {
        // Buffers 0 to 2: y = 2x, y = 10 + x, y = x^2 over x = 0 .. 9.
        add(buffer(10, [](int i) { return 2.0 * i; }));
        add(buffer(10, [](int i) { return 10.0 + i; }));
        add(buffer(10, [](int i) { return double(i * i); }));
    }
    const Ui::NormalizePanel& u() const { return panel->ui(); }
    void fill(int axisTag, const char* r1, const char* r2, const char* n1, const char* n2)
    {
        panel->axis->button(axisTag)->click();
        panel->ref1->setText(QLatin1String(r1));
        panel->ref2->setText(QLatin1String(r2));
        panel->new1->setText(QLatin1String(n1));
        panel->new2->setText(QLatin1String(n2));
    }
};

} // namespace

TEST(NormalizeInspector, ActionsRunOnTheSelectedBuffersAndReplot)
{
    const struct {
        const char* name;
        int axis;
        const char *r1, *r2, *n1, *n2;
        QPushButton* Ui::NormalizePanel::*button;
        int buffers; // afterwards
        std::function<void(Fixture&)> check;
    } cases[] = {
        {"normalize x", 0, "0", "9", "0", "1", &Ui::NormalizePanel::normalizeButton, 3,
         [](Fixture& f) {
             EXPECT_DOUBLE_EQ(f.b(0).xDoubleValueAt(9), 1);
             EXPECT_DOUBLE_EQ(f.b(2).xDoubleValueAt(3), 3.0 / 9);
             EXPECT_DOUBLE_EQ(f.b(1).xDoubleValueAt(9), 9); // not selected
         }},
        {"move y", 1, "1", "0", "4", "0", &Ui::NormalizePanel::moveButton, 3,
         [](Fixture& f) {
             EXPECT_DOUBLE_EQ(f.b(0).yDoubleValueAt(1), 5);
             EXPECT_DOUBLE_EQ(f.b(1).yDoubleValueAt(0), 10);
         }},
        {"cut outside keeps the inside", 0, "6.5", "2.5", "", "", &Ui::NormalizePanel::cutOutside, 3,
         [](Fixture& f) {
             EXPECT_EQ(f.b(0).nop(), 4);
             EXPECT_DOUBLE_EQ(f.b(0).xDoubleValueAt(0), 3);
             EXPECT_EQ(f.b(2).nop(), 4);
         }},
        {"cut inside keeps the outside", 1, "3", "50", "", "", &Ui::NormalizePanel::cutInside, 3,
         [](Fixture& f) {
             EXPECT_EQ(f.b(0).nop(), 2); // y 0 and 2
             EXPECT_EQ(f.b(2).nop(), 4); // y 0, 1, 64 and 81
         }},
        {"linear regression", 0, "0", "9", "", "", &Ui::NormalizePanel::reglinButton, 5,
         [](Fixture& f) {
             EXPECT_DOUBLE_EQ(f.b(3).yDoubleValueAt(9), 18);
             EXPECT_TRUE(f.b(3).comment.contains(QStringLiteral("linreg(0,")));
             EXPECT_TRUE(f.b(4).comment.contains(QStringLiteral("linreg(2,")));
             EXPECT_DOUBLE_EQ(f.m->GV.value(QStringLiteral("regb")), 9);
         }},
        {"exponential regression over part of the range", 0, "1", "9", "", "",
         &Ui::NormalizePanel::regexpButton, 5,
         [](Fixture& f) { EXPECT_TRUE(f.b(4).comment.contains(QStringLiteral("expreg(2,"))); }},
        {"range integral", 0, "0", "9", "", "", &Ui::NormalizePanel::intrangeButton, 3,
         [](Fixture& f) {
             EXPECT_TRUE(f.b(0).comment.endsWith(QStringLiteral(", int(0,0-9)=81")));
             EXPECT_DOUBLE_EQ(f.m->GV.value(QStringLiteral("integral")), 244.5);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.select({0, 2});
        f.replotted();
        f.fill(c.axis, c.r1, c.r2, c.n1, c.n2);
        (f.u().*c.button)->click();
        EXPECT_EQ(f.d.bufferCount(), c.buffers);
        c.check(f);
        EXPECT_TRUE(f.replotted());
        EXPECT_TRUE(f.alerts.requests().empty());
        EXPECT_EQ(f.alerts.beeps(), 0);
    }
}

TEST(NormalizeInspector, LinearBackgroundSkipsRowsPastTheBuffers)
{
    Fixture f;
    f.select({1, 2});
    // The list still shows a row for a buffer that is gone.
    f.d.DB.pop_back();
    type(f.panel->linbga, QStringLiteral("0,5"));
    type(f.panel->linbgb, QStringLiteral("-10"));
    f.replotted();
    f.u().linbgButton->click();
    EXPECT_DOUBLE_EQ(f.b(1).yDoubleValueAt(4), 10 + 4 + 2 - 10);
    EXPECT_DOUBLE_EQ(f.b(0).yDoubleValueAt(4), 8);
    EXPECT_TRUE(f.replotted());
    EXPECT_FLOAT_EQ(store().floatForKey(QStringLiteral("LinBgA")), 0.5f);
    EXPECT_FLOAT_EQ(store().floatForKey(QStringLiteral("LinBgB")), -10.f);
}

TEST(NormalizeInspector, ReferenceValuesAreNumbersOrDates)
{
    TestSupport::PinnedTimeZone zone(QStringLiteral("Europe/Berlin"));
    Fixture f;
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"2.5", 2.5},
        {"1,5", 1.5},
        {"-3e2", -300},
        {"no number", 0},
        {"", 0},
        // Local midnight in Berlin is 23:00 UTC the day before.
        {"2020-01-01 00:00:00", 599526000.0},
        {"2001-01-01 01:00:00", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        f.panel->ref2->setText(QLatin1String(c.text));
        EXPECT_DOUBLE_EQ(f.panel->getRefValue(1), c.value);
    }
    f.panel->ref1->setText(QStringLiteral("7"));
    f.panel->new1->setText(QStringLiteral("8"));
    f.panel->new2->setText(QStringLiteral("9"));
    EXPECT_EQ(f.panel->getRefValue(0), 7);
    EXPECT_EQ(f.panel->getRefValue(2), 8);
    EXPECT_EQ(f.panel->getRefValue(3), 9);
    EXPECT_EQ(f.panel->getRefValue(4), 0);
    EXPECT_EQ(f.panel->getRefValue(-1), 0);

    // A range of dates cuts as the same range of seconds.
    f.d.DB.clear();
    f.add(buffer(
        3, [](int i) { return i; }, 599526000.0 - 1));
    f.select({0});
    f.fill(0, "2020-01-01 00:00:00", "2020-01-01 00:00:02", "", "");
    f.u().cutOutside->click();
    ASSERT_EQ(f.b(0).nop(), 1);
    EXPECT_EQ(f.b(0).xDoubleValueAt(0), 599526001.0);
}

TEST(NormalizeInspector, FieldsThatHoldNoNumberAreRefusedAndNothingRuns)
{
    const struct {
        QLineEdit* NormalizeManager::*field;
        const char* typed;
        QPushButton* Ui::NormalizePanel::*button;
        const char* message;
    } cases[] = {
        {&NormalizeManager::ref1, "abc", &Ui::NormalizePanel::normalizeButton, "abc is no number"},
        {&NormalizeManager::new2, "", &Ui::NormalizePanel::normalizeButton, " is no number"},
        {&NormalizeManager::new1, "to", &Ui::NormalizePanel::moveButton, "to is no number"},
        {&NormalizeManager::ref2, "end", &Ui::NormalizePanel::cutInside, "end is no number"},
        {&NormalizeManager::ref1, "start", &Ui::NormalizePanel::reglinButton, "start is no number"},
        {&NormalizeManager::ref2, "yesterday", &Ui::NormalizePanel::intrangeButton, "yesterday is no number"},
        {&NormalizeManager::linbgb, "b", &Ui::NormalizePanel::linbgButton, "b is no number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        Fixture f;
        f.select({0, 2});
        f.fill(1, "0", "9", "0", "1");
        f.panel->linbga->setText(QStringLiteral("1"));
        f.panel->linbgb->setText(QStringLiteral("2"));
        (f.panel->*c.field)->setText(QLatin1String(c.typed));
        f.replotted();
        (f.u().*c.button)->click();
        EXPECT_EQ(f.d.bufferCount(), 3);
        EXPECT_EQ(f.b(0).nop(), 10);
        EXPECT_DOUBLE_EQ(f.b(0).yDoubleValueAt(4), 8);
        EXPECT_FALSE(f.replotted());
        EXPECT_EQ(f.alerts.beeps(), 0);
        ASSERT_EQ(f.alerts.requests().size(), 1u);
        EXPECT_EQ(f.alerts.requests()[0].title, QStringLiteral("Normalize Inspector"));
        EXPECT_EQ(f.alerts.requests()[0].message, QLatin1String(c.message));
    }
}

TEST(NormalizeInspector, WithoutSelectionTheUserChoosesAllOrNothing)
{
    Fixture f;
    f.fill(1, "0", "1", "5", "6");

    // Cancel: a beep, no change; the parameters are stored all the same.
    f.alerts.answer(1);
    f.u().moveButton->click();
    ASSERT_EQ(f.alerts.requests().size(), 1u);
    EXPECT_EQ(f.alerts.requests()[0].title, QStringLiteral("No Buffer Selected"));
    EXPECT_EQ(f.alerts.beeps(), 1);
    EXPECT_DOUBLE_EQ(f.b(0).yDoubleValueAt(1), 2);
    EXPECT_EQ(store().stringForKey(QStringLiteral("NormNew1")), QStringLiteral("5"));
    EXPECT_EQ(store().integerForKey(QStringLiteral("NormAxis")), 1);

    // Select All: every buffer moves.
    f.alerts.answer(0);
    f.u().moveButton->click();
    EXPECT_EQ(f.alerts.beeps(), 1);
    for (int i = 0; i < 3; ++i)
        EXPECT_DOUBLE_EQ(f.b(i).yDoubleValueAt(0), i == 1 ? 15 : 5) << i;
    EXPECT_EQ(f.m->selectedBufferRows().size(), 3u);

    // No document: a beep, the parameters stored.
    f.window().close();
    QCoreApplication::processEvents();
    ASSERT_EQ(f.m->PD, nullptr);
    f.panel->ref1->setText(QStringLiteral("42"));
    const std::size_t asked = f.alerts.requests().size();
    f.u().normalizeButton->click();
    EXPECT_EQ(f.alerts.beeps(), 2);
    EXPECT_EQ(f.alerts.requests().size(), asked);
    EXPECT_EQ(store().stringForKey(QStringLiteral("NormRef1")), QStringLiteral("42"));
}

TEST(NormalizeInspector, StoredParametersComeBackAtTheNextStart)
{
    store().removeAll();
    {
        // A fresh installation: the new values show 0 and 1, the other
        // fields what the panel starts with.
        Fixture f;
        EXPECT_EQ(f.panel->new1->text(), QStringLiteral("0"));
        EXPECT_EQ(f.panel->new2->text(), QStringLiteral("1"));
        EXPECT_EQ(f.panel->axis->checkedId(), 0);
        f.select({0});
        f.fill(1, "2020-01-01 00:00:00", "3", "4", "5");
        f.u().intrangeButton->click();
        type(f.panel->linbga, QStringLiteral("0.123456789"));
        type(f.panel->linbgb, QStringLiteral("7"));
        f.u().linbgButton->click();
        // Typed, but no action ran with it.
        f.panel->ref2->setText(QStringLiteral("99"));
    }
    Fixture f;
    EXPECT_EQ(f.panel->axis->checkedId(), 1);
    EXPECT_EQ(f.panel->ref1->text(), QStringLiteral("2020-01-01 00:00:00"));
    EXPECT_EQ(f.panel->ref2->text(), QStringLiteral("3"));
    EXPECT_EQ(f.panel->new1->text(), QStringLiteral("4"));
    EXPECT_EQ(f.panel->new2->text(), QStringLiteral("5"));
    // Single precision: about seven digits.
    EXPECT_EQ(f.panel->linbga->text(), QStringLiteral("0.12345679"));
    EXPECT_EQ(f.panel->linbgb->text(), QStringLiteral("7"));
}

TEST(NormalizeInspector, ReferenceAndBackgroundToolsFillTheFields)
{
    Fixture f;
    f.m->selectMouseMode(QStringLiteral("normy"));
    f.m->mouseModeDidChange(&f.d);
    EXPECT_EQ(f.m->inspectors().selectedKey(), QStringLiteral("normalize"));
    EXPECT_EQ(f.panel->axis->checkedId(), 1);
    f.m->setMouseLocation(2.5);
    f.m->setMouseLocation(7.25);
    EXPECT_EQ(f.panel->ref1->text(), QStringLiteral("2.5"));
    EXPECT_EQ(f.panel->ref2->text(), QStringLiteral("7.25"));
    f.m->setLinBg(0.5, -1);
    EXPECT_EQ(f.panel->linbga->text(), QStringLiteral("0.5"));
    EXPECT_EQ(f.panel->linbgb->text(), QStringLiteral("-1"));
}
