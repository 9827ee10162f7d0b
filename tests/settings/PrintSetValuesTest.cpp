#include "settings/PrintSetValues.h"

#include <gtest/gtest.h>

using namespace dorvane;

TEST(PrintSetValues, ShownValuesRoundTowardZero)
{
    EXPECT_EQ(ShownAdjustment(-3), 0);
    EXPECT_EQ(ShownAdjustment(3), 0);
    EXPECT_EQ(ShownAdjustment(-8), -2);
}

TEST(PrintSetValues, StoredValuesAreTheTypedNumberTimesFour)
{
    EXPECT_EQ(StoredAdjustment("3"), 12);
    EXPECT_EQ(StoredAdjustment("-1"), -4);
    EXPECT_EQ(StoredAdjustment(""), 0);
    EXPECT_EQ(StoredAdjustment("-"), 0);   // a lone minus sign is no number
    EXPECT_EQ(StoredAdjustment("2x7"), 8); // pasted text: leading digits count
    EXPECT_EQ(StoredAdjustment("abc"), 0);
    // Beyond the 32-bit range: the largest multiple of 4, never a wrapped sign.
    EXPECT_EQ(StoredAdjustment("600000000"), 2147483644);
    EXPECT_EQ(StoredAdjustment("-99999999999999"), -2147483648);
}

TEST(PrintSetValues, OnlyDigitsMinusAndBackspaceMayBeTyped)
{
    for (char32_t c : std::u32string_view(U"0123456789-\b"))
        EXPECT_TRUE(IsAdjustmentChar(c)) << static_cast<int>(c);
    for (char32_t c : std::u32string_view(U"a.+ ,\u4E00\uFF11\r"))
        EXPECT_FALSE(IsAdjustmentChar(c)) << static_cast<int>(c);
}

TEST(PrintSetValues, PreselectsThePrinterInUseElseTheDefault)
{
    const std::vector<std::string> names = {"dorvane-pdf", "Dorvane-Test", "dorvane-test"};
    EXPECT_EQ(PreselectedPrinter(names, "dorvane-test", "dorvane-pdf"), 2); // exact case
    EXPECT_EQ(PreselectedPrinter(names, "Jolimark FP-630K+", "dorvane-pdf"), 0);
    EXPECT_EQ(PreselectedPrinter(names, "DORVANE-PDF", "dorvane-test"), 2);
    EXPECT_EQ(PreselectedPrinter(names, "gone", ""), -1);
    EXPECT_EQ(PreselectedPrinter({}, "", ""), -1);
}
