#include "app/TextFile.h"
#include "support/TempFolder.h"
#include "template/FieldPlacement.h"
#include "template/TemplateLayout.h"

#include <gtest/gtest.h>

using namespace dorvane;
using dorvane::test::ReadBytes;
using dorvane::test::TempFolder;
using dorvane::test::WriteBytes;

TEST(TemplateLayout, LoadFillsOnlyWhatEachLineReaches)
{
    TempFolder dir;
    const auto path = dir / "t.dat";
    TemplateLayout layout;
    layout.setCell(1, 2, "keep");
    layout.setCell(2, 3, "keep too");
    layout.setCell(3, 0, "old");
    // Row 1 holds two values, row 2 ten, row 3 is empty.
    WriteBytes(path, "0,EMS,2300,1270,870,480\r\na,b\n1,2,3,4,5,6,7,8,9,10\r\n\r\n");
    ASSERT_TRUE(LoadLayoutFile(path, layout));
    EXPECT_EQ(layout.cell(0, 1), "EMS");
    EXPECT_EQ(layout.cell(1, 0), "a");
    EXPECT_EQ(layout.cell(1, 1), "b");
    EXPECT_EQ(layout.cell(1, 2), "keep");
    EXPECT_EQ(layout.cell(2, 9), "10");
    EXPECT_EQ(layout.cell(2, 3), "4");
    EXPECT_EQ(layout.cell(3, 0), "");
    EXPECT_EQ(layout.paperWidth(), 2300);
    EXPECT_EQ(layout.paperLength(), 1270);

    // The first save writes back only six values of 21 rows.
    ASSERT_TRUE(SaveLayoutFile(path, layout));
    const auto lines = *ReadLines(path);
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines[2], "1,2,3,4,5,6");
    EXPECT_EQ(lines[5], ",,,,,");
    EXPECT_EQ(ReadBytes(path).substr(0, 25), "0,EMS,2300,1270,870,480\r\n");
    EXPECT_TRUE(ReadBytes(path).ends_with(",,,,,\r\n"));
}

TEST(TemplateLayout, ExtraLinesAndValuesAreIgnoredAndNegativeBoxesRoundTrip)
{
    TempFolder dir;
    const auto path = dir / "big.dat";
    std::string text;
    for (int row = 0; row < 40; ++row) {
        for (int column = 0; column < 25; ++column)
            text += (column ? "," : "") + std::to_string(row * 100 + column);
        text += "\r\n";
    }
    WriteBytes(path, text);
    TemplateLayout layout;
    ASSERT_TRUE(LoadLayoutFile(path, layout));
    EXPECT_EQ(layout.cell(29, 19), "2919");
    layout.setCell(25, 0, "spare"); // rows past 20 are never written

    layout.setNumber(5, 4, 0);
    layout.setNumber(5, 5, -7);
    ASSERT_TRUE(SaveLayoutFile(path, layout));
    TemplateLayout again;
    ASSERT_TRUE(LoadLayoutFile(path, again));
    EXPECT_EQ(again.number(5, 4), 0);
    EXPECT_EQ(again.number(5, 5), -7);
    EXPECT_EQ(again.cell(25, 0), "");
    EXPECT_EQ(ReadLines(path)->size(), 21u);

    EXPECT_FALSE(LoadLayoutFile(dir / "missing.dat", again));
}

// A template named 顺丰,新版 by an older version: its sizes are read in their places, and a save
// writes the name with "，" so that the header is six values again.
TEST(TemplateLayout, AHeaderWhoseNameHoldsACommaKeepsItsSizes)
{
    TempFolder dir;
    const auto path = dir / "t.dat";
    const std::string name = "\xCB\xB3\xB7\xE1,\xD0\xC2\xB0\xE6"; // 顺丰,新版
    WriteBytes(path, "0," + name + ",a,2300,1270,870,480\r\n0,0,10,20,30,40\r\n");
    TemplateLayout layout;
    ASSERT_TRUE(LoadLayoutFile(path, layout));
    EXPECT_EQ(layout.cell(0, 1), name + ",a");
    EXPECT_EQ(layout.paperWidth(), 2300);
    EXPECT_EQ(layout.paperLength(), 1270);
    EXPECT_EQ(layout.number(0, 5), 480);
    EXPECT_EQ(layout.number(1, 5), 40);

    ASSERT_TRUE(SaveLayoutFile(path, layout));
    const std::string wide = "\xA3\xAC"; // ，
    EXPECT_EQ(ReadLines(path)->front(),
              "0,\xCB\xB3\xB7\xE1" + wide + "\xD0\xC2\xB0\xE6" + wide + "a,2300,1270,870,480");
    TemplateLayout again;
    ASSERT_TRUE(LoadLayoutFile(path, again));
    EXPECT_EQ(again.paperWidth(), 2300);
}

