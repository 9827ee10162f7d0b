#include "base/SettingsFiles.h"
#include "support/TempFolder.h"
#include "support/Unprivileged.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace dorvane;
using dorvane::test::ReadBytes;
using dorvane::test::RunUnprivileged;
using dorvane::test::TempFolder;
using dorvane::test::WriteBytes;

TEST(SettingsFiles, FirstStartWritesEveryDefaultByteForByte)
{
    TempFolder work;
    const SettingsPaths paths(work.path());
    ASSERT_TRUE(EnsureSetFolder(paths)); // a missing Set folder is created

    const PrintSettings print = LoadOrCreateSetIni(paths.setIni);
    const PrintFonts fonts = LoadOrCreateFontSet(paths.fontSetIni);
    const MouldSettings mould = LoadOrCreateMould(paths.mouldIni);
    const SenderDetails sender = LoadOrCreateAddress(paths.addressIni);

    EXPECT_EQ(ReadBytes(paths.setIni), "Jolimark FP-630K+\r\n0,0,0,0\r\n");
    EXPECT_EQ(ReadBytes(paths.fontSetIni), "-14,0,0,0,400,0,0,0,134,3,2,1,49,\xCB\xCE\xCC\xE5\r\n"
                                           "-20,0,0,0,400,0,0,0,134,3,2,1,2,\xBA\xDA\xCC\xE5\r\n");
    EXPECT_EQ(ReadBytes(paths.mouldIni), "3\r\n0\r\n21\r\n");
    EXPECT_EQ(ReadBytes(paths.addressIni), " \r\n");

    EXPECT_EQ(print.printerName, "Jolimark FP-630K+");
    EXPECT_EQ(fonts.body.height, -14);
    EXPECT_EQ(fonts.body.pitchAndFamily, 49);
    EXPECT_EQ(fonts.destination.height, -20);
    EXPECT_EQ(fonts.destination.faceName, "\xBA\xDA\xCC\xE5");
    EXPECT_EQ(mould.templatePosition, "3");
    EXPECT_EQ(mould.showHelpFlag, "21");
    EXPECT_EQ(sender[0], " ");
    for (std::size_t i = 1; i < sender.size(); ++i)
        EXPECT_EQ(sender[i], "");
}

TEST(SettingsFiles, SetIniReadsAtMostFourValuesAndRewritesOneLine)
{
    TempFolder work;
    const SettingsPaths paths(work.path());
    EnsureSetFolder(paths);
    WriteBytes(paths.setIni, "My Printer\r\n8,-4\r\n");
    PrintSettings s = LoadOrCreateSetIni(paths.setIni);
    EXPECT_EQ(s.offsetX, 8);
    EXPECT_EQ(s.offsetY, -4);
    EXPECT_EQ(s.spacingX, 0);
    EXPECT_EQ(s.spacingY, 0);

    ParseAdjustments("1,2,3,4,5,x", s);
    EXPECT_EQ(AdjustmentsLine(s), "1,2,3,4");

    s.offsetX = -40;
    ASSERT_TRUE(SaveAdjustments(paths.setIni, s));
    EXPECT_EQ(ReadBytes(paths.setIni), "My Printer\r\n-40,2,3,4\r\n");
    ASSERT_TRUE(SavePrinterName(paths.setIni, "Other"));
    EXPECT_EQ(ReadBytes(paths.setIni), "Other\r\n-40,2,3,4\r\n");
}

TEST(SettingsFiles, SavesUnderAFolderWithAChineseName)
{
    // Opened by a narrow name, the folder would be read in Windows' ANSI code page: the save
    // would fail and leave a temporary file under a garbled name.
    TempFolder work;
    const auto folder = work.path() / std::filesystem::path(u8"顺丰快递单");
    const SettingsPaths paths(folder);
    ASSERT_TRUE(EnsureSetFolder(paths));
    PrintSettings s = LoadOrCreateSetIni(paths.setIni);
    s.offsetY = 7;
    ASSERT_TRUE(SaveAdjustments(paths.setIni, s));
    EXPECT_EQ(ReadBytes(paths.setIni), "Jolimark FP-630K+\r\n0,7,0,0\r\n");
    std::vector<std::filesystem::path> made;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(work.path()))
        made.push_back(entry.path());
    std::sort(made.begin(), made.end());
    // The save's lock file is made beside set.ini under its own proper name too.
    auto lockFile = paths.setIni;
    lockFile += ".lock";
    EXPECT_EQ(made, (std::vector<std::filesystem::path>{folder, folder / "Set", paths.setIni, lockFile}));
}

TEST(SettingsFiles, FontSetWithOneLineGivesTheBodyFontTwice)
{
    TempFolder work;
    const SettingsPaths paths(work.path());
    EnsureSetFolder(paths);
    WriteBytes(paths.fontSetIni, "-17,0,0,0,700,0,0,0,0,3,2,1,34,Times New Roman\r\n");
    const PrintFonts fonts = LoadOrCreateFontSet(paths.fontSetIni);
    EXPECT_EQ(fonts.body.faceName, "Times New Roman");
    EXPECT_EQ(fonts.destination, fonts.body);

    ASSERT_TRUE(SaveFontSet(paths.fontSetIni, kRestoredBodyFont, kRestoredDestinationFont));
    EXPECT_EQ(ReadBytes(paths.fontSetIni), "-14,0,0,0,400,0,0,0,134,3,2,1,2,\xCB\xCE\xCC\xE5\r\n"
                                           "-20,0,0,0,400,0,0,0,134,3,2,1,49,\xBA\xDA\xCC\xE5\r\n");
}

