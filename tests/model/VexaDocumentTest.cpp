#include "model/VexaDocument.h"

#include "Fakes.h"
#include "platform/Color.h"
#include "platform/Font.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

namespace {

class VexaDocumentTest : public ::testing::Test {
protected:
    void SetUp() override { UserDefaults::standard().removeAll(); }
    void TearDown() override { UserDefaults::standard().removeAll(); }

    SharedFakeManager manager;

    static void addBuffers(VexaDocument& d, int n)
    {
        for (int i = 0; i < n; ++i) {
            d.DB.push_back(std::make_unique<DataBuffer>());
            d.DB.back()->comment = QString::number(i);
        }
    }
    static QStringList comments(const std::vector<DataBuffer*>& list)
    {
        QStringList out;
        for (auto* b : list)
            out << b->comment;
        return out;
    }
};

TEST_F(VexaDocumentTest, NewDocumentHasTheDefaultLayout)
{
    VexaDocument d;
    EXPECT_TRUE(d.DB.empty());
    EXPECT_EQ(d.M, &manager);
    EXPECT_EQ(d.MPD, &d);
    for (double v : {d.xmin1, d.ymin1, d.xmin2, d.ymin2})
        EXPECT_EQ(v, 0);
    for (double v : {d.xmax1, d.ymax1, d.xmax2, d.ymax2})
        EXPECT_EQ(v, 1);
    const int shown[] = {1, 1, 0, 0};
    const int align[] = {2, 4, 6, 8};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(d.axes[i].axis, shown[i]) << i;
        EXPECT_EQ(d.axes[i].align, align[i]) << i;
    }
    EXPECT_EQ(d.page.marginleft, 80);
    EXPECT_EQ(d.page.marginright, 10);
    EXPECT_EQ(d.page.margintop, 10);
    EXPECT_EQ(d.page.marginbottom, 80);
    EXPECT_EQ(d.axes[3].gridcolor, Color::darkGray());
    EXPECT_EQ(d.legend.legendbgcolor, Color::white());
    EXPECT_EQ(d.axes[0].numfont.pointSizeF(), 14);
    EXPECT_EQ(d.axes[2].textfont.pointSizeF(), 18);
    EXPECT_EQ(d.legend.legendfont.pointSizeF(), 14);
    EXPECT_EQ(d.legend.legendx, -1);
    EXPECT_EQ(d.axes[1].numoff, 5);
    EXPECT_EQ(d.axes[0].expoff, 5);
    EXPECT_EQ(d.axes[0].gridwidth, 0.5);
}

TEST_F(VexaDocumentTest, FontsFromTheStoreNeedBothKeysAndAnInstalledFace)
{
    auto& s = UserDefaults::standard();
    s.setValue("NumFontName", "Times-Roman");
    {
        VexaDocument d; // size missing
        EXPECT_EQ(d.axes[0].numfont.pointSizeF(), 14);
        EXPECT_EQ(d.axes[0].numfont, Font::userFont(14));
    }
    s.setValue("NumFontSize", 22);
    {
        VexaDocument d;
        EXPECT_EQ(d.axes[0].numfont.pointSizeF(), 22);
        EXPECT_EQ(d.axes[0].numfont, *Font::withName("Times-Roman", 22));
    }
    s.setValue("NumFontName", "No Such Font Anywhere");
    s.setValue("TextFontName", "No Such Font Anywhere");
    s.setValue("TextFontSize", 30);
    {
        VexaDocument d; // the standard size, not the stored one
        EXPECT_EQ(d.axes[0].numfont.pointSizeF(), 14);
        EXPECT_EQ(d.axes[0].textfont.pointSizeF(), 18);
    }
}

