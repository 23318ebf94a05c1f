// The extra panel: own ranges and bar edges written into the buffers of the
// scope, the edges of one direction excluding each other, and refused
// numbers.

#include "InspectorSupport.h"

#include "inspectors/ExtraManager.h"

#include "ui_extra.h"

#include <QCheckBox>
#include <QLineEdit>

#include <gtest/gtest.h>

using InspectorSupport::type;

namespace {

using Fixture = InspectorSupport::PanelFixture<ExtraManager>;
using Flag = BufferStyle::Flag;

} // namespace

TEST(ExtraInspector, SwitchesAndEdgesWriteTheScopedBuffers)
{
    // Three buffers, the last hidden; the edits go to every shown buffer.
    Fixture f("extra", 3, {2});
    ASSERT_NE(f.panel, nullptr);
    const Ui::ExtraPanel& u = f.panel->ui();
    VexaDocument& d = f.d;
    const BufferStyle hidden = d.DB[2]->style;
    u.allbuffer->click();

    // Each step clicks a box; then the four edge switches of every shown
    // buffer and the boxes' states.
    using Edges = std::array<Flag, 4>; // top, bottom, left, right
    const struct {
        QCheckBox* box;
        Edges edges;
    } steps[] = {
        {u.ytop, {1, 0, 0, 0}},  {u.ybottom, {0, 1, 0, 0}}, {u.ytop, {1, 0, 0, 0}}, {u.xright, {1, 0, 0, 1}},
        {u.xleft, {1, 0, 1, 0}}, {u.xleft, {1, 0, 0, 0}},   {u.ytop, {0, 0, 0, 0}},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.box->objectName().toStdString());
        s.box->click();
        for (int i = 0; i < 2; ++i) {
            const BufferStyle& b = d.DB[std::size_t(i)]->style;
            EXPECT_EQ((Edges{b.barytop, b.barybottom, b.barxleft, b.barxright}), s.edges) << "buffer " << i;
        }
        const Edges shown{u.ytop->isChecked(), u.ybottom->isChecked(), u.xleft->isChecked(),
                          u.xright->isChecked()};
        EXPECT_EQ(shown, s.edges);
        EXPECT_TRUE(f.replotted());
    }
    for (auto [box, field] :
         {std::pair{u.freex, &BufferStyle::freex}, std::pair{u.freey, &BufferStyle::freey}}) {
        box->click();
        EXPECT_EQ(d.DB[0]->style.*field, 1);
        EXPECT_EQ(d.DB[1]->style.*field, 1);
    }

    // One cell typed: all four are read and written into every target.
    u.fxmin->setText(QStringLiteral("-2,5"));
    u.fymin->setText(QStringLiteral("1e-3"));
    u.fymax->setText(QStringLiteral("7"));
    type(u.fxmax, QStringLiteral("12"));
    for (int i = 0; i < 2; ++i) {
        const BufferStyle& b = d.DB[std::size_t(i)]->style;
        EXPECT_EQ((std::array<double, 4>{b.fxmin, b.fxmax, b.fymin, b.fymax}),
                  (std::array<double, 4>{-2.5, 12, 1e-3, 7}));
    }
    EXPECT_EQ(u.fxmin->text(), QStringLiteral("-2.5"));
    EXPECT_EQ(u.fymin->text(), QStringLiteral("0.001"));
    EXPECT_TRUE(f.replotted());

    EXPECT_EQ(d.DB[2]->style, hidden);
    EXPECT_TRUE(f.alerts.requests().empty());
}

TEST(ExtraInspector, ARangeCellWithoutANumberRefusesAllFour)
{
    Fixture f("extra", 1);
    ASSERT_NE(f.panel, nullptr);
    const Ui::ExtraPanel& u = f.panel->ui();
    const BufferStyle before = f.d.DB[0]->style;

    // The edited cell is fine; another one is not.
    u.fymin->setText(QStringLiteral("low"));
    type(u.fxmax, QStringLiteral("5"));
    ASSERT_EQ(f.alerts.requests().size(), 1u);
    EXPECT_EQ(f.alerts.requests()[0].title, QStringLiteral("Extra Style Inspector"));
    EXPECT_EQ(f.alerts.requests()[0].message, QStringLiteral("low is no number"));
    EXPECT_EQ(f.d.DB[0]->style, before);
    EXPECT_FALSE(f.replotted());
    // The cells show what is stored.
    EXPECT_EQ(u.fymin->text(), QStringLiteral("0"));
    EXPECT_EQ(u.fxmax->text(), QStringLiteral("1"));
}
