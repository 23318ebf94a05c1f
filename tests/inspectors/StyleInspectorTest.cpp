// The style panel: every control writes the buffers of the scope and the
// refresh shows what was stored; the scope boxes; refused numbers; the
// per-point size check; styles in turn and the default style.

#include "InspectorSupport.h"

#include "app/ColorWell.h"
#include "inspectors/DoubleSlider.h"
#include "inspectors/InsPopUpButton.h"
#include "inspectors/StyleManager.h"
#include "platform/UserDefaults.h"

#include "ui_style.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <vector>

using InspectorSupport::type;

namespace {

using Fixture = InspectorSupport::PanelFixture<StyleManager>;
using Flag = BufferStyle::Flag;

// The value of a style field in each of the buffers.
template <class T> std::vector<T> values(const VexaDocument& d, T BufferStyle::*field)
{
    std::vector<T> out;
    for (const auto& b : d.DB)
        out.push_back(b->style.*field);
    return out;
}

} // namespace

TEST(StyleInspector, EveryControlWritesTheScopedBuffersAndShowsWhatWasStored)
{
    // Four buffers, the last hidden; the edits go to every shown buffer.
    Fixture f("style", 4, {3});
    ASSERT_NE(f.panel, nullptr);
    const Ui::StylePanel& u = f.panel->ui();
    VexaDocument& d = f.d;
    const BufferStyle hidden = d.DB[3]->style;
    u.allbuffer->click();
    EXPECT_FALSE(f.replotted());

    auto expectShown = [&](auto field, auto value) {
        const auto v = values(d, field);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(v[std::size_t(i)], value) << "buffer " << i;
    };

    const struct {
        QCheckBox* box;
        Flag BufferStyle::*field;
    } switches[] = {
        {u.plotlines, &BufferStyle::plotlines},     {u.plotsymbols, &BufferStyle::plotsymbols},
        {u.plotdots, &BufferStyle::plotdots},       {u.plotarea, &BufferStyle::plotarea},
        {u.plotybars, &BufferStyle::plotybars},     {u.plotxbars, &BufferStyle::plotxbars},
        {u.plotysticks, &BufferStyle::plotysticks}, {u.plotxsticks, &BufferStyle::plotxsticks},
        {u.plothist, &BufferStyle::plothist},       {u.plotfhist, &BufferStyle::plotfhist},
        {u.stickabs, &BufferStyle::stickabs},       {u.symbolFill, &BufferStyle::symfill},
    };
    for (const auto& s : switches) {
        SCOPED_TRACE(s.box->objectName().toStdString());
        const Flag before = d.DB[0]->style.*s.field;
        s.box->click();
        expectShown(s.field, Flag(before ? 0 : 1));
        EXPECT_EQ(s.box->isChecked(), before == 0);
        EXPECT_TRUE(f.replotted());
    }

    const struct {
        ColorWell* well;
        QColor BufferStyle::*field;
    } wells[] = {{u.color, &BufferStyle::color},
                 {u.fillColor, &BufferStyle::fillcolor},
                 {u.barColor, &BufferStyle::barcolor},
                 {u.stickColor, &BufferStyle::stickcolor}};
    for (const auto& w : wells) {
        const QColor c(20, 120, 220, 150);
        w.well->chooseColor(c);
        expectShown(w.field, c);
        EXPECT_TRUE(f.replotted());
    }

    // Typed sizes: stored as read, shown as stored; the dash width is a
    // whole number.
    const struct {
        QLineEdit* field;
        DoubleSlider* slider;
        double BufferStyle::*value;
        const char* typed;
        double stored;
        const char* shown;
        double slid;
    } sizes[] = {
        {u.linewidth, u.linewidthslider, &BufferStyle::linewidth, "2,5", 2.5, "2.5", 4},
        {u.dashwidth, u.dashwidthslider, &BufferStyle::dashwidth, "3.7", 3, "3", 6},
        {u.symbolsize, u.symbolsizeslider, &BufferStyle::symbolsize, "12.34 pt", 12.34, "12.3", 20},
        {u.sticksize, u.sticksizeslider, &BufferStyle::sticksize, "-7", -7, "-7", 30},
    };
    for (const auto& s : sizes) {
        SCOPED_TRACE(s.field->objectName().toStdString());
        type(s.field, QLatin1String(s.typed));
        expectShown(s.value, s.stored);
        EXPECT_EQ(s.field->text(), QLatin1String(s.shown));
        EXPECT_TRUE(f.replotted());
        s.slider->setDoubleValue(s.slid);
        expectShown(s.value, s.slid);
        EXPECT_EQ(s.field->text(), QString::number(s.slid));
    }

    // The pop-ups: item k is pattern or symbol k.
    for (auto [popUp, field] :
         {std::pair{u.dash, &BufferStyle::dash}, std::pair{u.symbol, &BufferStyle::symbol}}) {
        ASSERT_EQ(popUp->count(), 16);
        EXPECT_FALSE(popUp->itemIcon(15).isNull());
        popUp->setCurrentIndex(13);
        emit popUp->activated(13);
        expectShown(field, 13);
        EXPECT_TRUE(f.replotted());
    }

    type(u.dynamicSize, QStringLiteral("y*2"));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(d.DB[std::size_t(i)]->dynsize, QStringLiteral("y*2"));
    EXPECT_TRUE(d.DB[3]->dynsize.isEmpty());
    EXPECT_TRUE(f.panel->synerror->text().isEmpty());

    EXPECT_EQ(d.DB[3]->style, hidden);
    EXPECT_TRUE(f.alerts.requests().empty());
}

