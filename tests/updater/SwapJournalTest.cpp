#include "updater/SwapJournal.h"

#include "support/TempFolder.h"
#include "updater/UpdateIntegrity.h"

#include <gtest/gtest.h>

#include <map>

namespace dorvane {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

using Files = std::map<std::string, std::string>; // name: bytes, "" when missing
const Files kOld = {{"Dorvane", "old program"}, {"a.dat", "old a"}, {"helper", ""}};
const Files kNew = {{"Dorvane", "new program"}, {"a.dat", "new a"}, {"helper", "new helper"}};

// An old release in a program folder and an update staged beside it that replaces Dorvane
// and a.dat and adds helper.
struct StagedUpdate {
    TempFolder folder;
    SwapJournal journal{".updorv-test", false, {}};

    StagedUpdate()
    {
        fs::create_directory(folder / journal.staging);
        for (const auto& [name, bytes] : kNew) {
            if (!kOld.at(name).empty())
                WriteBytes(folder / name, kOld.at(name));
            WriteBytes(StagedFile(folder.path(), journal, journal.files.size()), bytes);
            journal.files.push_back({name, Sha256Hex(bytes), false});
        }
    }
    // Runs the swap, the updater dying before step killedAt.
    void swapKilledAt(int killedAt)
    {
        struct Killed {};
        EXPECT_THROW(SwapIn(folder.path(), journal,
                            [killedAt](int step) {
                                if (step == killedAt)
                                    throw Killed{};
                            }),
                     Killed);
    }
    Files installed() const
    {
        Files files;
        for (const auto& [name, bytes] : kNew)
            files[name] = fs::exists(folder / name) ? ReadBytes(folder / name) : "";
        return files;
    }
    bool clean() const { return !HasSwapJournal(folder.path()) && !fs::exists(folder / journal.staging); }
};

// Killed before any step of the swap, the next start finds every file wholly old or wholly new,
// never missing, and nothing of the swap left behind.
TEST(SwapJournal, NextStartCompletesOrUndoesAKilledSwap)
{
    bool sawProgramMissing = false;
    // Journal, two files set aside, three put in place, journal removed.
    for (int killedAt = 0; killedAt < 7; ++killedAt) {
        StagedUpdate update;
        update.swapKilledAt(killedAt);
        sawProgramMissing = sawProgramMissing || !fs::exists(update.folder / "Dorvane");
        EXPECT_EQ(RecoverSwap(update.folder.path()), killedAt == 0 ? SwapRecovery::None : SwapRecovery::Completed);
        EXPECT_EQ(update.installed(), killedAt == 0 ? kOld : kNew) << killedAt;
        EXPECT_TRUE(killedAt == 0 || update.clean()) << killedAt;
    }
    EXPECT_TRUE(sawProgramMissing);

    for (int killedAt = 1; killedAt < 6; ++killedAt) {
        // helper, not yet in place, was damaged in the staging folder: the swap is undone.
        StagedUpdate update;
        update.swapKilledAt(killedAt);
        WriteBytes(StagedFile(update.folder.path(), update.journal, 2), "new hel");
        EXPECT_EQ(RecoverSwap(update.folder.path()), SwapRecovery::RolledBack) << killedAt;
        EXPECT_EQ(update.installed(), kOld) << killedAt;
        EXPECT_TRUE(update.clean()) << killedAt;
    }
    // Killed while taking a failed swap back: it is taken back whole.
    StagedUpdate update;
    update.swapKilledAt(4);
    SwapJournal undo = ParseSwapJournal(ReadBytes(update.folder / std::string(kSwapJournalName))).value();
    EXPECT_TRUE(undo.files[0].replacesOld && !undo.files[2].replacesOld);
    undo.undo = true;
    WriteBytes(update.folder / std::string(kSwapJournalName), WriteSwapJournal(undo));
    EXPECT_EQ(RecoverSwap(update.folder.path()), SwapRecovery::RolledBack);
    EXPECT_EQ(update.installed(), kOld);
}

TEST(SwapJournal, SwapPutsEveryFileInPlaceOrNone)
{
    StagedUpdate done;
    EXPECT_TRUE(SwapIn(done.folder.path(), done.journal));
    EXPECT_EQ(done.installed(), kNew);
    EXPECT_EQ(RecoverSwap(done.folder.path()), SwapRecovery::None);

    // The last new file cannot be moved in after the others were: all are taken back.
    StagedUpdate failed;
    fs::remove(StagedFile(failed.folder.path(), failed.journal, 2));
    EXPECT_FALSE(SwapIn(failed.folder.path(), failed.journal));
    EXPECT_EQ(failed.installed(), kOld);
    EXPECT_FALSE(HasSwapJournal(failed.folder.path()));

    // A folder under one of the names is never replaced, and nothing else moves.
    StagedUpdate folder;
    fs::create_directory(folder.folder / "helper");
    EXPECT_FALSE(SwapIn(folder.folder.path(), folder.journal));
    EXPECT_EQ(ReadBytes(folder.folder / "Dorvane"), "old program");
    EXPECT_TRUE(fs::is_directory(folder.folder / "helper"));
}

TEST(SwapJournal, OnlyAWholeJournalIsFollowed)
{
    const std::string hash = Sha256Hex("x");
    const SwapJournal journal{".updorv-Ab12", false, {{"Dorvane", hash, true}, {"a b.dat", hash, false}}};
    const std::string text = WriteSwapJournal(journal);
    EXPECT_EQ(ParseSwapJournal(text), journal);
    for (const std::string& bad : std::vector<std::string>{
             text.substr(0, text.size() - 1),                                       // cut short
             "swap ../elsewhere\ndo\n", "swap Set\ndo\n", "swap .updorv-a\nmaybe\n", // staging, state
             "swap .updorv-a\ndo\nfile " + hash + " old ../x\n",                     // name not plain
             "swap .updorv-a\ndo\nfile " + hash + " old x\nfile " + hash + " new x\n"})
        EXPECT_FALSE(ParseSwapJournal(bad)) << bad;

    // A journal that cannot be read is left for a later start, and nothing is moved.
    StagedUpdate update;
    WriteBytes(update.folder / std::string(kSwapJournalName), "swap .updorv-test\n");
    EXPECT_EQ(RecoverSwap(update.folder.path()), SwapRecovery::Failed);
    EXPECT_EQ(update.installed(), kOld);
    EXPECT_TRUE(HasSwapJournal(update.folder.path()));
}

} // namespace
} // namespace dorvane
