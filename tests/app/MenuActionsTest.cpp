// The menu actions on the current document: showing, hiding, deleting,
// duplicating, selecting and reordering buffers, removing error columns,
// sub-views, text boxes and graphics, and stepping the current buffer.

#include "AppFixtures.h"
#include "app/DocumentWindowQt.h"
#include "app/Manager.h"
#include "model/DataBuffer.h"
#include "model/DocumentItems.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "view/VexaView.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

class FakeText : public TextBoxItem {
public:
    void doAutoPos() override { }
    void setNeedsDisplay() override { }
};

class FakeGraphic : public GraphicItem { };

// A hidden document of five buffers named b0..b4, b<i> with i + 1 points.
VexaDocument& openFive(Manager& m)
{
    auto d = std::make_unique<VexaDocument>();
    for (int i = 0; i < 5; ++i) {
        auto b = std::make_unique<DataBuffer>();
        for (int k = 0; k <= i; ++k)
            b->addDoubleValueError(k, k, 0.1, 0.2);
        b->setComment(QStringLiteral("b%1").arg(i));
        d->DB.push_back(std::move(b));
    }
    VexaDocument& doc = m.openDocument(std::move(d), false)->document();
    m.setCurrentDoc(&doc, &doc);
    return doc;
}

QString names(const VexaDocument& d)
{
    QStringList out;
    for (const auto& b : d.DB)
        out << b->comment;
    return out.join(QLatin1Char(' '));
}

QString shown(const VexaDocument& d)
{
    QString out;
    for (const auto& b : d.DB)
        out += b->show ? QLatin1Char('1') : QLatin1Char('0');
    return out;
}

} // namespace