TEST_F(VexaDocumentTest, SetDefaultsLeavesContentColoursAndAxisModesAlone)
{
    VexaDocument d;
    addBuffers(d, 2);
    d.axes[1].axismode = AxisLog;
    d.axes[0].axistext = "Time";
    d.page.framecolor = QColor(1, 2, 3);
    d.axes[2].axis = 1;
    d.xmax1 = 50;
    d.current = 1;
    d.setDefaults();
    EXPECT_EQ(d.DB.size(), 2u);
    EXPECT_EQ(d.axes[1].axismode, AxisLog);
    EXPECT_EQ(d.axes[0].axistext, "Time");
    EXPECT_EQ(d.page.framecolor, QColor(1, 2, 3));
    EXPECT_EQ(d.axes[2].axis, 0);
    EXPECT_EQ(d.xmax1, 1);
    EXPECT_EQ(d.current, 0);
}

TEST_F(VexaDocumentTest, NewBufferBecomesCurrentAndReplots)
{
    VexaDocument d;
    FakeView view;
    d.PV = &view;
    addBuffers(d, 3);
    d.newBuffer();
    EXPECT_EQ(d.current, 3);
    EXPECT_EQ(d.DB[3]->comment, "new");
    EXPECT_EQ(view.displays, 1);
    EXPECT_EQ(manager.updates, 2); // once by the operation, once by the replot
}

TEST_F(VexaDocumentTest, CurrentBufferWrapsAndRecovers)
{
    VexaDocument d;
    d.current = 5;
    EXPECT_EQ(d.getCurrentDataBuffer(), nullptr);
    EXPECT_EQ(d.current, 5); // unchanged while there is nothing
    d.incCurrentDataBuffer();
    EXPECT_EQ(d.current, 0);
    d.current = 4;
    d.decCurrentDataBuffer();
    EXPECT_EQ(d.current, 0);

    addBuffers(d, 3);
    d.current = 2;
    d.incCurrentDataBuffer();
    EXPECT_EQ(d.current, 0);
    d.decCurrentDataBuffer();
    EXPECT_EQ(d.current, 2);

    // Deleting the current last buffer leaves current past the end until the
    // next lookup brings it back.
    d.DB[2]->setRm();
    d.deleteBuffer();
    EXPECT_EQ(d.current, 2);
    EXPECT_TRUE(d.getDataBuffer(SelectCurrent).empty());
    EXPECT_EQ(d.getCurrentDataBuffer(), d.DB[0].get());
    EXPECT_EQ(d.current, 0);
}

TEST_F(VexaDocumentTest, DeleteBufferRemovesEveryMarkedBuffer)
{
    VexaDocument d;
    FakeView view;
    d.PV = &view;
    addBuffers(d, 5);
    d.DB[1]->setRm();
    d.DB[2]->setRm();
    d.DB[4]->setRm();
    d.deleteBuffer();
    ASSERT_EQ(d.DB.size(), 2u);
    EXPECT_EQ(d.DB[0]->comment, "0");
    EXPECT_EQ(d.DB[1]->comment, "3");
    EXPECT_EQ(view.displays, 1);

    d.deleteBuffer(); // nothing marked: same list, still a replot
    EXPECT_EQ(d.DB.size(), 2u);
    EXPECT_EQ(view.displays, 2);
}

TEST_F(VexaDocumentTest, DuplicateBufferCopiesOrDoesNothing)
{
    VexaDocument d;
    FakeView view;
    d.PV = &view;
    addBuffers(d, 2);
    d.DB[1]->addDoubleValue(3, 4);
    d.current = 0;
    for (int bad : {-1, 2}) {
        d.duplicateBuffer(bad);
        EXPECT_EQ(d.DB.size(), 2u);
    }
    EXPECT_EQ(view.displays, 0);
    EXPECT_EQ(manager.updates, 0);

    d.duplicateBuffer(1);
    ASSERT_EQ(d.DB.size(), 3u);
    EXPECT_NE(d.DB[2].get(), d.DB[1].get());
    EXPECT_EQ(d.DB[2]->X, d.DB[1]->X);
    EXPECT_EQ(d.DB[2]->havexminmax, 1); // extents recomputed at once
    EXPECT_EQ(d.DB[2]->xmax, 3);
    EXPECT_EQ(d.current, 0);
    EXPECT_EQ(view.displays, 1);
}