TEST(TemplateLayout, PrintRectanglesFollowTheScales)
{
    TemplateLayout layout;
    for (int column = 2; column < 6; ++column)
        layout.setNumber(0, column, std::array{2300, 1270, 870, 480}[column - 2]);
    layout.setNumber(1, 2, 100);
    layout.setNumber(1, 3, 50);
    layout.setNumber(1, 4, 200);
    layout.setNumber(1, 5, 20);
    const PrintScales scales = ComputePrintScales(layout);
    EXPECT_DOUBLE_EQ(scales.x, 2300.0 / 870.0);
    EXPECT_DOUBLE_EQ(scales.y, 1270.0 / 480.0);
    ComputePrintRects(layout, scales);
    EXPECT_EQ(layout.number(1, 6), 264);
    EXPECT_EQ(layout.number(1, 7), 132);
    EXPECT_EQ(layout.number(1, 8), 793);
    EXPECT_EQ(layout.number(1, 9), 185);

    // Negative positions truncate toward zero.
    layout.setNumber(2, 2, -1);
    ComputePrintRects(layout, scales);
    EXPECT_EQ(layout.number(2, 6), -2);
}

TEST(TemplateLayout, MovedBoxesTakeTheirPrintRectanglesAlong)
{
    TemplateLayout layout;
    for (const auto& [column, value] : {std::pair{2, 2300}, {3, 1270}, {4, 870}, {5, 480}})
        layout.setNumber(0, column, value);
    layout.setNumber(1, 2, 100);
    layout.setNumber(1, 3, 50);
    layout.setNumber(1, 4, 200);
    layout.setNumber(1, 5, 20);
    layout.setCell(1, 0, "kept");
    TemplateLayout moved = layout;
    moved.setNumber(1, 2, 110);
    moved.setNumber(1, 3, 40);
    moved.setNumber(1, 4, 999); // a width is not a place: it stays

    const TemplateLayout result = WithBoxPlaces(layout, moved);
    EXPECT_EQ(result.number(1, 2), 110);
    EXPECT_EQ(result.number(1, 3), 40);
    EXPECT_EQ(result.number(1, 4), 200);
    EXPECT_EQ(result.cell(1, 0), "kept");
    // 110 and 40 pixels at 2300 / 870 and 1270 / 480 tenths of a millimetre each.
    EXPECT_EQ(result.number(1, 6), 290);
    EXPECT_EQ(result.number(1, 7), 105);
    EXPECT_EQ(result.number(1, 8), 819);
    EXPECT_EQ(result.number(1, 9), 158);
}

TEST(TemplateLayout, APictureSizeOfZeroGivesFiniteZeroScales)
{
    TemplateLayout layout;
    layout.setNumber(0, 2, 2300);
    layout.setNumber(0, 3, 1270);
    layout.setNumber(1, 2, 100);
    layout.setNumber(1, 4, 200);
    const PrintScales scales = ComputePrintScales(layout);
    EXPECT_EQ(scales.x, 0.0);
    EXPECT_EQ(scales.y, 0.0);
    ComputePrintRects(layout, scales);
    EXPECT_EQ(layout.number(1, 6), 0);
    EXPECT_EQ(layout.number(1, 8), 0);

    EXPECT_EQ(TruncToInt(1e300), 2147483647);
    EXPECT_EQ(TruncToInt(-1e300), -2147483647 - 1);
    EXPECT_EQ(TruncToInt(-2.9), -2);
}

TEST(TemplateLayout, PaperSidesAreTypedInMillimetresWithOneDecimal)
{
    EXPECT_EQ(PaperTenthsFromText("230"), 2300);
    EXPECT_EQ(PaperTenthsFromText("127.5"), 1275);
    EXPECT_EQ(PaperTenthsFromText("0.1"), 1);
    EXPECT_EQ(PaperTenthsFromText("1000"), 10000);
    for (const char* refused : {"", "0", "0.0", "-5", "12.34", "230.", ".5", "23a", "1,5", " 230", "1000.1",
                                "99999999999999999999"})
        EXPECT_EQ(PaperTenthsFromText(refused), std::nullopt) << refused;
    EXPECT_EQ(PaperTextFromTenths(2300), "230");
    EXPECT_EQ(PaperTextFromTenths(1275), "127.5");
    EXPECT_EQ(PaperTextFromTenths(7), "0.7");
}

TEST(FieldPlacement, BoxesScaleWithTheClientSize)
{
    EXPECT_EQ(ViewRect(100, 50, 200, 20, ViewScalesFor(894, 644)), (ViewPixelRect{100, 50, 200, 20}));
    EXPECT_EQ(ViewRect(100, 50, 200, 20, ViewScalesFor(1788, 1288)), (ViewPixelRect{200, 100, 400, 40}));
    // Cut toward zero, also for boxes that were dragged past zero width.
    EXPECT_EQ(ViewRect(-3, 7, -5, 9, ViewScalesFor(447, 322)), (ViewPixelRect{-1, 3, -2, 4}));
}
