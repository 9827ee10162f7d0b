#include "about/HyperlinkError.h"

#include <gtest/gtest.h>

namespace dorvane {
namespace {

TEST(HyperlinkError, KnownCodesUnknownCodesAndTheirLayout)
{
    EXPECT_EQ(HyperlinkErrorMessage(31),
              "Unable to open hyperlink:\n\nThere is no application associated\nwith the given filename extension.");
    EXPECT_EQ(HyperlinkErrorMessage(0), "Unable to open hyperlink:\n\nThe operating system is out\nof memory or resources.");
    // The sharing violation keeps its trailing blank.
    EXPECT_EQ(HyperlinkErrorMessage(26), "Unable to open hyperlink:\n\nA sharing violation occurred. ");
    EXPECT_EQ(HyperlinkErrorMessage(32), "Unable to open hyperlink:\n\nThe specified dynamic-link library was not found.");
    // Codes between the known ones and beyond them.
    EXPECT_EQ(HyperlinkErrorMessage(1), "Unable to open hyperlink:\n\nUnknown Error (1) occurred.");
    EXPECT_EQ(HyperlinkErrorMessage(33), "Unable to open hyperlink:\n\nUnknown Error (33) occurred.");
    EXPECT_EQ(HyperlinkErrorMessage(-2147483647 - 1), "Unable to open hyperlink:\n\nUnknown Error (-2147483648) occurred.");
}

} // namespace
} // namespace dorvane