TEST(StyleInspector, TheScopeBoxesChooseTheBuffersAndTheCurrentOneFollows)
{
    Fixture f("style", 4, {1});
    ASSERT_NE(f.panel, nullptr);
    const Ui::StylePanel& u = f.panel->ui();
    VexaDocument& d = f.d;

    // The boxes exclude each other, and switching them changes no buffer
    // and does not replot.
    u.allbuffer->click();
    u.selbuffer->click();
    EXPECT_FALSE(u.allbuffer->isChecked());
    u.selbuffer->click();
    EXPECT_FALSE(u.allbuffer->isChecked());
    EXPECT_FALSE(f.replotted());

    // Neither box: the current buffer, even a hidden one.
    d.current = 1;
    u.plotsymbols->click();
    EXPECT_EQ(values(d, &BufferStyle::plotsymbols), (std::vector<Flag>{0, 1, 0, 0}));

    // The selected shown buffers; the current one was not among them, so
    // the first of them becomes current and the panel shows it.
    d.DB[2]->style.linewidth = 6;
    u.selbuffer->click();
    InspectorSupport::selectBufferRows(*f.m, {1, 2, 3});
    u.plotdots->click();
    EXPECT_EQ(values(d, &BufferStyle::plotdots), (std::vector<Flag>{0, 0, 1, 1}));
    EXPECT_EQ(d.current, 2);
    EXPECT_EQ(u.linewidth->text(), QStringLiteral("6"));

    // Nothing selected: nothing written, the document replots all the same.
    f.replotted();
    InspectorSupport::selectBufferRows(*f.m, {});
    u.plotarea->click();
    EXPECT_EQ(values(d, &BufferStyle::plotarea), (std::vector<Flag>{0, 0, 0, 0}));
    EXPECT_TRUE(f.replotted());
    EXPECT_EQ(d.current, 2);
}

TEST(StyleInspector, TextThatIsNoNumberIsRefusedAndChangesNothing)
{
    Fixture f("style", 2);
    ASSERT_NE(f.panel, nullptr);
    const Ui::StylePanel& u = f.panel->ui();
    VexaDocument& d = f.d;
    const BufferStyle before = d.DB[0]->style;

    const struct {
        QLineEdit* field;
        const char* typed;
    } cases[] = {
        {u.linewidth, "thick"}, {u.dashwidth, "x3"},  {u.symbolsize, ""},
        {u.sticksize, "1e999"}, {u.linewidth, "- 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const QString shown = c.field->text();
        const std::size_t asked = f.alerts.requests().size();
        type(c.field, QLatin1String(c.typed));
        ASSERT_EQ(f.alerts.requests().size(), asked + 1);
        EXPECT_EQ(f.alerts.requests().back().title, QStringLiteral("Data Style Inspector"));
        EXPECT_EQ(f.alerts.requests().back().message, QStringLiteral("%1 is no number").arg(c.typed));
        EXPECT_EQ(c.field->text(), shown);
        EXPECT_FALSE(f.replotted());
    }
    EXPECT_EQ(d.DB[0]->style, before);
}

TEST(StyleInspector, ThePerPointSizeIsCheckedForEveryTarget)
{
    Fixture f("style", 3);
    ASSERT_NE(f.panel, nullptr);
    const Ui::StylePanel& u = f.panel->ui();
    VexaDocument& d = f.d;
    QLabel* message = f.panel->synerror;
    EXPECT_EQ(message->palette().color(QPalette::WindowText), QColor(Qt::red));

    // Each text is typed into the current buffer (0).
    const struct {
        const char* typed;
        const char* message;
    } cases[] = {
        {"y*2", ""},
        {"q*2", "Undefined variable: q"},
        {"sqrt(x)+cb+bn+nb+np+dp+ex+ey", ""}, // every variable the drawing offers
        {"3*(", "syntax error"},
        {"gvsize", ""}, // a variable of the controller
    };
    f.m->setVar(QStringLiteral("gvsize"), 4);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        type(u.dynamicSize, QLatin1String(c.typed));
        EXPECT_EQ(d.DB[0]->dynsize, QLatin1String(c.typed)); // stored even when it fails
        EXPECT_EQ(message->text(), QLatin1String(c.message));
    }
    EXPECT_TRUE(f.alerts.requests().empty());

    // The check runs whatever the control: with every shown buffer as the
    // scope, the last target with an expression tells; one without leaves it.
    d.DB[1]->dynsize = QStringLiteral("nothing");
    u.allbuffer->click();
    u.plotlines->click();
    EXPECT_EQ(message->text(), QStringLiteral("Undefined variable: nothing"));
    d.DB[1]->dynsize = QStringLiteral("x");
    u.plotlines->click();
    EXPECT_TRUE(message->text().isEmpty());
}

