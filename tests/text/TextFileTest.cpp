#include "text/TextFile.h"
#include "support/TempFolder.h"
#include "support/Unprivileged.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace dorvane;
using dorvane::test::ReadBytes;
using dorvane::test::RunUnprivileged;
using dorvane::test::TempFolder;
using dorvane::test::WriteBytes;

TEST(TextFile, ReadsEitherLineEndAndMissingFilesAsNothing)
{
    TempFolder dir;
    WriteBytes(dir / "a.ini", "one\r\ntwo\nthree");
    EXPECT_EQ(*ReadLines(dir / "a.ini"), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_FALSE(ReadLines(dir / "missing.ini"));
    EXPECT_FALSE(ReadLines(dir.path())); // a folder is not a file
    EXPECT_EQ(LineOr({"x"}, 3), "");
    EXPECT_EQ(SplitAt("a,,b,", ','), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_EQ(ToInt("  -12abc"), -12);
    EXPECT_EQ(ToInt("abc"), 0);
    EXPECT_EQ(ToInt("99999999999"), 2147483647);
}

TEST(TextFile, AWriteFailingPartWayLeavesTheOldFileIntact)
{
    TempFolder dir;
    const auto target = dir / "layout.dat";
    const std::string old = "old content\r\n";
    WriteBytes(target, old);

    const std::string big(20000, 'n');
    std::size_t written = 0;
    const ChunkWriter failAfterSomeBytes = [&](std::FILE* file, std::string_view chunk) {
        if (written >= 8192)
            return false; // disk full after two chunks
        written += std::fwrite(chunk.data(), 1, chunk.size(), file);
        return true;
    };
    EXPECT_FALSE(WriteFileAtomically(target, big, failAfterSomeBytes));
    EXPECT_EQ(written, 8192u);
    EXPECT_EQ(ReadBytes(target), old);
    EXPECT_FALSE(std::filesystem::exists(dir / "layout.dat.tmp"));

    EXPECT_TRUE(WriteFileAtomically(target, big));
    EXPECT_EQ(ReadBytes(target), big);
}

namespace {

constexpr int kKilledExitCode = 9;

// Saves 50000 bytes to target and kills its own process, with no chance to clean up, after
// the second chunk has reached the file.
[[noreturn]] void SaveAndDieMidway(const std::filesystem::path& target)
{
    int chunks = 0;
    const ChunkWriter dieMidway = [&](std::FILE* file, std::string_view chunk) {
        std::fwrite(chunk.data(), 1, chunk.size(), file);
        std::fflush(file);
        if (++chunks == 2) {
#ifdef _WIN32
            TerminateProcess(GetCurrentProcess(), kKilledExitCode);
#else
            raise(SIGKILL);
#endif
        }
        return true;
    };
    WriteFileAtomically(target, std::string(50000, 'k'), dieMidway);
    std::_Exit(0); // not reached
}

#ifdef _WIN32
constexpr const wchar_t* kKillTargetVariable = L"DORVANE_TEST_KILLED_SAVE";

// Runs this test program again, only this test, as the child that saves to target and is
// killed; answers the child's exit code.
DWORD RunKilledSaver(const std::filesystem::path& target, const char* testName)
{
    wchar_t program[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::string filter = std::string("--gtest_filter=TextFile.") + testName;
    std::wstring command = L"\"" + std::wstring(program) + L"\" " + std::wstring(filter.begin(), filter.end());
    SetEnvironmentVariableW(kKillTargetVariable, target.c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started =
        CreateProcessW(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableW(kKillTargetVariable, nullptr);
    if (!started)
        return 0;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}
#endif

} // namespace

TEST(TextFile, AProcessKilledWhileWritingLeavesTheOldFileIntact)
{
#ifdef _WIN32
    if (const wchar_t* childTarget = _wgetenv(kKillTargetVariable))
        SaveAndDieMidway(childTarget);
#endif
    TempFolder dir;
    const auto target = dir / "set.ini";
    const std::string old = "Jolimark FP-630K+\r\n0,0,0,0\r\n";
    WriteBytes(target, old);

#ifdef _WIN32
    EXPECT_EQ(RunKilledSaver(target, ::testing::UnitTest::GetInstance()->current_test_info()->name()),
              static_cast<DWORD>(kKilledExitCode));
#else
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        SaveAndDieMidway(target);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
#endif
    EXPECT_EQ(ReadBytes(target), old);
    // The half-written temporary file is left beside it, never in its place; the next save
    // removes it.
    const auto temporaries = [&] {
        std::vector<std::filesystem::path> found;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            if (entry.path().extension() == ".tmp")
                found.push_back(entry.path());
        return found;
    };
    const auto left = temporaries();
    ASSERT_EQ(left.size(), 1u);
    const std::string leftover = ReadBytes(left.front());
    EXPECT_GE(leftover.size(), 4096u);
    EXPECT_LT(leftover.size(), 50000u);
    {
        const FileLock lock(target);
        EXPECT_TRUE(WriteFileAtomically(lock, target, "new\r\n"));
    }
    EXPECT_EQ(ReadBytes(target), "new\r\n");
    EXPECT_TRUE(temporaries().empty());
}

TEST(TextFile, ASaveChangesTheContentOnlyKeepingPermissionsAndLinks)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no group permissions, and symbolic links need a privilege there";
#endif
    namespace fs = std::filesystem;
    TempFolder dir;
    const auto shared = dir / "FontSet.ini";
    WriteBytes(shared, "old\r\n");
    const auto groupShared =
        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::group_write;
    fs::permissions(shared, groupShared);
    ASSERT_TRUE(WriteFileAtomically(shared, "new\r\n"));
    EXPECT_EQ(ReadBytes(shared), "new\r\n");
    EXPECT_EQ(fs::status(shared).permissions(), groupShared);

    // Set/ kept elsewhere and linked in: the link stays, its target gets the content.
    fs::create_directories(dir / "elsewhere");
    WriteBytes(dir / "elsewhere" / "set.ini", "old\r\n");
    fs::create_directories(dir / "Set");
    fs::create_symlink("../elsewhere/set.ini", dir / "Set" / "set.ini");
    ASSERT_TRUE(WriteFileAtomically(dir / "Set" / "set.ini", "linked\r\n"));
    EXPECT_TRUE(fs::is_symlink(dir / "Set" / "set.ini"));
    EXPECT_EQ(fs::read_symlink(dir / "Set" / "set.ini"), "../elsewhere/set.ini");
    EXPECT_EQ(ReadBytes(dir / "elsewhere" / "set.ini"), "linked\r\n");
}

TEST(TextFile, AsAnOrdinaryUserAReadOnlyFileIsReadButNeverReplaced)
{
    namespace fs = std::filesystem;
    TempFolder dir;
    RunUnprivileged(dir.path(), [&] {
        // A read-only file in a folder that would let a rename replace it.
        const auto kept = dir / "mould.ini";
        WriteBytes(kept, "5\r\n0\r\n1\r\n");
        fs::permissions(kept, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        EXPECT_EQ(ReadLines(kept), (std::vector<std::string>{"5", "0", "1"}));
        EXPECT_FALSE(WriteFileAtomically(kept, "3\r\n"));
        EXPECT_EQ(ReadBytes(kept), "5\r\n0\r\n1\r\n");
        EXPECT_FALSE(fs::exists(dir / "mould.ini.tmp"));

        // A writable file in a folder that takes no new file is written in place.
        const auto locked = dir / "locked";
        fs::create_directories(locked);
        WriteBytes(locked / "address.ini", "a longer old line\r\n");
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_TRUE(WriteFileAtomically(locked / "address.ini", "new\r\n"));
        EXPECT_EQ(ReadBytes(locked / "address.ini"), "new\r\n");
        EXPECT_FALSE(WriteFileAtomically(locked / "new.ini", "x")); // and none is made there
        EXPECT_FALSE(fs::exists(locked / "new.ini"));
        fs::permissions(locked, fs::perms::owner_all);
    });
}
