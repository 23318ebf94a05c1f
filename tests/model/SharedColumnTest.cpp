#include "model/SharedColumn.h"

#include <gtest/gtest.h>

#include <functional>
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
