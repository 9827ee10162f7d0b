#include "print/FontShrink.h"

#include <gtest/gtest.h>

using namespace dorvane;

TEST(FontShrink, FindsTheLargestSizeThatFitsInFewTries)
{
    int asked = 0;
    const auto upTo137 = [&asked](int size) {
        ++asked;
        return size <= 137;
    };
    EXPECT_EQ(LargestFittingSize(100, 199, upTo137), 137);
    EXPECT_LE(asked, 9);
    EXPECT_EQ(LargestFittingSize(100, 137, upTo137), 137);
    EXPECT_EQ(LargestFittingSize(100, 120, upTo137), 120);
    EXPECT_EQ(LargestFittingSize(137, 137, upTo137), 137);
    // Nothing fits when even the smallest size is too big, or the range is empty.
    EXPECT_EQ(LargestFittingSize(138, 199, upTo137), std::nullopt);
    EXPECT_EQ(LargestFittingSize(120, 119, upTo137), std::nullopt);
    // Six points: a 12-point font of a 180-dpi dot-matrix printer is 30 pixels high.
    EXPECT_EQ(SmallestFontPixels(180), 15);
    EXPECT_EQ(SmallestFontPixels(1200), 100);
    EXPECT_EQ(SmallestFontPixels(100), 9); // 8.33 rounded up: never below 6 points
}
