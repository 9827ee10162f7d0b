#include "text/CodePageChars.h"

#include <gtest/gtest.h>

#include <vector>

using namespace dorvane;

namespace {
const std::string kShi = "\xCA\xD0";          // 市
const std::string kRareChar = "\x95\x32\x82\x36"; // a four-byte GB18030 character outside GBK
} // namespace

TEST(CodePageChars, WalksOneTwoAndFourByteCharacters)
{
    const std::string text = "A" + kShi + kRareChar + "z";
    std::vector<std::string> chars;
    for (std::string_view ch : CodePageChars(text))
        chars.emplace_back(ch);
    EXPECT_EQ(chars, (std::vector<std::string>{"A", kShi, kRareChar, "z"}));
    EXPECT_EQ(CharCount(text), 4u);

    // A lead byte at the very end, or followed by a byte that is no trail, is one character.
    EXPECT_EQ(CharCount("\xCA"), 1u);
    EXPECT_EQ(CharCount("\xCA\x0A"), 2u);
    EXPECT_EQ(CharLengthAt("\x95\x32\x82", 0), 1u);
}

TEST(CodePageChars, FindNeverMatchesAcrossCharacterBoundaries)
{
    // B0 CA | D0 A1: the bytes CA D0 (市) appear, straddling two characters.
    const std::string straddling = "\xB0\xCA\xD0\xA1";
    EXPECT_EQ(FindChars(straddling, kShi), std::string_view::npos);
    EXPECT_EQ(FindChars(straddling + kShi, kShi), 4u);

    // The trail of a four-byte character followed by a marker.
    const std::string rareThenShi = kRareChar + kShi;
    EXPECT_EQ(FindChars(rareThenShi, kShi), 4u);
    EXPECT_EQ(FindChars(rareThenShi, "\x36\xCA"), std::string_view::npos);

    // An ASCII digit inside a four-byte character is not a match for that digit.
    EXPECT_EQ(FindChars(kRareChar, "2"), std::string_view::npos);
    EXPECT_EQ(FindChars("a,b", ",", 2), std::string_view::npos);
}

TEST(CodePageChars, ComparesCharacterByCharacterWithPrefixFirst)
{
    EXPECT_LT(CompareCodePageText("EMS", "\xC9\xEA\xCD\xA8"), 0);               // EMS < 申通
    EXPECT_LT(CompareCodePageText("\xC9\xEA\xCD\xA8", "\xCB\xB3\xB7\xE1"), 0); // 申通 < 顺丰
    EXPECT_LT(CompareCodePageText("\xD4\xB2\xCD\xA8", "\xD6\xD0\xCD\xA8"), 0); // 圆通 < 中通
    EXPECT_LT(CompareCodePageText("ab", "abc"), 0);
    EXPECT_GT(CompareCodePageText("b", "abc"), 0);
    EXPECT_EQ(CompareCodePageText(kShi, kShi), 0);
    // A two-byte character sorts after every single byte, as its 16-bit value is larger.
    EXPECT_GT(CompareCodePageText(kShi, "z"), 0);
}