TEST(SettingsFiles, MouldWritersEndLineThreeOrNotAsTheirCallerNeeds)
{
    TempFolder work;
    const SettingsPaths paths(work.path());
    EnsureSetFolder(paths);
    LoadOrCreateMould(paths.mouldIni);

    ASSERT_TRUE(SaveTemplatePosition(paths.mouldIni, "1"));
    EXPECT_EQ(ReadBytes(paths.mouldIni), "1\r\n0\r\n21");
    const MouldSettings read = LoadOrCreateMould(paths.mouldIni);
    EXPECT_EQ(read.templatePosition, "1");
    EXPECT_EQ(read.passThrough, "0");
    EXPECT_EQ(read.showHelpFlag, "21");

    ASSERT_TRUE(SaveShowHelpFlag(paths.mouldIni, "1"));
    EXPECT_EQ(ReadBytes(paths.mouldIni), "1\r\n0\r\n1\r\n");

    // A missing file is rewritten from empty lines.
    std::filesystem::remove(paths.mouldIni);
    ASSERT_TRUE(SaveTemplatePosition(paths.mouldIni, "2"));
    EXPECT_EQ(ReadBytes(paths.mouldIni), "2\r\n\r\n");
}

TEST(SettingsFiles, SenderDetailsWithACommaAreSavedFullWidthAndReadBackInPlace)
{
    TempFolder work;
    const SettingsPaths paths(work.path());
    EnsureSetFolder(paths);
    const std::string wide = "\xA3\xAC"; // ，
    const SenderDetails details{"Li",           "Beijing", "Acme, Ltd",  "13800138000", "010-1",
                                "Road\r\n2,3F", "100000",  "Books,Pens", "Li"};
    ASSERT_TRUE(SaveAddress(paths.addressIni, details));
    EXPECT_EQ(ReadBytes(paths.addressIni), "Li,Beijing,Acme" + wide + " Ltd,13800138000,010-1,Road 2" + wide +
                                               "3F,100000,Books" + wide + "Pens,Li\r\n");
    const SenderDetails read = LoadOrCreateAddress(paths.addressIni);
    EXPECT_EQ(read, (SenderDetails{"Li", "Beijing", "Acme" + wide + " Ltd", "13800138000", "010-1",
                                   "Road 2" + wide + "3F", "100000", "Books" + wide + "Pens", "Li"}));

    // Files saved before: the telephones and the postcode show which value a comma was in.
    const auto readBack = [&](const std::string& line) {
        WriteBytes(paths.addressIni, line + "\r\n");
        return LoadOrCreateAddress(paths.addressIni);
    };
    EXPECT_EQ(readBack("Li,Beijing,Acme, Ltd,13800138000,010-1,Road 2,100000,Books,Li"),
              (SenderDetails{"Li", "Beijing", "Acme, Ltd", "13800138000", "010-1", "Road 2", "100000",
                             "Books", "Li"}));
    EXPECT_EQ(readBack("Li,,,138,,Road 100,3F,310012,Books,Li"),
              (SenderDetails{"Li", "", "", "138", "", "Road 100,3F", "310012", "Books", "Li"}));
    EXPECT_EQ(readBack("Li,,,138,,Road,310012,Books,Pens,Li"),
              (SenderDetails{"Li", "", "", "138", "", "Road", "310012", "Books,Pens", "Li"}));
    // Short lines still give empty later values.
    EXPECT_EQ(readBack("Li,Beijing"), (SenderDetails{"Li", "Beijing", "", "", "", "", "", "", ""}));
}

TEST(SettingsFiles, AsAnOrdinaryUserExistingFilesAreReadAndNeverReplacedByDefaults)
{
    namespace fs = std::filesystem;
    TempFolder work;
    RunUnprivileged(work.path(), [&] {
        const SettingsPaths paths(work.path());
        ASSERT_TRUE(EnsureSetFolder(paths));
        const std::string font = "-16,0,0,0,700,0,0,0,134,3,2,1,2,Times New Roman\r\n";
        const std::string mould = "2\r\n0\r\n1\r\n";
        const std::string sender = "Li,Beijing\r\n";
        WriteBytes(paths.fontSetIni, font);
        WriteBytes(paths.mouldIni, mould);
        WriteBytes(paths.addressIni, sender);
        WriteBytes(paths.setIni, "");
        const auto readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
        for (const auto& file : {paths.fontSetIni, paths.mouldIni, paths.addressIni})
            fs::permissions(file, readOnly);
        fs::permissions(paths.setIni, fs::perms::none); // not even readable

        const PrintFonts fonts = LoadOrCreateFontSet(paths.fontSetIni);
        EXPECT_EQ(fonts.body.faceName, "Times New Roman");
        EXPECT_EQ(fonts.destination.weight, 700);
        EXPECT_EQ(LoadOrCreateMould(paths.mouldIni).templatePosition, "2");
        EXPECT_EQ(LoadOrCreateAddress(paths.addressIni)[1], "Beijing");
        EXPECT_EQ(LoadOrCreateSetIni(paths.setIni).printerName, kDefaultPrinterName); // for this run
        EXPECT_FALSE(SaveTemplatePosition(paths.mouldIni, "4"));
        EXPECT_FALSE(SaveAdjustments(paths.setIni, PrintSettings{}));

        EXPECT_EQ(ReadBytes(paths.fontSetIni), font);
        EXPECT_EQ(ReadBytes(paths.mouldIni), mould);
        EXPECT_EQ(ReadBytes(paths.addressIni), sender);
        fs::permissions(paths.setIni, fs::perms::owner_read);
        EXPECT_EQ(ReadBytes(paths.setIni), "");
    });
}
