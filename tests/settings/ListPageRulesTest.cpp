#include "settings/ListPageRules.h"

#include <gtest/gtest.h>

using namespace dorvane;

TEST(ListPageRules, RowIdTakesTheLeadingNumber)
{
    EXPECT_EQ(RowId("17"), 17);
    EXPECT_EQ(RowId("  42abc"), 42);
    EXPECT_EQ(RowId("-3"), -3);
    EXPECT_EQ(RowId(""), 0);
    EXPECT_EQ(RowId("x5"), 0);
    EXPECT_EQ(RowId("8589934592"), 8589934592LL); // beyond 32 bits
    EXPECT_EQ(RowId("99999999999999999999999"), INT64_MAX);
}

TEST(ListPageRules, RowAfterDeleteKeepsThePlaceOrTakesTheNewLastRow)
{
    EXPECT_EQ(RowAfterDelete(1, 4), 1);  // row 2 of 5: the row that moved up
    EXPECT_EQ(RowAfterDelete(4, 4), 3);  // the last of 5: the new last row
    EXPECT_EQ(RowAfterDelete(0, 0), -1); // the only row
    EXPECT_EQ(RowAfterDelete(2, 5), 2);  // nothing was removed (the question was answered No)
}
