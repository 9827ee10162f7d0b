#include "updater/UpdateProtocol.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace dorvane {
namespace {

TEST(UpdateProtocol, VersionLineIsReadAsTheCLibraryReadsADecimal)
{
    EXPECT_FALSE(IsNewerVersion("222"));
    EXPECT_TRUE(IsNewerVersion("223"));
    EXPECT_TRUE(IsNewerVersion("  223abc"));
    EXPECT_TRUE(IsNewerVersion("+300"));
    EXPECT_FALSE(IsNewerVersion("-223"));
    EXPECT_FALSE(IsNewerVersion("abc"));
    EXPECT_FALSE(IsNewerVersion(""));
    EXPECT_FALSE(IsNewerVersion("2.2.3")); // only the leading 2 counts
    EXPECT_TRUE(IsNewerVersion("99999999999999999999"));
}

TEST(UpdateProtocol, VersionFileLines)
{
    const auto full = ParseVersionFile("223\r\nhttp://h/DRV/Dorvane.ex_\r\nhttp://h/a.dat\n\r\nhttp://h/b.bmp\r\n");
    EXPECT_EQ(full.latestVersion, "223");
    EXPECT_EQ(full.programUrl, "http://h/DRV/Dorvane.ex_");
    EXPECT_EQ(full.furtherUrls, (std::vector<std::string>{"http://h/a.dat", "http://h/b.bmp"}));

    // Saved by an editor that marks UTF-8: the version is still read, and so is the update.
    const auto marked = ParseVersionFile("\xEF\xBB\xBF" "223\r\nhttp://h/Dorvane.ex_\r\n");
    EXPECT_EQ(marked.latestVersion, "223");
    EXPECT_EQ(marked.programUrl, "http://h/Dorvane.ex_");

    const auto twoLines = ParseVersionFile("223\nhttp://h/Dorvane.ex_");
    EXPECT_EQ(twoLines.programUrl, "http://h/Dorvane.ex_");
    EXPECT_TRUE(twoLines.furtherUrls.empty());

    const auto oneLine = ParseVersionFile("223\r\n");
    EXPECT_EQ(oneLine.latestVersion, "223");
    EXPECT_EQ(oneLine.programUrl, "");
    EXPECT_TRUE(oneLine.furtherUrls.empty());
}

TEST(UpdateProtocol, ProgramNameTakesThePlatformSuffixInPlaceOfTheLastFourCharacters)
{
    EXPECT_EQ(UrlFileName("http://h/DRV_update/Dorvane.ex_"), "Dorvane.ex_");
    EXPECT_EQ(UrlFileName("noslash"), "noslash");
    EXPECT_EQ(UrlFileName("http://h/dir/"), "");

    EXPECT_EQ(NewProgramFileName("http://h/DRV_update/Dorvane.ex_", ".exe"), "Dorvane.exe");
    EXPECT_EQ(NewProgramFileName("http://h/DRV_update/Dorvane.ex_", ""), "Dorvane");
    EXPECT_EQ(NewProgramFileName("http://h/Dorvane.bin", ""), "Dorvane");
    // Too short a name, and an empty line: only the suffix is left.
    EXPECT_EQ(NewProgramFileName("http://h/a.b", ".exe"), ".exe");
    EXPECT_EQ(NewProgramFileName("", ""), "");
    EXPECT_EQ(NewProgramFileName("http://h/Dorvane.ex_"), "Dorvane" + std::string(kProgramSuffix));
}

TEST(UpdateProtocol, UpdaterFolderOnlyFromItsOwnName)
{
    namespace fs = std::filesystem;
    const std::string name = UpdaterProgramName();
    EXPECT_EQ(UpdaterFolderFor(fs::path("/opt/dorvane") / name, name), fs::path("/opt/dorvane"));
    // A folder that carries the program's name is not mistaken for the program.
    EXPECT_EQ(UpdaterFolderFor(fs::path("/home/u") / name / "run" / name, name), fs::path("/home/u") / name / "run");
    // Renamed updater, and an unknown path: the current directory serves.
    EXPECT_EQ(UpdaterFolderFor(fs::path("/opt/dorvane/Updorv2"), name), fs::path());
    EXPECT_EQ(UpdaterFolderFor(fs::path(), name), fs::path());
}

TEST(UpdateProtocol, VersionFileFoundUnderEitherName)
{
    test::TempFolder folder;
    EXPECT_TRUE(FindVersionFile(folder.path()).empty());
    test::WriteBytes(folder / "version.txt", "223\r\n");
    EXPECT_EQ(FindVersionFile(folder.path()).filename(), "version.txt");
    // Removed and written anew: a rename that changes only the letter case is not one on
    // every file system.
    std::filesystem::remove(folder / "version.txt");
    test::WriteBytes(folder / "Version.txt", "223\r\n");
    EXPECT_EQ(FindVersionFile(folder.path()).filename(), "Version.txt");
    // A folder of that name does not count.
    test::TempFolder other;
    std::filesystem::create_directory(other / "version.txt");
    EXPECT_TRUE(FindVersionFile(other.path()).empty());
}

TEST(UpdateProtocol, FreshVersionFileWinsOverALeftoverOne)
{
    // An earlier update left "Version.txt"; the check has just written "version.txt".
    test::TempFolder folder;
    test::WriteBytes(folder / "Version.txt",
                     "223\r\nhttp://old.example.com/DRV_update/Old.ex_\r\nhttp://old.example.com/a.dat\r\n");
    test::WriteBytes(folder / "version.txt", "224\r\nhttp://new.example.com/DRV_update/Dorvane.ex_\r\n");

    const auto found = FindVersionFile(folder.path());
#ifdef _WIN32
    // One file for both names there: the fresh content under the old name.
    ASSERT_FALSE(found.empty());
#else
    ASSERT_EQ(found.filename(), "version.txt");
#endif
    const VersionFile file = ParseVersionFile(test::ReadBytes(found));
    EXPECT_EQ(file.programUrl, "http://new.example.com/DRV_update/Dorvane.ex_");
    EXPECT_TRUE(file.furtherUrls.empty());
    EXPECT_EQ(NewProgramFileName(file.programUrl, ""), "Dorvane");
}

} // namespace
} // namespace dorvane
