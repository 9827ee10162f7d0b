#include "store/StoreListeners.h"

#include <gtest/gtest.h>

#include <string>

using namespace dorvane;

// A table's change reaches that table's listeners only; the store's new place reaches all of
// them. A listener that ends another (a dialog closing while it is told) is safe, and one ended
// is told nothing more.
TEST(StoreListeners, TellsEachTableItsOwnChangesAndEveryoneAMove)
{
    StoreListeners listeners;
    std::string told;
    listeners.subscribe(StoreChange::Goods, [&] { told += 'g'; });
    listeners.subscribe(StoreChange::Addresses, [&] { told += 'a'; });
    listeners.subscribe(StoreChange::PrintLog, [&] { told += 'p'; });

    listeners.notify(StoreChange::Goods);
    EXPECT_EQ(told, "g");
    listeners.notify(StoreChange::Location);
    EXPECT_EQ(told, "ggap");

    // In a second registry, the first listener ends the one after it and adds another:
    // neither of those runs now.
    StoreListeners second;
    told.clear();
    int ended = 0;
    int added = 0;
    second.subscribe(StoreChange::Location, [&] {
        second.unsubscribe(ended);
        added = second.subscribe(StoreChange::Goods, [&] { told += 'n'; });
    });
    ended = second.subscribe(StoreChange::Goods, [&] { told += 'e'; });
    second.notify(StoreChange::Location);
    EXPECT_EQ(told, "");
    second.notify(StoreChange::Goods);
    EXPECT_EQ(told, "n");
    second.unsubscribe(added);
    second.notify(StoreChange::Goods);
    EXPECT_EQ(told, "n");
}