TEST(MenuActions, BufferActionsOnTheSelection)
{
    using Action = void (Manager::*)();
    // clang-format off
    const struct {
        const char* name;
        Action action;
        std::vector<int> selected;   // rows; 7 lies past the list
        const char* hiddenBefore;    // show flags before ("" = all shown)
        const char* names;           // buffer comments afterwards
        const char* shown;           // show flags afterwards
        std::vector<int> selection;  // selected rows afterwards
    } cases[] = {
        {"show",            &Manager::bShow,        {1, 3},    "00000", "b0 b1 b2 b3 b4", "01010", {1, 3}},
        {"hide",            &Manager::bHide,        {1, 3, 7}, "",      "b0 b1 b2 b3 b4", "10101", {1, 3}},
        {"show selected",   &Manager::bShowSel,     {2},       "",      "b0 b1 b2 b3 b4", "00100", {2}},
        {"show none",       &Manager::bShowSel,     {},        "",      "b0 b1 b2 b3 b4", "00000", {}},
        {"hide selected",   &Manager::bHideSel,     {2},       "00000", "b0 b1 b2 b3 b4", "11011", {2}},
        {"hide none",       &Manager::bHideSel,     {},        "00000", "b0 b1 b2 b3 b4", "11111", {}},
        {"delete",          &Manager::bDelete,      {0, 2},    "",      "b1 b3 b4",       "111",   {}},
        {"delete nothing",  &Manager::bDelete,      {},        "",      "b0 b1 b2 b3 b4", "11111", {}},
        {"duplicate",       &Manager::bDuplicte,    {0, 2},    "",      "b0 b1 b2 b3 b4 b0 b2", "1111111", {0, 2}},
        {"select none",     &Manager::bSelectNone,  {1, 3},    "",      "b0 b1 b2 b3 b4", "11111", {}},
        {"select all",      &Manager::bSelectAll,   {1},       "",      "b0 b1 b2 b3 b4", "11111", {0, 1, 2, 3, 4}},
        {"invert",          &Manager::bSelectInvert,{1, 3},    "",      "b0 b1 b2 b3 b4", "11111", {0, 2, 4}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Manager m;
        ScriptedAlerts alerts;
        VexaDocument& d = openFive(m);
        for (std::size_t i = 0; i < d.DB.size() && *c.hiddenBefore; ++i)
            d.DB[i]->show = c.hiddenBefore[i] == '1';
        m.setSelectedBufferRows(c.selected);
        (m.*c.action)();
        EXPECT_EQ(names(d), QLatin1String(c.names));
        EXPECT_EQ(shown(d), QLatin1String(c.shown));
        EXPECT_EQ(m.selectedBufferRows(), c.selection);
        EXPECT_EQ(alerts.beeps(), 0);
        EXPECT_TRUE(alerts.requests().empty());
    }
}

TEST(MenuActions, ErrorColumnsOrderAndTheCurrentBuffer)
{
    Manager m;
    ScriptedAlerts alerts;
    VexaDocument& d = openFive(m);
    m.setSelectedBufferRows({1, 4});
    m.bRemoveError();
    EXPECT_TRUE(d.DB[0]->haserror());
    EXPECT_FALSE(d.DB[1]->haserror());
    EXPECT_FALSE(d.DB[4]->haserror());

    // Moving the current buffer; nothing happens at the ends.
    d.current = 0;
    m.bMoveUp();
    EXPECT_EQ(names(d), QStringLiteral("b0 b1 b2 b3 b4"));
    m.bMoveDown();
    EXPECT_EQ(names(d), QStringLiteral("b1 b0 b2 b3 b4"));
    EXPECT_EQ(d.current, 1);
    d.current = 4;
    m.bMoveDown();
    EXPECT_EQ(names(d), QStringLiteral("b1 b0 b2 b3 b4"));
    m.bMoveUp();
    EXPECT_EQ(names(d), QStringLiteral("b1 b0 b2 b4 b3"));
    EXPECT_EQ(d.current, 3);

    // Stepping wraps both ways and shows the buffer under the list.
    m.nextBuffer();
    EXPECT_EQ(d.current, 4);
    m.nextBuffer();
    EXPECT_EQ(d.current, 0);
    EXPECT_EQ(m.dataPanes().dataComment->text(), QStringLiteral("b1"));
    m.previousBuffer();
    EXPECT_EQ(d.current, 4);
    EXPECT_EQ(m.dataPanes().dataComment->text(), QStringLiteral("b3"));

    m.newBuffer();
    EXPECT_EQ(d.bufferCount(), 6);
    EXPECT_EQ(d.current, 5);
    EXPECT_EQ(d.DB.back()->comment, QStringLiteral("new"));
    EXPECT_EQ(alerts.beeps(), 0);
}

TEST(MenuActions, WithoutADocumentEveryActionBeepsAndChangesNothing)
{
    Manager m;
    ScriptedAlerts alerts;
    VexaDocument& d = openFive(m);
    m.setSelectedBufferRows({0, 1});
    // The window closes: nothing is current any more.
    Manager::windowOf(&d)->close();
    ASSERT_EQ(m.PD, nullptr);

    using Action = void (Manager::*)();
    const Action beeping[] = {
        &Manager::bShow,
        &Manager::bHide,
        &Manager::bShowSel,
        &Manager::bHideSel,
        &Manager::bDelete,
        &Manager::bDuplicte,
        &Manager::bSelectAll,
        &Manager::bSelectNone,
        &Manager::bSelectInvert,
        &Manager::bRemoveError,
        &Manager::bMoveUp,
        &Manager::bMoveDown,
        &Manager::deleteSubview,
        &Manager::deleteAllSubviews,
        &Manager::deleteAllTextObjects,
        &Manager::deleteAllGraphicObjects,
        &Manager::copy,
        &Manager::cut,
        &Manager::paste,
    };
    for (Action a : beeping)
        (m.*a)();
    EXPECT_EQ(alerts.beeps(), int(std::size(beeping)));
    // These three stay quiet.
    m.newBuffer();
    m.nextBuffer();
    m.previousBuffer();
    EXPECT_EQ(alerts.beeps(), int(std::size(beeping)));
    EXPECT_TRUE(alerts.requests().empty());
}

TEST(MenuActions, SubviewsTextsAndGraphicsAreDeletedAndForgotten)
{
    Manager m;
    ScriptedAlerts alerts;
    VexaDocument& main = openFive(m);
    // Two sub-views, each with a view in the main window.
    DocumentWindowQt* w = Manager::windowOf(&main);
    for (int i = 0; i < 2; ++i)
        AppFixtures::addSubview(m, main, QRectF(10 + 120 * i, 10, 100, 80))
            ->T.push_back(std::make_unique<FakeText>());
    VexaDocument* first = main.SPD[0].get();

    // A main document has no sub-view to delete.
    m.deleteSubview();
    EXPECT_EQ(alerts.beeps(), 1);
    EXPECT_EQ(main.SPD.size(), 2u);

    // The current sub-view with its current text box.
    m.setCurrentDoc(first, &main);
    m.setCurrentText(first->T.front().get());
    ASSERT_NE(m.T, nullptr);
    m.deleteSubview();
    EXPECT_EQ(main.SPD.size(), 1u);
    EXPECT_EQ(w->subviewViews.size(), 1u);
    EXPECT_EQ(m.PD, &main);
    EXPECT_EQ(m.MPD, &main);
    EXPECT_EQ(m.T, nullptr);

    // All the rest, from a sub-view too.
    m.setCurrentDoc(main.SPD[0].get(), &main);
    m.deleteAllSubviews();
    EXPECT_TRUE(main.SPD.empty());
    EXPECT_TRUE(w->subviewViews.empty());
    EXPECT_EQ(m.PD, &main);

    // Texts and graphics: the current ones are forgotten with them.
    main.T.push_back(std::make_unique<FakeText>());
    main.T.push_back(std::make_unique<FakeText>());
    main.G.push_back(std::make_unique<FakeGraphic>());
    m.setCurrentText(main.T.back().get());
    m.deleteAllTextObjects();
    EXPECT_TRUE(main.T.empty());
    EXPECT_EQ(m.T, nullptr);
    EXPECT_EQ(main.G.size(), 1u);
    m.setCurrentGraphic(main.G.back().get());
    m.deleteAllGraphicObjects();
    EXPECT_TRUE(main.G.empty());
    EXPECT_EQ(m.G, nullptr);
    EXPECT_EQ(alerts.beeps(), 1);
}

TEST(MenuActions, TheMenusCarryTheActions)
{
    Manager m;
    ScriptedAlerts alerts;
    VexaDocument& d = openFive(m);
    auto find = [](QMenu* menu, const QString& title) -> QAction* {
        for (QAction* a : menu->actions())
            if (a->text() == title)
                return a;
        return nullptr;
    };
    // Cut, Copy, Paste follow Undo and Redo.
    const QList<QAction*> edit = m.editMenu->actions();
    const qsizetype redo = edit.indexOf(m.redoAction);
    ASSERT_GE(redo, 0);
    ASSERT_GT(edit.size(), redo + 4);
    EXPECT_TRUE(edit[redo + 1]->isSeparator());
    EXPECT_EQ(edit[redo + 2]->text(), QStringLiteral("Cut"));
    EXPECT_EQ(edit[redo + 3]->text(), QStringLiteral("Copy"));
    EXPECT_EQ(edit[redo + 4]->text(), QStringLiteral("Paste"));
    EXPECT_EQ(edit[redo + 3]->shortcut(), QKeySequence(QKeySequence::Copy));

    // Every document window carries the buffer menu.
    EXPECT_TRUE(Manager::windowOf(&d)->menuBar()->actions().contains(m.bufferMenu->menuAction()));
    m.setSelectedBufferRows({3});
    QAction* hide = find(m.bufferMenu, QStringLiteral("Hide Only Selected"));
    ASSERT_NE(hide, nullptr);
    hide->trigger();
    EXPECT_EQ(shown(d), QStringLiteral("11101"));
    ASSERT_NE(find(m.graphMenu, QStringLiteral("Delete All Subviews")), nullptr);
}

TEST(MenuActions, GraphMenuScalesTheChosenAxisPair)
{
    Manager m;
    ScriptedAlerts alerts;
    VexaDocument& d = openFive(m); // x and y 0..4 on pair 1
    // One menu choice, one user event: its undo group closes after it.
    auto trigger = [&](const char* title) {
        for (QAction* a : m.graphMenu->actions())
            if (a->text() == QLatin1String(title)) {
                a->trigger();
                d.undoManager().closeImplicitGroup();
                return;
            }
        ADD_FAILURE() << "no menu item " << title;
    };
    auto setRanges = [&](double x0, double x1, double y0, double y1) {
        d.xmin1 = d.xmin2 = x0;
        d.xmax1 = d.xmax2 = x1;
        d.ymin1 = d.ymin2 = y0;
        d.ymax1 = d.ymax2 = y1;
    };
    auto ranges = [&](int pair) {
        return pair == Pair1 ? std::vector<double>{d.xmin1, d.xmax1, d.ymin1, d.ymax1}
                             : std::vector<double>{d.xmin2, d.xmax2, d.ymin2, d.ymax2};
    };

    // Rescale fits pair 1 around the data and leaves pair 2 alone.
    setRanges(100, 200, 100, 200);
    m.di_axis12->button(Pair1)->setChecked(true);
    trigger("Rescale");
    EXPECT_LE(d.xmin1, 0);
    EXPECT_GE(d.xmax1, 4);
    EXPECT_LT(d.xmax1, 100);
    EXPECT_LE(d.ymin1, 0);
    EXPECT_GE(d.ymax1, 4);
    EXPECT_EQ(ranges(Pair2), (std::vector<double>{100, 200, 100, 200}));

    // Zoom Out widens by a tenth of the range at each end, Zoom In narrows
    // likewise; each is one undo step.
    setRanges(0, 10, 0, 20);
    trigger("Zoom Out");
    EXPECT_EQ(ranges(Pair1), (std::vector<double>{-1, 11, -2, 22}));
    EXPECT_EQ(ranges(Pair2), (std::vector<double>{0, 10, 0, 20}));
    trigger("Zoom In");
    EXPECT_NEAR(d.xmin1, 0.2, 1e-12);
    EXPECT_NEAR(d.xmax1, 9.8, 1e-12);
    EXPECT_NEAR(d.ymax1, 19.6, 1e-12);
    m.undo();
    EXPECT_EQ(ranges(Pair1), (std::vector<double>{-1, 11, -2, 22}));

    // Both pairs chosen: both zoom.
    setRanges(0, 10, 0, 20);
    m.di_axis12->button(PairBoth)->setChecked(true);
    trigger("Zoom Out");
    EXPECT_EQ(ranges(Pair1), (std::vector<double>{-1, 11, -2, 22}));
    EXPECT_EQ(ranges(Pair2), (std::vector<double>{-1, 11, -2, 22}));
    EXPECT_EQ(alerts.beeps(), 0);
}
