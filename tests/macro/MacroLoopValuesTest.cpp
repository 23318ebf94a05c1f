// The values a loop takes, made one at a time.

#include "macro/MacroLoopValues.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <vector>

namespace {

std::vector<double> takeAll(MacroLoopValues v, std::size_t atMost = 100)
{
    std::vector<double> out;
    while (!v.empty() && out.size() < atMost)
        out.push_back(v.takeFirst());
    return out;
}

} // namespace

TEST(MacroLoopValues, RangesGiveTheirValuesInOrderAndEnd)
{
    const struct {
        const char* what;
        std::function<void(MacroLoopValues&)> set;
        std::vector<double> values;
    } cases[] = {
        {"nothing set", [](MacroLoopValues&) {}, {}},
        {"up", [](MacroLoopValues& v) { v.setWholeNumbers(2, 5); }, {2, 3, 4, 5}},
        {"down", [](MacroLoopValues& v) { v.setWholeNumbers(1, -2); }, {1, 0, -1, -2}},
        {"one", [](MacroLoopValues& v) { v.setWholeNumbers(7, 7); }, {7}},
        {"at the end of long long",
         [](MacroLoopValues& v) { v.setWholeNumbers(LLONG_MAX - 1, LLONG_MAX); },
         {double(LLONG_MAX - 1), double(LLONG_MAX)}},
        {"steps", [](MacroLoopValues& v) { v.setSteps(0, 1, 0.25); }, {0, 0.25, 0.5, 0.75, 1}},
        {"steps past the end", [](MacroLoopValues& v) { v.setSteps(0, 1, 0.4); }, {0, 0.4, 0.8}},
        {"start beyond end", [](MacroLoopValues& v) { v.setSteps(2, 1, 1); }, {}},
        {"no step", [](MacroLoopValues& v) { v.setSteps(0, 1, 0); }, {}},
        {"not a number", [](MacroLoopValues& v) { v.setSteps(NAN, 1, 1); }, {}},
        // where adding the step is lost in rounding the values end
        {"step lost in rounding",
         [](MacroLoopValues& v) { v.setSteps(9007199254740990.0, 1e300, 1); },
         {9007199254740990.0, 9007199254740991.0, 9007199254740992.0}},
        {"list",
         [](MacroLoopValues& v) {
             v.setList({1, 5, 2});
         },
         {1, 5, 2}},
        {"six digits",
         [](MacroLoopValues& v) {
             v.setWholeNumbers(1234567, 1234568);
             v.setSixDigits(true);
         },
         {1234570, 1234570}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MacroLoopValues v;
        c.set(v);
        EXPECT_EQ(v.peek(100), c.values); // looking takes nothing
        EXPECT_EQ(takeAll(v), c.values);
        EXPECT_EQ(v.empty(), c.values.empty());
    }

    // Taking past the end gives 0; clear empties.
    MacroLoopValues v;
    v.setWholeNumbers(0, 0);
    EXPECT_EQ(v.takeFirst(), 0);
    EXPECT_TRUE(v.empty());
    EXPECT_EQ(v.takeFirst(), 0);
    v.setWholeNumbers(0, 1000000000000LL);
    v.takeFirst();
    EXPECT_EQ(v.takeFirst(), 1);
    v.clear();
    EXPECT_TRUE(v.empty());
}
