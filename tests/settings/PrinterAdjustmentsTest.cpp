// Offsets per printer: set.ini's line 2 for the printer in use, offsets.ini for every printer.
#include "settings/PrinterAdjustments.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace dorvane;
using dorvane::test::ReadBytes;
using dorvane::test::TempFolder;
using dorvane::test::WriteBytes;

namespace {

class PrinterAdjustmentsTest : public ::testing::Test {
protected:
    PrinterAdjustmentsTest() : paths(folder.path()) { EnsureSetFolder(paths); }

    PrintSettings setIni() const { return LoadOrCreateSetIni(paths.setIni); }

    TempFolder folder;
    SettingsPaths paths;
};

} // namespace

TEST_F(PrinterAdjustmentsTest, EachPrinterKeepsItsLineNamesWithCommasIncluded)
{
    // A line written by hand or by an older copy stays as it is.
    WriteBytes(paths.offsetsIni, "garbage\r\n");
    EXPECT_FALSE(LoadPrinterAdjustments(paths.offsetsIni, "LQ-630K"));
    ASSERT_TRUE(SavePrinterAdjustments(paths.offsetsIni, {"LQ-630K", 25, -12, 0, 4}));
    ASSERT_TRUE(SavePrinterAdjustments(paths.offsetsIni, {"\\\\server\\Epson, tray 2", -3, 7, 1, 2}));
    ASSERT_TRUE(SavePrinterAdjustments(paths.offsetsIni, {"LQ-630K", 30, -10, 0, 4})); // replaced, not added
    EXPECT_EQ(ReadBytes(paths.offsetsIni),
              "garbage\r\nLQ-630K,30,-10,0,4\r\n\\\\server\\Epson, tray 2,-3,7,1,2\r\n");

    const auto epson = LoadPrinterAdjustments(paths.offsetsIni, "\\\\server\\Epson, tray 2");
    ASSERT_TRUE(epson);
    EXPECT_EQ(AdjustmentsLine(*epson), "-3,7,1,2");
    EXPECT_EQ(epson->printerName, "\\\\server\\Epson, tray 2");
    EXPECT_FALSE(LoadPrinterAdjustments(paths.offsetsIni, "tray 2"));
    EXPECT_FALSE(LoadPrinterAdjustments(paths.offsetsIni, "lq-630k")); // names match exactly
    EXPECT_FALSE(LoadPrinterAdjustments(paths.setFolder / "missing.ini", "LQ-630K"));
}

TEST_F(PrinterAdjustmentsTest, ThePrinterLeftIsNeverForgotten)
{
    WriteBytes(paths.setIni, "dot-matrix\r\n25,-12,0,0\r\n");
    WriteBytes(paths.offsetsIni, "laser,-5,8,0,0\r\n");
    PrintSettings inUse = setIni();
    // offsets.ini cannot be replaced (a folder in its place): the printer changes, line 2 stays.
    std::filesystem::remove(paths.offsetsIni);
    std::filesystem::create_directory(paths.offsetsIni);
    EXPECT_EQ(ChoosePrinter(paths, inUse, "laser"), kOffsetsIniName);
    EXPECT_EQ(ReadBytes(paths.setIni), "laser\r\n25,-12,0,0\r\n");
    EXPECT_EQ(AdjustmentsLine(inUse), "25,-12,0,0");
}

TEST_F(PrinterAdjustmentsTest, MeasuredOffsetsReplaceThePrintersOwn)
{
    WriteBytes(paths.setIni, "dot-matrix\r\n7,7,3,-2\r\n");
    PrintSettings inUse = setIni();
    // The printer in use: line 2 and its remembered line, spacings kept.
    EXPECT_EQ(StoreMeasuredOffsets(paths, inUse, "dot-matrix", 25, -12), "");
    EXPECT_EQ(ReadBytes(paths.setIni), "dot-matrix\r\n25,-12,3,-2\r\n");
    EXPECT_EQ(ReadBytes(paths.offsetsIni), "dot-matrix,25,-12,3,-2\r\n");
    // Another printer: remembered only, with the spacings it would print with.
    EXPECT_EQ(StoreMeasuredOffsets(paths, inUse, "laser", -4, 9), "");
    EXPECT_EQ(ReadBytes(paths.setIni), "dot-matrix\r\n25,-12,3,-2\r\n");
    EXPECT_EQ(ReadBytes(paths.offsetsIni), "dot-matrix,25,-12,3,-2\r\nlaser,-4,9,3,-2\r\n");
    EXPECT_EQ(AdjustmentsLine(inUse), "25,-12,3,-2");
    EXPECT_EQ(ChoosePrinter(paths, inUse, "laser"), "");
    EXPECT_EQ(ReadBytes(paths.setIni), "laser\r\n-4,9,3,-2\r\n");

    // What a printer prints with, set.ini left alone: line 2 for the one in use (even before it
    // is saved) and for one never calibrated, else its own.
    inUse.offsetX = 1;
    EXPECT_EQ(AdjustmentsLine(AdjustmentsFor(paths, inUse, "laser")), "1,9,3,-2");
    EXPECT_EQ(AdjustmentsLine(AdjustmentsFor(paths, inUse, "dot-matrix")), "25,-12,3,-2");
    EXPECT_EQ(AdjustmentsLine(AdjustmentsFor(paths, inUse, "inkjet")), "1,9,3,-2");
}