TEST_F(VexaDocumentTest, GetDataBufferBySelection)
{
    VexaDocument d;
    addBuffers(d, 3);
    d.DB[1]->show = 0;
    d.current = 2;
    EXPECT_EQ(comments(d.getDataBuffer(SelectCurrent)), QStringList{"2"});
    EXPECT_EQ(comments(d.getDataBuffer(SelectShown)), (QStringList{"0", "2"}));

    manager.selectedRows = {1, 5};
    EXPECT_TRUE(d.getDataBuffer(SelectShownSelected).empty());
    manager.selectedRows = {0, 1, 2, 9};
    EXPECT_EQ(comments(d.getDataBuffer(SelectShownSelected)), (QStringList{"0", "2"}));
    EXPECT_TRUE(d.getDataBuffer(7).empty());
    EXPECT_TRUE(d.getDataBuffer(-1).empty());
    EXPECT_EQ(&d.getDataBuffer(), &d.DB);
}

TEST_F(VexaDocumentTest, ReplotRedrawsRefreshesAndTellsTheListenersOnce)
{
    VexaDocument d;
    FakeView view;
    d.PV = &view;
    std::vector<bool> told;
    auto listening = d.listen([&told](const DocumentChange& c) { told.push_back(c.settings); });
    d.replot();
    EXPECT_EQ(view.displays, 1);
    EXPECT_EQ(manager.updates, 1);
    EXPECT_EQ(told, std::vector<bool>{false}); // no setting changed

    // Setting changes wait for the replot, which tells of them once.
    d.setPage(&PageSettings::marginleft, 12.0, VexaDocument::Redraw::Later);
    d.setLegend(&LegendSettings::legendx, 40.0, VexaDocument::Redraw::Later);
    EXPECT_EQ(told.size(), 1u);
    d.replot();
    d.replot();
    EXPECT_EQ(told, (std::vector<bool>{false, true, false}));

    listening.cancel();
    d.replot();
    EXPECT_EQ(told.size(), 3u);

    VexaDocument bare; // no view, no listener, no controller
    bare.M = nullptr;
    bare.replot();
}

// Every setter of a setting: what it is asked to do, whether that is a
// change, and how many redraws it makes.
TEST_F(VexaDocumentTest, SettingSettersSkipUnchangedValuesAndReplotOnRequest)
{
    using Redraw = VexaDocument::Redraw;
    const double NaN = std::nan("");
    struct Case {
        const char* what;
        std::function<bool(VexaDocument&, Redraw)> set;
        bool changes;
    };
    const Case cases[] = {
        {"page number",
         [](VexaDocument& d, Redraw r) { return d.setPage(&PageSettings::marginleft, 55.0, r); }, true},
        {"page, same number",
         [](VexaDocument& d, Redraw r) { return d.setPage(&PageSettings::marginleft, 80.0, r); }, false},
        {"page colour",
         [](VexaDocument& d, Redraw r) { return d.setPage(&PageSettings::framecolor, Qt::red, r); }, true},
        {"legend switch",
         [](VexaDocument& d, Redraw r) { return d.setLegend(&LegendSettings::plotlegend, 1, r); }, true},
        {"legend, same switch",
         [](VexaDocument& d, Redraw r) { return d.setLegend(&LegendSettings::legendbg, 0, r); }, false},
        {"axis text",
         [](VexaDocument& d, Redraw r) { return d.setAxis(AxisY2, &AxisSettings::axistext, "y2", r); }, true},
        {"axis, same mode",
         [](VexaDocument& d, Redraw r) { return d.setAxis(AxisX1, &AxisSettings::axismode, 0, r); }, false},
        {"axis out of range",
         [](VexaDocument& d, Redraw r) { return d.setAxis(4, &AxisSettings::grid, 1, r); }, false},
        {"negative axis", [](VexaDocument& d, Redraw r) { return d.setAxis(-1, &AxisSettings::grid, 1, r); },
         false},
        {"axis NaN over NaN",
         [NaN](VexaDocument& d, Redraw r) {
             d.axes[1].angle = NaN;
             return d.setAxis(AxisY1, &AxisSettings::angle, NaN, r);
         },
         false},
        {"buffer style",
         [](VexaDocument& d, Redraw r) { return d.setBufferStyle(1, &BufferStyle::symbol, 7, r); }, true},
        {"buffer, same style",
         [](VexaDocument& d, Redraw r) { return d.setBufferStyle(0, &BufferStyle::plotlines, 1, r); }, false},
        {"missing buffer",
         [](VexaDocument& d, Redraw r) { return d.setBufferStyle(2, &BufferStyle::symbol, 7, r); }, false},
        {"error bars",
         [](VexaDocument& d, Redraw r) { return d.setErrorBars(0, &ErrorBarSettings::errorbary, 3, r); },
         true},
        {"legend entry", [](VexaDocument& d, Redraw r) { return d.setBufferLegend(1, false, r); }, true},
        {"same size expression", [](VexaDocument& d, Redraw r) { return d.setDynamicSize(0, QString(), r); },
         false},
        {"size expression", [](VexaDocument& d, Redraw r) { return d.setDynamicSize(0, "y*2", r); }, true},
    };
    for (const Case& c : cases)
        for (Redraw redraw : {Redraw::Now, Redraw::Later}) {
            VexaDocument d;
            FakeView view;
            d.PV = &view;
            addBuffers(d, 2);
            std::vector<bool> told;
            auto listening = d.listen([&told](const DocumentChange& ch) { told.push_back(ch.settings); });
            const bool now = redraw == Redraw::Now;
            EXPECT_EQ(c.set(d, redraw), c.changes) << c.what << " now " << now;
            EXPECT_EQ(view.displays, c.changes && now ? 1 : 0) << c.what << " now " << now;
            // Asked again, the value is already there.
            EXPECT_FALSE(c.set(d, redraw)) << c.what << " now " << now;
            // The listeners hear of a change once, at the replot that shows
            // it; of no change, never.
            if (!now)
                d.replot();
            EXPECT_EQ(told, std::vector<bool>(c.changes || !now ? 1 : 0, c.changes))
                << c.what << " now " << now;
        }
}

