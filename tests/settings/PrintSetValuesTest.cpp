#include "settings/PrintSetValues.h"

#include <gtest/gtest.h>

using namespace dorvane;

TEST(PrintSetValues, StoredTenthsAreShownAsMillimetresWithOneDecimal)
{
    EXPECT_EQ(ShownAdjustment(25), "2.5");
    EXPECT_EQ(ShownAdjustment(-12), "-1.2");
    EXPECT_EQ(ShownAdjustment(-3), "-0.3"); // the sign survives a whole part of 0
    EXPECT_EQ(ShownAdjustment(40), "4.0");
    EXPECT_EQ(ShownAdjustment(0), "0.0");
    EXPECT_EQ(ShownAdjustment(-2147483647 - 1), "-214748364.8");
}

TEST(PrintSetValues, TypedMillimetresAreStoredAsTenths)
{
    EXPECT_EQ(StoredAdjustment("2.5"), 25);
    EXPECT_EQ(StoredAdjustment("-1.2"), -12);
    EXPECT_EQ(StoredAdjustment("10"), 100); // 10 mm moves the text 10 mm, not 4
    EXPECT_EQ(StoredAdjustment("-.5"), -5);
    EXPECT_EQ(StoredAdjustment("3."), 30);
    EXPECT_EQ(StoredAdjustment(""), 0);
    EXPECT_EQ(StoredAdjustment("-"), 0);     // a lone minus sign is no number
    EXPECT_EQ(StoredAdjustment("2x7"), 20);  // pasted text: the leading number counts
    EXPECT_EQ(StoredAdjustment("1.2-5"), 12);
    EXPECT_EQ(StoredAdjustment("abc"), 0);
    // Pasted hundredths round half away from zero.
    EXPECT_EQ(StoredAdjustment("2.45"), 25);
    EXPECT_EQ(StoredAdjustment("2.449"), 24);
    EXPECT_EQ(StoredAdjustment("-0.05"), -1);
    // Beyond the 32-bit range the value stops at its ends, never a wrapped sign.
    EXPECT_EQ(StoredAdjustment("300000000"), 2147483647);
    EXPECT_EQ(StoredAdjustment("-99999999999999999999"), -2147483647 - 1);
    for (const std::int32_t stored : {0, 7, -9, 123456, -2147483647 - 1, 2147483647})
        EXPECT_EQ(StoredAdjustment(ShownAdjustment(stored)), stored) << stored;
}

TEST(PrintSetValues, CommandLineMillimetresTakeOneDecimalAndNothingElse)
{
    EXPECT_EQ(ParseMillimetres("2.5"), 25);
    EXPECT_EQ(ParseMillimetres("-1.2"), -12);
    EXPECT_EQ(ParseMillimetres("+3"), 30);
    EXPECT_EQ(ParseMillimetres("0"), 0);
    EXPECT_EQ(ParseMillimetres("-.4"), -4);
    for (const char* wrong : {"", "-", ".", "2.", "2.55", "2,5", "2.5mm", " 2", "1e1", "1234567"})
        EXPECT_FALSE(ParseMillimetres(wrong)) << wrong;
}

TEST(PrintSetValues, DigitsMinusBackspaceAndOneDecimalPointMayBeTyped)
{
    for (char32_t c : std::u32string_view(U"0123456789-\b."))
        EXPECT_TRUE(IsAdjustmentChar(c, false)) << static_cast<int>(c);
    EXPECT_FALSE(IsAdjustmentChar(U'.', true));
    EXPECT_TRUE(IsAdjustmentChar(U'5', true));
    for (char32_t c : std::u32string_view(U"a+ ,\u4E00\uFF11\u3002\r"))
        EXPECT_FALSE(IsAdjustmentChar(c, false)) << static_cast<int>(c);
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
