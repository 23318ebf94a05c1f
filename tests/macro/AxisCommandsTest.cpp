// The axis commands run through whole macros: which field each writes at
// which axes (values listed X1, Y1, X2, Y2), and what each refuses.

#include "SettingCommands.h"

#include <gtest/gtest.h>

namespace {

using namespace SettingCommands;

using A = AxisSettings;

TEST(AxisCommands, WriteTheirFieldAtEveryAxisOfTheSet)
{
    const char* const grey = "#ff555555 #ff555555 #ff555555 #ff555555";
    expectAll({
        {"setaxis yes yes no no", axes(&A::axis), "1 1 0 0"},
        {"setaxis 0 1 2 -1", axes(&A::axis), "0 1 1 1"},
        {"ascalstart x1 0.1", axes(&A::scalstart), "'0.1' '' '' ''"},
        {"ascalstart x1 1/3", axes(&A::scalstart), "'0.333333' '' '' ''"},
        {"ascalstart all 5\nascalstart x1", axes(&A::scalstart), "'' '5' '5' '5'"},
        {"ascalend top 10000000", axes(&A::scalend), "'' '' '1e+07' ''"},
        {"asetreverse x1 1", axes(&A::reverse), "1 0 0 0"},
        {"asetreverse all 1\nasetreverse x1 2", axes(&A::reverse), "0 1 1 1"},
        {"atickdist y 0.5", axes(&A::scalspace), "'' '0.5' '' '0.5'"},
        {"atickdist y 0.5\natickdist y", axes(&A::scalspace), "'' '' '' ''"},
        {"aminsteps all 4", axes(&A::scalminticks), "'4' '4' '4' '4'"},
        {"aminsteps all 4\naminsteps all", axes(&A::scalminticks), "'' '' '' ''"},
        {"atimeformat bottom 'yyyy-MM-dd'", axes(&A::axistimeformat), "'yyyy-MM-dd' '' '' ''"},
        {"atrigger left 0.5", axes(&A::trigger), "'' '0.5' '' ''"},
        {"ascalexpr right v*1000", axes(&A::scaleexpr), "'' '' '' 'v*1000'"},
        {"aexpoffset x 3", axes(&A::expoff), "3 5 3 5"},
        {"adecplaces x1 12", axes(&A::dp), "12 2 2 2"},
        {"adecplacesauto y 0", axes(&A::dpauto), "1 0 1 0"},
        {"aformat 2 1", axes(&A::axismode), "0 1 0 0"},
        {"aformat xb 2", axes(&A::axismode), "2 0 0 0"},
        {"asetsmalllogzero yl 1", axes(&A::smalllog), "0 1 0 0"},
        {"atext x2 'time (s)'", axes(&A::axistext), "'' '' 'time (s)' ''"},
        {"anumoffset all -3.7", axes(&A::numoff), "-3 -3 -3 -3"},
        {"anumoffset x1 300", axes(&A::numoff), "44 5 5 5"},
        {"anumalign yr 8", axes(&A::align), "2 4 6 8"},
        {"anumalign x 0", axes(&A::align), "0 4 0 8"},
        {"anumangle left 360", axes(&A::angle), "0 360 0 0"},
        {"atextoffset all 12.9", axes(&A::textoff), "12 12 12 12"},
        {"atextoffsetwindow xt 1", axes(&A::textoffwindow), "0 0 1 0"},
        {"asetnum x1 2", axes(&A::numbers), "1 1 1 1"},
        {"asetnum all no", axes(&A::numbers), "0 0 0 0"},
        {"asettext 4 0", axes(&A::text), "1 1 1 0"},
        {"asetfliptext y 1", axes(&A::fliptext), "0 1 0 1"},
        {"atextcolor bottom red", axes(&A::axistextcolor), "#ffff0000 #ff000000 #ff000000 #ff000000"},
        {"atextcolor bottom 1 0 0", axes(&A::axistextcolor), "#ffff0000 #ff000000 #ff000000 #ff000000"},
        {"atextcolor x 0 0 1 0.5", axes(&A::axistextcolor), "#800000ff #ff000000 #800000ff #ff000000"},
        {"asetzeroline y 1", axes(&A::zeroline), "0 1 0 1"},
        {"azerolinecolor all blue", axes(&A::zerocolor), "#ff0000ff #ff0000ff #ff0000ff #ff0000ff"},
        {"azerolinecolor 5 blue", axes(&A::zerocolor), grey},
        {"azerolinecolor 3 1 0 0 0.5", axes(&A::zerocolor), "#ff555555 #ff555555 #80ff0000 #ff555555"},
        {"aticklength x1 0", axes(&A::ticklength), "0 10 10 10"},
        {"aminticklength x1 2.5", axes(&A::mticklength), "2.5 5 5 5"},
        {"atickwidth y 3", axes(&A::tickwidth), "2 3 2 3"},
        {"amintickwidth y 0.25", axes(&A::mtickwidth), "1 0.25 1 0.25"},
        {"asetticks x1 0", axes(&A::ticks), "0 1 1 1"},
        {"asetminticks x1 0", axes(&A::mticks), "0 1 1 1"},
        {"asetticksbothsides x1 1", axes(&A::ticksboth), "1 0 0 0"},
        {"asetminticksbothsides y1 1", axes(&A::mticksboth), "0 1 0 0"},
        {"atickcolor x 0 1 0", axes(&A::tickcolor), "#ff00ff00 #ff000000 #ff00ff00 #ff000000"},
        {"amintickcolor x2 red", axes(&A::mtickcolor), "#ff000000 #ff000000 #ffff0000 #ff000000"},
        {"atickstyle all 2", axes(&A::tickstyle), "2 2 2 2"},
        {"asetgrid y yes", axes(&A::grid), "0 1 0 1"},
        {"asetmingrid x yes", axes(&A::mgrid), "1 0 1 0"},
        {"agridcolor y1 red", axes(&A::gridcolor), "#ff555555 #ffff0000 #ff555555 #ff555555"},
        {"amingridcolor y1 1 1 1", axes(&A::mgridcolor), "#ff555555 #ffffffff #ff555555 #ff555555"},
        {"agridwidth all 1.5", axes(&A::gridwidth), "1.5 1.5 1.5 1.5"},
        {"amingridwidth all 0", axes(&A::mgridwidth), "0 0 0 0"},
        {"agridpattern y 15", axes(&A::gridpattern), "0 15 0 15"},
        {"amingridpattern x 4", axes(&A::mgridpattern), "4 0 4 0"},
        {"agridfront x no", axes(&A::gridfront), "0 1 0 1"},
        {"amingridfront all 0", axes(&A::mgridfront), "0 0 0 0"},
        {"alabel x1 '0.5' 'half'\nalabel x1 '0.5' 'one half'", axes(&A::alabel), "{0.5=one half} {} {} {}"},
        {"alabel y '1' 'one'\nalabel y1 '2' 'two'", axes(&A::alabel), "{} {1=one,2=two} {} {1=one}"},
        {"alabel all '1' 'one'\naclearlabels all", axes(&A::alabel), "{} {} {} {}"},
        {"alabel all '1' 'one'\naclearlabels x", axes(&A::alabel), "{} {1=one} {} {1=one}"},
    });
}

// Values out of range, numbers that are no finite numbers and axis numbers
// outside 1 to 4 leave the axes as they were and say nothing.
TEST(AxisCommands, RefuseValuesOutOfRangeSilently)
{
    expectAll({
        {"adecplaces x1 13", axes(&A::dp), "2 2 2 2"},
        {"adecplaces x1 -1", axes(&A::dp), "2 2 2 2"},
        {"aformat 5 1", axes(&A::axismode), "0 0 0 0"},
        {"aformat 0 1", axes(&A::axismode), "0 0 0 0"},
        {"aformat 1 3", axes(&A::axismode), "0 0 0 0"},
        {"anumangle left 361", axes(&A::angle), "0 0 0 0"},
        {"anumangle left -1", axes(&A::angle), "0 0 0 0"},
        {"anumangle left 0/0", axes(&A::angle), "0 0 0 0"},
        {"anumalign all 9", axes(&A::align), "2 4 6 8"},
        {"aexpoffset all -1", axes(&A::expoff), "5 5 5 5"},
        {"aticklength all -0.5", axes(&A::ticklength), "10 10 10 10"},
        {"atickwidth all 1/0", axes(&A::tickwidth), "2 2 2 2"},
        {"agridwidth all 0/0", axes(&A::gridwidth), "0.5 0.5 0.5 0.5"},
        {"agridpattern y 16", axes(&A::gridpattern), "0 0 0 0"},
        {"atickstyle all 3", axes(&A::tickstyle), "0 0 0 0"},
        {"anumoffset all 0/0", axes(&A::numoff), "5 5 5 5"},
        {"ascalstart all 1/0", axes(&A::scalstart), "'' '' '' ''"},
        {"atextcolor all 0/0 0 0", axes(&A::axistextcolor), "#ff000000 #ff000000 #ff000000 #ff000000"},
        {"setaxis 1 0/0 1 1", axes(&A::axis), "1 1 1 1"},
    });
}

TEST(AxisCommands, FontsByNameAndSizeOrTheUserFont)
{
    const QString user = text(Font::userFont(14));
    const auto serif = Font::withName(QStringLiteral("DejaVu Serif"), 11);
    ASSERT_TRUE(serif);
    struct FontCase {
        const char* source;
        Probe probe;
        QString expected;
    };
    const VexaDocument fresh;
    auto allBut = [](const QString& first, const QFont& others) {
        return QStringList{first, text(others), text(others), text(others)}.join(QLatin1Char(' '));
    };
    const FontCase cases[] = {
        {"anumfont all 'NoSuchFont' 10", axes(&A::numfont), QStringList(4, user).join(QLatin1Char(' '))},
        {"anumfont x1 'DejaVu Serif' 0", axes(&A::numfont), allBut(user, fresh.axes[1].numfont)},
        {"atextfont x1 'DejaVu Serif' 11", axes(&A::textfont), allBut(text(*serif), fresh.axes[1].textfont)},
    };
    for (const FontCase& c : cases) {
        MacroRunOn run;
        EXPECT_EQ(run(c.source).toStdString(), "") << c.source;
        EXPECT_EQ(c.probe(*run.doc).toStdString(), c.expected.toStdString()) << c.source;
    }
}

TEST(AxisCommands, BadArgumentsStopTheRunAndChangeNothing)
{
    expectErrors(
        {
            {"setaxis yes yes no\nasetgrid all 1", "Wrong number of arguments: setaxis yes yes no\n"},
            {"atext x1\nasetgrid all 1", "Wrong number of arguments: atext x1\n"},
            {"anumfont x1 Helvetica\nasetgrid all 1", "Wrong number of arguments: anumfont x1 Helvetica\n"},
            {"aticklength x1 long\nasetgrid all 1", "Undefined variable: long in long\n"},
            {"atextcolor bottom 1 0\nasetgrid all 1", "Unkown command: atextcolor bottom 1 0\n"},
            {"atextcolor bottom\nasetgrid all 1", "Unkown command: atextcolor bottom\n"},
        },
        [](const VexaDocument& d, const char* source) {
            EXPECT_EQ(axes(&A::grid)(d).toStdString(), "0 0 0 0") << source;
            EXPECT_EQ(axes(&A::axis)(d).toStdString(), "1 1 0 0") << source;
        });
}

} // namespace
