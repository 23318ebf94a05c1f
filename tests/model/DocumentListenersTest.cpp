#include "model/DocumentListeners.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace {

TEST(DocumentListenersTest, ListenersAreToldInOrderWhileSubscribed)
{
    DocumentListeners list;
    std::vector<int> told;
    auto first = list.add([&told](const DocumentChange&) { told.push_back(1); });
    auto second = list.add([&told](const DocumentChange& c) { told.push_back(c.settings ? 20 : 2); });
    list.notify({});
    list.notify({true});
    EXPECT_EQ(told, (std::vector<int>{1, 2, 1, 20}));

    first.cancel();
    first.cancel(); // twice is once
    told.clear();
    list.notify({});
    EXPECT_EQ(told, std::vector<int>{2});

    // A moved subscription keeps the listener; the one moved from keeps none.
    DocumentListeners::Subscription kept = std::move(second);
    second.cancel();
    told.clear();
    list.notify({});
    EXPECT_EQ(told, std::vector<int>{2});
    {
        DocumentListeners::Subscription ended = std::move(kept);
    }
    EXPECT_TRUE(list.empty());
}

TEST(DocumentListenersTest, EitherSideMayEndFirst)
{
    int told = 0;
    DocumentListeners::Subscription outliving;
    {
        DocumentListeners list;
        outliving = list.add([&told](const DocumentChange&) { ++told; });
        list.notify({});
    }
    outliving.cancel(); // the list is gone: nothing to take off
    EXPECT_EQ(told, 1);
}

TEST(DocumentListenersTest, AListenerMayEndSubscriptionsWhileTold)
{
    DocumentListeners list;
    std::vector<int> told;
    std::optional<DocumentListeners::Subscription> first, second;
    // The first ends its own subscription and the second's: the second is
    // not told, and neither is told again.
    first = list.add([&](const DocumentChange&) {
        told.push_back(1);
        first.reset();
        second.reset();
    });
    second = list.add([&](const DocumentChange&) { told.push_back(2); });
    list.notify({});
    list.notify({});
    EXPECT_EQ(told, std::vector<int>{1});
    EXPECT_TRUE(list.empty());
}

} // namespace
