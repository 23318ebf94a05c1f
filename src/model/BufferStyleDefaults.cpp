#include "model/BufferStyleDefaults.h"

#include "platform/UserDefaults.h"
#include "util/Overloaded.h"

#include <variant>

namespace BufferStyleDefaults {

namespace {

using Member = std::variant<QColor BufferStyle::*, double BufferStyle::*, int BufferStyle::*,
                            BufferStyle::Flag BufferStyle::*>;

struct Key {
    const char* name;
    Member member;
    bool stored; // written by store(); the others are only read
};

// clang-format off
const Key keys[] = {
    {"BColor",       &BufferStyle::color,       true},
    {"BFillColor",   &BufferStyle::fillcolor,   true},
    {"BStickColor",  &BufferStyle::stickcolor,  true},
    {"BErrorColor",  &BufferStyle::errorcolor,  true},
    {"BLineWidth",   &BufferStyle::linewidth,   true},
    {"BDash",        &BufferStyle::dash,        true},
    {"BSymbol",      &BufferStyle::symbol,      true},
    {"BSymbolSize",  &BufferStyle::symbolsize,  true},
    {"BStickSize",   &BufferStyle::sticksize,   true},
    {"BDashWidth",   &BufferStyle::dashwidth,   true},
    {"BStickAbs",    &BufferStyle::stickabs,    true},
    {"BPlotLines",   &BufferStyle::plotlines,   true},
    {"BPlotSymbols", &BufferStyle::plotsymbols, true},
    {"BPlotYBars",   &BufferStyle::plotybars,   true},
    {"BPlotXBars",   &BufferStyle::plotxbars,   true},
    {"BPlotYSticks", &BufferStyle::plotysticks, true},
    {"BPlotXSticks", &BufferStyle::plotxsticks, true},
    {"BPlotDots",    &BufferStyle::plotdots,    true},
    {"BPlotArea",    &BufferStyle::plotarea,    true},
    {"BPlotHist",    &BufferStyle::plothist,    true},
    {"BPlotFHist",   &BufferStyle::plotfhist,   true},
    {"BBarColor",    &BufferStyle::barcolor,    false},
    {"BSymbolFill",  &BufferStyle::symfill,     false},
    {"BFreeX",       &BufferStyle::freex,       false},
    {"BFreeY",       &BufferStyle::freey,       false},
    {"BBarYTop",     &BufferStyle::barytop,     false},
    {"BBarYBottom",  &BufferStyle::barybottom,  false},
    {"BBarXLeft",    &BufferStyle::barxleft,    false},
    {"BBarXRight",   &BufferStyle::barxright,   false},
    {"BFXmin",       &BufferStyle::fxmin,       false},
    {"BFXmax",       &BufferStyle::fxmax,       false},
    {"BFYmin",       &BufferStyle::fymin,       false},
    {"BFYmax",       &BufferStyle::fymax,       false},
};
// clang-format on

const QString dynSizeKey = QStringLiteral("BDynSize");

} // namespace

void read(const UserDefaults& d, BufferDefaults& defaults)
{
    BufferStyle& style = defaults.style;
    for (const Key& k : keys) {
        const QString key = QLatin1String(k.name);
        if (!d.contains(key))
            continue;
        std::visit(Overloaded{
                       [&](QColor BufferStyle::*m) {
                           if (auto c = d.colorForKey(key))
                               style.*m = *c;
                       },
                       // Numbers come back in the store's single precision, widened.
                       [&](double BufferStyle::*m) { style.*m = double(d.floatForKey(key)); },
                       [&](int BufferStyle::*m) { style.*m = d.integerForKey(key); },
                       [&](BufferStyle::Flag BufferStyle::*m) { style.*m = d.boolForKey(key) ? 1 : 0; },
                   },
                   k.member);
    }
    if (d.contains(dynSizeKey))
        defaults.dynsize = d.stringForKey(dynSizeKey);
}

void store(UserDefaults& d, const BufferStyle& style, const QString& dynsize)
{
    for (const Key& k : keys) {
        if (!k.stored)
            continue;
        const QString key = QLatin1String(k.name);
        std::visit(Overloaded{
                       [&](QColor BufferStyle::*m) { d.setColor(key, style.*m); },
                       // Kept in single precision, as the store keeps numbers.
                       [&](double BufferStyle::*m) { d.setValue(key, double(float(style.*m))); },
                       [&](int BufferStyle::*m) { d.setValue(key, style.*m); },
                       [&](BufferStyle::Flag BufferStyle::*m) { d.setValue(key, style.*m != 0); },
                   },
                   k.member);
        d.synchronize();
    }
    d.setValue(dynSizeKey, dynsize);
    d.synchronize();
}

} // namespace BufferStyleDefaults
