#include "base/LogFont.h"

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

TEST(LogFont, AFontDialogAnswerKeepsWhatTheUserLeftAsShown)
{
    // 黑体 at 20 pixels, shown by the dialog as its substitute at 15 points (20 pixels read back
    // as 21) in a style of its own, weight 300.
    LogFont inUse;
    TextToLogFont("-20,0,0,0,400,0,0,0,134,3,2,1,49,\xBA\xDA\xCC\xE5", inUse);
    LogFont shown;
    TextToLogFont("-21,0,0,0,300,0,0,0,134,3,2,1,2,WenQuanYi Zen Hei", shown);

    // Confirmed unchanged: the font in use, line for line.
    EXPECT_EQ(LogFontToText(ApplyFontChoice(inUse, shown, shown)), LogFontToText(inUse));

    // Only the size changed: the face keeps its name and members.
    LogFont bigger = shown;
    bigger.height = -24;
    EXPECT_EQ(LogFontToText(ApplyFontChoice(inUse, shown, bigger)),
              "-24,0,0,0,400,0,0,0,134,3,2,1,49,\xBA\xDA\xCC\xE5");

    // Another face, underlined, at the size shown: the height stays exact.
    LogFont other;
    TextToLogFont("-21,0,0,0,300,0,1,0,134,3,2,1,2,DejaVu Sans", other);
    EXPECT_EQ(LogFontToText(ApplyFontChoice(inUse, shown, other)),
              "-20,0,0,0,400,0,1,0,134,3,2,1,2,DejaVu Sans");
}
