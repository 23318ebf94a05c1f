// The page and legend commands run through whole macros: which field each
// writes, what each refuses, and that a run of setting commands redraws once,
// at its end.

#include "SettingCommands.h"

#include "model/DocumentView.h"

#include <gtest/gtest.h>

namespace {

using namespace SettingCommands;

using P = PageSettings;
using L = LegendSettings;

QString margins(const VexaDocument& d)
{
    return QStringList{text(d.page.marginleft), text(d.page.marginright), text(d.page.marginbottom),
                       text(d.page.margintop)}
        .join(QLatin1Char(' '));
}

QString legendPosition(const VexaDocument& d)
{
    return text(d.legend.legendx) + QLatin1Char(' ') + text(d.legend.legendy);
}

TEST(PageCommands, WriteTheirFieldOfThePage)
{
    expectAll({
        {"margins 80 10 10 80", margins, "80 10 10 80"},
        {"margins 60 20 30 40", margins, "60 20 30 40"},
        {"drawbg 0", page(&P::drawbackground), "0"},
        {"drawmargin no", page(&P::drawmargin), "0"},
        {"drawframe 0\ndrawframe 2", page(&P::drawframe), "1"},
        {"bgcolor 1 1 0", page(&P::backgroundcolor), "#ffffff00"},
        {"bgcolor 1 1 0 0.5", page(&P::backgroundcolor), "#80ffff00"},
        {"bgcolor yellow", page(&P::backgroundcolor), "#ffffff00"},
        {"colormode 1\nbgcolor 0 0 0.5", page(&P::backgroundcolor), "#ff808080"},
        {"margincolor 0 0 1", page(&P::margincolor), "#ff0000ff"},
        {"margincolor ccc", page(&P::margincolor), "#ffcccccc"},
        {"framecolor red", page(&P::framecolor), "#ffff0000"},
        {"framecolor 0 1 0 1", page(&P::framecolor), "#ff00ff00"},
        {"framewidth 0.5", page(&P::framewidth), "0.5"},
        {"framestyle 2", page(&P::framestyle), "2"},
        {"forceframe 1", page(&P::forceframe), "1"},
        {"forceframe 1\nforceframe 2", page(&P::forceframe), "0"},
        {"framearrows 1", page(&P::framearrows), "1"},
        {"framearrows 1\nframearrows yes\nframearrows -1", page(&P::framearrows), "0"},
        {"crossarrows min", page(&P::crossarrows), "1"},
        {"crossarrows max", page(&P::crossarrows), "2"},
        {"crossarrows 2", page(&P::crossarrows), "2"},
        {"crossarrows 2\ncrossarrows both", page(&P::crossarrows), "0"},
        {"crossarrows 2\ncrossarrows Max", page(&P::crossarrows), "0"},
        {"framearrowsize 14", page(&P::arrowsize), "14"},
        {"framearrowtype 2", page(&P::arrowtype), "2"},
    });
}

TEST(LegendCommands, WriteTheirFieldOfTheLegend)
{
    expectAll({
        {"setlegend yes", legend(&L::plotlegend), "1"},
        {"setlegend 1\nsetlegend 0", legend(&L::plotlegend), "0"},
        {"legendpos 300 200.5", legendPosition, "300 200.5"},
        {"setlegendbg 5", legend(&L::legendbg), "1"},
        {"setlegendhorizontal 1", legend(&L::legendhorizontal), "1"},
        {"legendalign 1", legend(&L::legendalign), "0"},
        {"legendalign 9", legend(&L::legendalign), "8"},
        {"legendalign 0", legend(&L::legendalign), "-1"},
        {"legendalign 258", legend(&L::legendalign), "1"},
        {"legendalign -2147483647-1", legend(&L::legendalign), "-1"},
        {"legendlength 40", legend(&L::legendwidth), "40"},
        {"legendspace 12", legend(&L::legendspace), "12"},
        {"legendcolor 0 0 1", legend(&L::legendcolor), "#ff0000ff"},
        {"legendcolor blue", legend(&L::legendcolor), "#ff0000ff"},
        {"legendbgcolor 1 1 1 0.25", legend(&L::legendbgcolor), "#40ffffff"},
        {"legendbgcolor 3", legend(&L::legendbgcolor), "#ff008080"},
    });
}

TEST(PageCommands, RefuseValuesOutOfRangeSilently)
{
    expectAll({
        {"framestyle 3", page(&P::framestyle), "0"},
        {"framestyle 2\nframestyle -1", page(&P::framestyle), "2"},
        {"framearrowtype -1", page(&P::arrowtype), "0"},
        {"crossarrows 3", page(&P::crossarrows), "0"},
        {"crossarrows 1\ncrossarrows -1", page(&P::crossarrows), "1"},
        {"margins 0/0 1 2 3", margins, "80 1 2 3"},
        {"framewidth 1/0", page(&P::framewidth), "2"},
        {"framearrowsize -1/0", page(&P::arrowsize), "10"},
        {"bgcolor 1 0/0 0", page(&P::backgroundcolor), "#ffffffff"},
        {"legendpos 0/0 7", legendPosition, "-1 7"},
        {"legendlength 0/0", legend(&L::legendwidth), "80"},
        {"setlegend 0/0", legend(&L::plotlegend), "0"},
        {"legendalign 1/0", legend(&L::legendalign), "0"},
    });
}

TEST(LegendCommands, FontByNameAndSizeOrTheUserFont)
{
    const auto serif = Font::withName(QStringLiteral("DejaVu Serif"), 12);
    ASSERT_TRUE(serif);
    const std::pair<const char*, QFont> cases[] = {
        {"legendfont 'DejaVu Serif' 12", *serif},
        {"legendfont 'NoSuchFont' 12", Font::userFont(14)},
    };
    for (const auto& [source, font] : cases) {
        MacroRunOn run;
        EXPECT_EQ(run(source).toStdString(), "") << source;
        EXPECT_EQ(legend(&L::legendfont)(*run.doc).toStdString(), text(font).toStdString()) << source;
    }
}

TEST(PageCommands, BadArgumentsStopTheRunAndChangeNothing)
{
    expectErrors(
        {
            {"margins 1 2 3\nsetlegend 1", "Wrong number of arguments: margins 1 2 3\n"},
            {"framewidth\nsetlegend 1", "Wrong number of arguments: framewidth\n"},
            {"framewidth thick\nsetlegend 1", "Undefined variable: thick in thick\n"},
            {"bgcolor 1 1\nsetlegend 1", "Unkown command: bgcolor 1 1\n"},
            {"bgcolor\nsetlegend 1", "Unkown command: bgcolor\n"},
            {"legendcolor 1 0\nsetlegend 1", "Unkown command: legendcolor 1 0\n"},
            {"legendfont Helvetica\nsetlegend 1", "Wrong number of arguments: legendfont Helvetica\n"},
        },
        [](const VexaDocument& d, const char* source) {
            EXPECT_EQ(margins(d).toStdString(), "80 10 80 10") << source;
            EXPECT_EQ(d.page.framewidth, 2) << source;
            EXPECT_EQ(d.legend.plotlegend, 0) << source;
        });
}

// The window of the main document, the parent of a current sub-view.
TEST(PageCommands, WindowsizeResizesTheMainDocumentsWindow)
{
    MacroRunOn run;
    VexaDocument* sub = run.host.addDocument();
    sub->subview = 1;
    sub->MPD = run.doc;
    run.host.manager.PD = sub;
    EXPECT_EQ(run("windowsize 600 400\nwindowsize 0/0 400").toStdString(), "");
    ASSERT_EQ(run.host.windowSizes.size(), 1u);
    EXPECT_EQ(run.host.windowSizes[0].first, run.doc);
    EXPECT_EQ(run.host.windowSizes[0].second, QSizeF(600, 400));
}

// Setting commands wait for the replot that ends the run: the view draws once.
TEST(PageCommands, ARunOfSettingCommandsRedrawsOnceAtItsEnd)
{
    struct CountingView : DocumentView {
        int displays = 0;
        std::vector<double> marginsSeen;
        const VexaDocument* doc = nullptr;
        void displayNow() override
        {
            ++displays;
            marginsSeen.push_back(doc->page.marginleft);
        }
    };
    MacroRunOn run;
    CountingView view;
    view.doc = run.doc;
    run.doc->PV = &view;
    EXPECT_EQ(run("margins 50 10 10 50\nsetlegend 1\nbstylelines 0 all\nasetgrid all 1\nbcolor red 0")
                  .toStdString(),
              "");
    EXPECT_EQ(view.displays, 1);
    EXPECT_EQ(view.marginsSeen, std::vector<double>{50});
    run.doc->PV = nullptr;
}

} // namespace
