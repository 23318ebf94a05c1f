#include "model/SharedColumn.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace {

using Values = std::vector<double>;

// Every way of changing a column changes only the copy it is made on.
TEST(SharedColumn, CopiesShareUntilOneOfThemChanges)
{
    const struct {
        const char* what;
        std::function<void(SharedColumn&)> change;
        Values after;
    } cases[] = {
        {"set", [](SharedColumn& c) { c.set(1, 9); }, {1, 9, 3}},
        {"push_back", [](SharedColumn& c) { c.push_back(4); }, {1, 2, 3, 4}},
        {"pop_back", [](SharedColumn& c) { c.pop_back(); }, {1, 2}},
        {"resize", [](SharedColumn& c) { c.resize(4, 7); }, {1, 2, 3, 7}},
        {"insert", [](SharedColumn& c) { c.insert(0, 0); }, {0, 1, 2, 3}},
        {"erase", [](SharedColumn& c) { c.erase(0, 2); }, {3}},
        {"clear", [](SharedColumn& c) { c.clear(); }, {}},
        {"assign", [](SharedColumn& c) { c.assign(2, 5.0); }, {5, 5}},
        {"mutableData", [](SharedColumn& c) { c.mutableData()[2] = -3; }, {1, 2, -3}},
        {"mutableVector", [](SharedColumn& c) { c.mutableVector().push_back(8); }, {1, 2, 3, 8}},
        {"take", [](SharedColumn& c) { (void)c.take(); }, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const SharedColumn original = {1, 2, 3};
        SharedColumn copy = original;
        EXPECT_TRUE(copy.sharesWith(original));
        c.change(copy);
        EXPECT_EQ(copy, c.after);
        EXPECT_EQ(original, (Values{1, 2, 3}));
        EXPECT_FALSE(copy.sharesWith(original));
    }
}

// Reading, and changes that change nothing, never copy.
TEST(SharedColumn, ReadingNeverCopies)
{
    const SharedColumn original = Values{1, 2, 3};
    SharedColumn copy = original;
    double sum = copy[0] + copy.front() + copy.back() + copy.data()[1];
    for (double v : copy)
        sum += v;
    const std::vector<double>& asVector = copy;
    sum += asVector[2];
    copy.resize(3);
    copy.shrink_to_fit();
    EXPECT_EQ(sum, 1 + 1 + 3 + 2 + 6 + 3);
    EXPECT_TRUE(copy.sharesWith(original));
    EXPECT_TRUE(copy.isShared());

    // A column no longer shared is changed where it lies.
    SharedColumn own = Values{4, 5};
    const double* before = own.data();
    own.set(0, 6);
    EXPECT_EQ(own.data(), before);
    EXPECT_TRUE(SharedColumn().empty());
    EXPECT_EQ(SharedColumn().data(), nullptr);
}

} // namespace

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

// Long enough to be read on several threads, with the one pair that
// decides near a border of their parts or at either end.
Values longColumn(std::size_t at, double value)
{
    Values v(std::size_t(3) << 20);
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = double(i / 3);
    v[at] = value;
    return v;
}

} // namespace

TEST(SharedColumn, OrderTellsHowTheNumbersRun)
{
    const std::size_t n = std::size_t(3) << 20;
    const struct {
        const char* what;
        Values values;
        ColumnOrder order;
    } cases[] = {
        {"empty", {}, ColumnOrder::Ascending},
        {"one number", {5}, ColumnOrder::Ascending},
        {"equal numbers", {2, 2, 2}, ColumnOrder::Ascending},
        {"rising with repeats", {1, 2, 2, 3}, ColumnOrder::Ascending},
        {"-0 and 0", {-0.0, 0.0, -0.0}, ColumnOrder::Ascending},
        {"up to infinity", {-HUGE_VAL, 1, HUGE_VAL}, ColumnOrder::Ascending},
        {"falling", {3, 2, 2, -1}, ColumnOrder::Descending},
        {"up and down", {1, 3, 2}, ColumnOrder::Neither},
        {"a NaN", {1, NaN, 3}, ColumnOrder::Neither},
        {"a NaN first", {NaN, 1, 2}, ColumnOrder::Neither},
        {"long, rising", longColumn(0, 0), ColumnOrder::Ascending},
        {"long, one step back in the middle", longColumn(n / 2, 0), ColumnOrder::Neither},
        {"long, one step back at the end", longColumn(n - 1, 0), ColumnOrder::Neither},
        {"long, a NaN at the start", longColumn(0, NaN), ColumnOrder::Neither},
    };
    for (const auto& c : cases) {
        const SharedColumn column = c.values;
        EXPECT_EQ(column.order(), c.order) << c.what;
    }
}

// The order is found again after any change, and copies that share the
// numbers share it.
TEST(SharedColumn, OrderFollowsEveryChange)
{
    const struct {
        const char* what;
        std::function<void(SharedColumn&)> change;
        ColumnOrder order;
    } cases[] = {
        {"set", [](SharedColumn& c) { c.set(1, 9); }, ColumnOrder::Neither},
        {"push_back", [](SharedColumn& c) { c.push_back(0); }, ColumnOrder::Neither},
        {"insert", [](SharedColumn& c) { c.insert(0, 5); }, ColumnOrder::Neither},
        {"mutableData", [](SharedColumn& c) { c.mutableData()[0] = 7; }, ColumnOrder::Neither},
        {"mutableVector",
         [](SharedColumn& c) { std::reverse(c.mutableVector().begin(), c.mutableVector().end()); },
         ColumnOrder::Descending},
        {"assign", [](SharedColumn& c) { c.assign(3, 1.0); }, ColumnOrder::Ascending},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (bool shared : {false, true}) {
            SharedColumn column = Values{1, 2, 3};
            const SharedColumn other = shared ? column : SharedColumn();
            EXPECT_EQ(column.order(), ColumnOrder::Ascending);
            c.change(column);
            EXPECT_EQ(column.order(), c.order) << shared;
            if (shared) {
                EXPECT_EQ(other.order(), ColumnOrder::Ascending);
            }
        }
    }
    const SharedColumn original = Values{3, 1, 2};
    const SharedColumn copy = original;
    EXPECT_EQ(original.order(), ColumnOrder::Neither);
    EXPECT_EQ(copy.order(), ColumnOrder::Neither);
}