TEST(StyleInspector, StylesInTurnNumberTheShownBuffers)
{
    // Twenty-one buffers, buffer 2 hidden: twenty shown.
    Fixture f("style", 21, {2});
    ASSERT_NE(f.panel, nullptr);
    const Ui::StylePanel& u = f.panel->ui();
    VexaDocument& d = f.d;
    UserDefaults& defaults = UserDefaults::standard();
    const QColor stored(1, 2, 3);
    defaults.setColor(QStringLiteral("IPcolor3"), stored);
    d.current = 5;
    u.selbuffer->click(); // the scope does not apply

    const BufferStyle hidden = d.DB[2]->style;
    u.autoColor->click();
    u.autoDash->click();
    u.autoSymbol->click();
    EXPECT_TRUE(f.replotted());
    int k = 0;
    for (std::size_t i = 0; i < d.DB.size(); ++i) {
        if (i == 2)
            continue;
        SCOPED_TRACE(i);
        const BufferStyle& s = d.DB[i]->style;
        EXPECT_EQ(s.color, k % 16 == 3 ? stored : f.panel->paletteColor(k % 16));
        EXPECT_EQ(s.dash, k % 16);
        EXPECT_EQ(s.symbol, k % 16);
        ++k;
    }
    EXPECT_EQ(d.DB[20]->style.symbol, 3); // buffer 20 is the 20th shown one
    EXPECT_NEAR(f.panel->paletteColor(1).redF(), 0.501961, 1e-3); // the palette's own colour 1
    EXPECT_EQ(d.DB[2]->style, hidden);
    EXPECT_EQ(d.current, 5);
    defaults.removeObjectForKey(QStringLiteral("IPcolor3"));
}

TEST(StyleInspector, TheDefaultStyleGoesToTheScopedBuffersOnly)
{
    Fixture f("style", 4);
    ASSERT_NE(f.panel, nullptr);
    const Ui::StylePanel& u = f.panel->ui();
    VexaDocument& d = f.d;
    d.defaults.buffer.style.linewidth = 3.5;
    for (auto& b : d.DB)
        b->style.linewidth = 9;
    d.current = 1;

    // Nothing selected: no target, no replot.
    u.selbuffer->click();
    u.applyDefaultStyle->click();
    EXPECT_FALSE(f.replotted());

    InspectorSupport::selectBufferRows(*f.m, {0, 2});
    u.applyDefaultStyle->click();
    EXPECT_EQ(values(d, &BufferStyle::linewidth), (std::vector<double>{3.5, 9, 3.5, 9}));
    EXPECT_EQ(d.current, 0);
    EXPECT_TRUE(f.replotted());
    EXPECT_EQ(u.linewidth->text(), QStringLiteral("3.5"));
}

TEST(StyleInspector, WithoutBuffersThePanelMakesWay)
{
    Fixture f("style");
    ASSERT_NE(f.panel, nullptr);
    EXPECT_FALSE(f.m->inspectors().missingNote()->isHidden());
    // Its controls still replot the document and touch nothing.
    f.panel->ui().plotlines->click();
    EXPECT_TRUE(f.replotted());
    f.panel->autoColor();
    EXPECT_TRUE(f.replotted());

    InspectorSupport::addBuffers(*f.m, f.d, 1);
    EXPECT_TRUE(f.m->inspectors().missingNote()->isHidden());
    EXPECT_EQ(f.panel->ui().plotlines->isChecked(), f.d.DB[0]->style.plotlines != 0);

    // No document: nothing happens.
    Manager::windowOf(&f.d)->close();
    ASSERT_EQ(f.m->PD, nullptr);
    EXPECT_FALSE(f.m->inspectors().missingNote()->isHidden());
    f.panel->ui().plotlines->click();
    f.panel->autoColor();
    f.panel->applyDefaultStyle();
}
