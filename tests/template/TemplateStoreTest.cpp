#include "base/SettingsFiles.h"
#include "support/TempFolder.h"
#include "template/TemplateStore.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace dorvane;
using dorvane::test::ReadBytes;
using dorvane::test::TempFolder;
using dorvane::test::WriteBytes;

TEST(TemplateStore, ListsOnlyFilesWhoseTextAfterTheFirstDotIsDat)
{
    TempFolder work;
    const auto data = DataFolder(work.path());
    std::filesystem::create_directories(data / "y.dat");
    for (const char* name : {"x.dat", "x.DAT", "x.dat.bak", "a.b.dat", "z.bmp", "Dorvane.dorv", "\xE7\x94\xB3.dat", "x.dat.tmp"})
        WriteBytes(data / dorvane::test::Utf8Name(name), "");
    auto names = ListTemplateNames(data);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"x", "\xE7\x94\xB3"}));
    EXPECT_TRUE(TemplateExists(data, "x"));
    EXPECT_FALSE(TemplateExists(data, "a.b"));
    EXPECT_FALSE(TemplateExists(data, "y"));
    EXPECT_FALSE(TemplateExists(data, "X"));
    EXPECT_TRUE(ListTemplateNames(work / "nowhere").empty());

    EXPECT_EQ(TemplateNameOf(".dat"), "");
    EXPECT_FALSE(TemplateNameOf("dat"));
}

TEST(TemplateStore, NameOrderIsByCodePageCharacters)
{
    std::vector<std::string> names = {"\xD6\xD0\xCD\xA8", "\xD4\xB2\xCD\xA8", "EMS", "\xCB\xB3\xB7\xE1", "\xC9\xEA\xCD\xA8", "EM"};
    std::sort(names.begin(), names.end(), TemplateNameLess);
    // EM, EMS, 申通, 顺丰, 圆通, 中通
    EXPECT_EQ(names, (std::vector<std::string>{"EM", "EMS", "\xC9\xEA\xCD\xA8", "\xCB\xB3\xB7\xE1", "\xD4\xB2\xCD\xA8",
                                               "\xD6\xD0\xCD\xA8"}));
}

TEST(TemplateStore, ShiftingThePositionRewritesMouldLineOne)
{
    TempFolder work;
    const SettingsPaths paths(work.path());
    EnsureSetFolder(paths);
    WriteBytes(paths.mouldIni, "3\r\n7\r\n1\r\n");
    std::string position = "3";
    ASSERT_TRUE(ShiftTemplatePosition(paths.mouldIni, position, +1));
    EXPECT_EQ(position, "4");
    EXPECT_EQ(ReadBytes(paths.mouldIni), "4\r\n7\r\n1");
    ASSERT_TRUE(ShiftTemplatePosition(paths.mouldIni, position, -1));
    EXPECT_EQ(ReadBytes(paths.mouldIni), "3\r\n7\r\n1");
}
