#include "app/LogFont.h"

#include <gtest/gtest.h>

using namespace dorvane;

TEST(LogFont, TextFormRoundTripsAndKeepsBlanksInTheFaceName)
{
    LogFont font;
    TextToLogFont("-16,0,0,0,700,1,0,0,0,3,2,1,34,Times New Roman", font);
    EXPECT_EQ(font.height, -16);
    EXPECT_EQ(font.weight, 700);
    EXPECT_EQ(font.italic, 1);
    EXPECT_EQ(font.pitchAndFamily, 34);
    EXPECT_EQ(font.faceName, "Times New Roman");
    EXPECT_EQ(LogFontToText(font), "-16,0,0,0,700,1,0,0,0,3,2,1,34,Times New Roman");

    TextToLogFont("-14,0,0,0,400,0,0,0,134,3,2,1,49, Lead,and,commas ", font);
    EXPECT_EQ(font.faceName, " Lead,and,commas ");
}

TEST(LogFont, ShortLineKeepsEarlierValuesAndLongNamesAreCut)
{
    LogFont font;
    TextToLogFont("-14,0,0,0,400,0,0,0,134,3,2,1,49,\xCB\xCE\xCC\xE5", font);
    const LogFont before = font;
    TextToLogFont("", font);
    EXPECT_EQ(font, before);
    TextToLogFont("-20,5", font);
    EXPECT_EQ(font.height, -20);
    EXPECT_EQ(font.width, 5);
    EXPECT_EQ(font.weight, 400);
    EXPECT_EQ(font.faceName, before.faceName);

    TextToLogFont("1,2,3,4,5,6,7,8,9,10,11,12,13," + std::string(40, 'x'), font);
    EXPECT_EQ(font.faceName, std::string(31, 'x'));
    // A cut never splits a two-byte character: 15 Chinese characters are 30 bytes.
    std::string chinese;
    for (int i = 0; i < 16; ++i)
        chinese += "\xCB\xCE";
    TextToLogFont("1,2,3,4,5,6,7,8,9,10,11,12,13," + chinese, font);
    EXPECT_EQ(font.faceName, chinese.substr(0, 30));
}
