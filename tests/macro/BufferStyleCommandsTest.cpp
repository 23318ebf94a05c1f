// The buffer-style commands run through whole macros on a document of three
// buffers (buffer 1 hidden, buffers 0 and 2 selected): which field each
// writes in which buffers, and what each refuses.

#include "SettingCommands.h"

#include <gtest/gtest.h>

namespace {

using namespace SettingCommands;

// The ten drawing switches of every buffer, in the order "bstyle" takes them.
QString drawing(const VexaDocument& d)
{
    QStringList out;
    for (const auto& b : d.DB) {
        const BufferStyle& s = b->style;
        QString bits;
        for (std::uint8_t v : {s.plotlines, s.plotsymbols, s.plotarea, s.plotybars, s.plotxbars,
                               s.plotysticks, s.plotxsticks, s.plotdots, s.plothist, s.plotfhist})
            bits += QString::number(v);
        out << bits;
    }
    return out.join(QLatin1Char(' '));
}

QString anchors(const VexaDocument& d)
{
    QStringList out;
    for (const auto& b : d.DB)
        out << QStringLiteral("%1%2%3%4")
                   .arg(b->style.barytop)
                   .arg(b->style.barybottom)
                   .arg(b->style.barxleft)
                   .arg(b->style.barxright);
    return out.join(QLatin1Char(' '));
}

QString legendEntries(const VexaDocument& d)
{
    QStringList out;
    for (const auto& b : d.DB)
        out << QString::number(b->plotlegend);
    return out.join(QLatin1Char(' '));
}

QString sizeExpressions(const VexaDocument& d)
{
    QStringList out;
    for (const auto& b : d.DB)
        out << text(b->dynsize);
    return out.join(QLatin1Char(' '));
}

TEST(BufferStyleCommands, WriteTheirFieldInEveryBufferOfTheSet)
{
    const char* const black = "#ff000000 #ff000000 #ff000000";
    expectAll({
        {"bstyle 1 0 0 0 0 0 0 0 0 0 all", drawing, "1000000000 1000000000 1000000000"},
        {"bstyle 0 1 yes 1 1 1 1 1 1 -3 1", drawing, "1000000000 0111111111 1000000000"},
        {"bstyleclear selected", drawing, "0000000000 1000000000 0000000000"},
        {"bstyleclear none", drawing, "1000000000 1000000000 1000000000"},
        {"bstylelines no 0", drawing, "0000000000 1000000000 1000000000"},
        {"bstylesymbols yes visible", drawing, "1100000000 1000000000 1100000000"},
        {"bstylefill 1 hidden", drawing, "1000000000 1010000000 1000000000"},
        {"bstyleybars 2 unselected", drawing, "1000000000 1001000000 1000000000"},
        {"bstylexbars 1 1..2", drawing, "1000000000 1000100000 1000100000"},
        {"bstyleysticks 1 2..0", drawing, "1000010000 1000010000 1000010000"},
        {"bstylexsticks 1 0,2", drawing, "1000001000 1000000000 1000001000"},
        {"bstyledots 1 nb-1", drawing, "1000000000 1000000000 1000000100"},
        {"bstylehist 1 0", drawing, "1000000010 1000000000 1000000000"},
        {"bstylefhist 1 0", drawing, "1000000001 1000000000 1000000000"},
        // Three numbers, the set, an optional alpha; or a colour word.
        {"bcolor 1 0 0 0", buffers(&BufferStyle::color), "#ffff0000 #ff000000 #ff000000"},
        {"bcolor 1 0 0 0 0.5", buffers(&BufferStyle::color), "#80ff0000 #ff000000 #ff000000"},
        {"bcolor 2 -1 0 all", buffers(&BufferStyle::color), "#ffff0000 #ffff0000 #ffff0000"},
        {"bcolor red 0", buffers(&BufferStyle::color), "#ffff0000 #ff000000 #ff000000"},
        {"colormode 1\nbcolor 0 1 1 2", buffers(&BufferStyle::color), "#ff000000 #ff000000 #ffff0000"},
        {"bfillcolor blue 1", buffers(&BufferStyle::fillcolor), "#ffaaaaaa #ff0000ff #ffaaaaaa"},
        {"bframecolor 0 1 0 2", buffers(&BufferStyle::barcolor), "#ff000000 #ff000000 #ff00ff00"},
        {"bframecolor red 0..1", buffers(&BufferStyle::barcolor), "#ffff0000 #ffff0000 #ff000000"},
        {"bstickcolor blue 0", buffers(&BufferStyle::stickcolor), "#ff0000ff #ff000000 #ff000000"},
        {"bstickcolor 12 0", buffers(&BufferStyle::stickcolor), "#ffcc66ff #ff000000 #ff000000"},
        {"berrorcolor blue 0", buffers(&BufferStyle::errorcolor), "#ff0000ff #ff000000 #ff000000"},
        {"berrorcolor 0 0 1 0 0.25", buffers(&BufferStyle::errorcolor), "#400000ff #ff000000 #ff000000"},
        {"berrorcolor 80ff0000 1", buffers(&BufferStyle::errorcolor), "#ff000000 #80ff0000 #ff000000"},
        {"berrorcolor nosuchcolour 1", buffers(&BufferStyle::errorcolor), black},
        {"blinewidth 2.5 0", buffers(&BufferStyle::linewidth), "2.5 1 1"},
        {"blinewidth -1 0", buffers(&BufferStyle::linewidth), "-1 1 1"},
        {"blinepattern 15 all", buffers(&BufferStyle::dash), "15 15 15"},
        {"bpatternwidth 4 0", buffers(&BufferStyle::dashwidth), "4 0 0"},
        {"bsymbol 3 1", buffers(&BufferStyle::symbol), "0 3 0"},
        {"bsymbolsize 0 2", buffers(&BufferStyle::symbolsize), "10 10 0"},
        {"bsymbolfill yes 2", buffers(&BufferStyle::symfill), "0 0 1"},
        {"bsymbolfill yes", buffers(&BufferStyle::symfill), "0 0 0"},
        {"bsticksize 30 0", buffers(&BufferStyle::sticksize), "30 20 20"},
        {"bsticksabs 1 0", buffers(&BufferStyle::stickabs), "1 0 0"},
        {"bsticksabs 1", buffers(&BufferStyle::stickabs), "0 0 0"},
        {"bdynsize 0 'y*2'", sizeExpressions, "'y*2' '' ''"},
        {"bdynsize all y\nbdynsize 0", sizeExpressions, "'' 'y' 'y'"},
        {"bxerrorval 0.5 0", errorBars(&ErrorBarSettings::errorvalx), "0.5 0 0"},
        {"bxerror 3 0", errorBars(&ErrorBarSettings::errorbarx), "3 0 0"},
        {"byerrorval 2 1", errorBars(&ErrorBarSettings::errorvaly), "0 2 0"},
        {"byerror 2 1", errorBars(&ErrorBarSettings::errorbary), "0 2 0"},
        {"berrorlinewidth 3 all", errorBars(&ErrorBarSettings::errorwidth), "3 3 3"},
        {"blegend no 1", legendEntries, "1 0 1"},
        {"bfreex 1 0", buffers(&BufferStyle::freex), "1 0 0"},
        {"bfreey yes 0", buffers(&BufferStyle::freey), "1 0 0"},
        {"bfreexrange 5 1 0", buffers(&BufferStyle::fxmin), "5 0 0"},
        {"bfreexrange 5 1 0", buffers(&BufferStyle::fxmax), "1 1 1"},
        {"bfreeyrange -2 9 2", buffers(&BufferStyle::fymin), "0 0 -2"},
        {"bfreeyrange -2 9 2", buffers(&BufferStyle::fymax), "1 1 9"},
        // The anchors of a direction exclude each other only when turned on.
        {"barytop yes 0\nbarybottom yes 0", anchors, "0100 0000 0000"},
        {"barytop yes 0\nbarybottom yes 0\nbarytop no 0", anchors, "0100 0000 0000"},
        {"barxleft 1 1\nbarxright 1 1", anchors, "0000 0001 0000"},
        {"barxright 1 2\nbarxleft 1 2", anchors, "0000 0000 0010"},
    });
}

// Values out of range, and numbers that are no finite numbers, leave the
// field as it was and say nothing.
TEST(BufferStyleCommands, RefuseValuesOutOfRangeSilently)
{
    expectAll({
        {"blinepattern 16 all", buffers(&BufferStyle::dash), "0 0 0"},
        {"bsymbol -1 all", buffers(&BufferStyle::symbol), "0 0 0"},
        {"bxerror 4 0", errorBars(&ErrorBarSettings::errorbarx), "0 0 0"},
        {"byerror -1 0", errorBars(&ErrorBarSettings::errorbary), "0 0 0"},
        {"blinewidth 0/0 0", buffers(&BufferStyle::linewidth), "1 1 1"},
        {"bsymbolsize 1/0 0", buffers(&BufferStyle::symbolsize), "10 10 10"},
        {"bxerrorval -1/0 0", errorBars(&ErrorBarSettings::errorvalx), "0 0 0"},
        {"bfreexrange 0/0 4 0", buffers(&BufferStyle::fxmax), "1 1 1"},
        {"bcolor 1 0/0 0 0", buffers(&BufferStyle::color), "#ff000000 #ff000000 #ff000000"},
        {"bcolor 1 0 0 0 1/0", buffers(&BufferStyle::color), "#ff000000 #ff000000 #ff000000"},
        {"bstylelines 0/0 all", drawing, "1000000000 1000000000 1000000000"},
        {"bstyle 0 0 0 0 0 0 0 0 0 0/0 all", drawing, "1000000000 1000000000 1000000000"},
        {"blinepattern 3 9", buffers(&BufferStyle::dash), "0 0 0"},
    });
}

// Wrong counts and arguments that do not evaluate are the engine's errors and
// end the run; a colour command with a count of neither form is no command.
TEST(BufferStyleCommands, BadArgumentsStopTheRunAndChangeNothing)
{
    expectErrors(
        {
            {"bstyle 1 0 0 0 0 0 0 0 0 0\nbstylelines 0 all",
             "Wrong number of arguments: bstyle 1 0 0 0 0 0 0 0 0 0\n"},
            {"blinewidth 2\nbstylelines 0 all", "Wrong number of arguments: blinewidth 2\n"},
            {"bsymbol 1 2 3\nbstylelines 0 all", "Wrong number of arguments: bsymbol 1 2 3\n"},
            {"blinewidth wide 0\nbstylelines 0 all", "Undefined variable: wide in wide\n"},
            {"bcolor 1 0 0\nbstylelines 0 all", "Unkown command: bcolor 1 0 0\n"},
            {"bcolor red\nbstylelines 0 all", "Unkown command: bcolor red\n"},
            {"BColor 1 0 0 0 1 1\nbstylelines 0 all", "Wrong number of arguments: BColor 1 0 0 0 1 1\n"},
        },
        [](const VexaDocument& d, const char* source) {
            EXPECT_EQ(drawing(d), QStringLiteral("1000000000 1000000000 1000000000")) << source;
            EXPECT_EQ(buffers(&BufferStyle::color)(d), QStringLiteral("#ff000000 #ff000000 #ff000000"))
                << source;
            EXPECT_EQ(buffers(&BufferStyle::linewidth)(d), QStringLiteral("1 1 1")) << source;
        });
}

} // namespace