TEST_F(VexaDocumentTest, SubviewReplotIsItsMainDocumentsReplot)
{
    VexaDocument main;
    FakeView view;
    main.PV = &view;
    auto sub = std::make_unique<VexaDocument>();
    FakeView subView;
    sub->PV = &subView;
    sub->subview = 1;
    sub->MPD = &main;
    VexaDocument* s = sub.get();
    main.SPD.push_back(std::move(sub));

    std::vector<bool> mainTold, subTold;
    auto onMain = main.listen([&mainTold](const DocumentChange& c) { mainTold.push_back(c.settings); });
    auto onSub = s->listen([&subTold](const DocumentChange& c) { subTold.push_back(c.settings); });
    s->setAxis(AxisX1, &AxisSettings::grid, 1, VexaDocument::Redraw::Later);
    s->replot();
    EXPECT_EQ(view.displays, 1);
    EXPECT_EQ(subView.displays, 0);
    EXPECT_EQ(manager.updates, 1);
    // The main document tells of the sub-view's setting change.
    EXPECT_EQ(mainTold, std::vector<bool>{true});
    EXPECT_TRUE(subTold.empty());

    s->MPD = nullptr; // an orphaned sub-view replots nothing
    s->replot();
    EXPECT_EQ(view.displays, 1);
    EXPECT_EQ(manager.updates, 1);
}

TEST_F(VexaDocumentTest, UpdateAutoTextsReplacesEveryTextBox)
{
    struct Box : TextBoxItem {
        int* placed;
        int* shown;
        Box(int* p, int* s)
                : placed(p)
                , shown(s)
        {
        }
        void doAutoPos() override { ++*placed; }
        void setNeedsDisplay() override { ++*shown; }
    };
    int placed = 0, shown = 0;
    VexaDocument d;
    d.T.push_back(std::make_unique<Box>(&placed, &shown));
    d.T.push_back(std::make_unique<Box>(&placed, &shown));
    d.updateAutoTexts();
    EXPECT_EQ(placed, 2);
    EXPECT_EQ(shown, 2);
}

} // namespace
